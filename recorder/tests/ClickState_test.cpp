// The press handed from the mouse hook's thread to the tick: none lost, none reported twice.
#include "recorder/ClickState.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace mrv {
namespace {

// The hook's thread presses in bursts, left and right in turn and right last, while the tick's
// thread takes as fast as it can, so presses land at every point of a take. Once a take has
// begun after a burst, the tick must have reported its last press, and no more often than there
// were presses.
TEST(ClickStateTest, TickTakingConcurrentlyReportsTheLastPressOfEveryBurstOnce) {
    constexpr int kBursts = 2000;
    constexpr int kPresses = 8;
    ClickState clicks;
    std::atomic<int> reports{0}, lastReported{0}, takes{0};
    std::atomic<bool> done{false};
    std::thread tick([&] {
        while (!done.load()) {
            if (const uint8_t click = clicks.Take()) {
                lastReported.store(click);
                reports.fetch_add(1);
            }
            takes.fetch_add(1);
        }
    });
    int lost = -1, repeated = -1;
    for (int burst = 0; burst < kBursts && lost < 0 && repeated < 0; ++burst) {
        const int reportsBefore = reports.load();
        lastReported.store(0);
        for (int i = 0; i < kPresses; ++i) clicks.OnMouseMessage(0, i % 2 ? 0x0204 : 0x0201);
        clicks.OnMouseMessage(0, 0x0207);   // middle button: unchanged
        clicks.OnMouseMessage(-1, 0x0201);  // negative codes are only passed on
        // The take that ends as number seen + 2 began after the burst was complete.
        const int seen = takes.load();
        while (takes.load() < seen + 2) std::this_thread::yield();
        const int burstReports = reports.load() - reportsBefore;
        if (lastReported.load() != 2 || burstReports == 0) lost = burst;
        if (burstReports > kPresses) repeated = burst;
    }
    done.store(true);
    tick.join();
    EXPECT_EQ(lost, -1) << "the last press of burst " << lost << " was lost";
    EXPECT_EQ(repeated, -1) << "burst " << repeated << " was reported too often";
}

}  // namespace
}  // namespace mrv
