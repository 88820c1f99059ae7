// The press handed from the mouse hook's thread to the tick: none lost, none reported twice.
#include "recorder/ClickState.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

namespace mrv {
namespace {

constexpr uint32_t kLeftDown = 0x0201;
constexpr uint32_t kRightDown = 0x0204;
constexpr uint32_t kMiddleDown = 0x0207;
constexpr uint32_t kMove = 0x0200;

// The hook's thread presses in bursts, left and right in turn and right last, while the tick's
// thread takes as fast as it can, so presses land at every point of a take. Once a take has
// begun after a burst, the tick must have reported the burst's last press (right), at least once
// and no more often than there were presses.
TEST(ClickStateTest, TickTakingConcurrentlyReportsTheLastPressOfEveryBurstOnce) {
    constexpr int kBursts = 2000;
    constexpr int kPressesPerBurst = 8;
    ClickState clicks;
    std::atomic<int> reports{0};
    std::atomic<int> lastReported{0};
    std::atomic<int> badValues{0};
    std::atomic<int64_t> takes{0};
    std::atomic<bool> done{false};

    std::thread tick([&] {
        while (!done.load()) {
            const uint8_t click = clicks.Take();
            if (click != 0) {
                if (click != 1 && click != 2) badValues.fetch_add(1);
                lastReported.store(click);
                reports.fetch_add(1);
            }
            takes.fetch_add(1);
        }
    });

    int lostBurst = -1;
    int repeatedBurst = -1;
    for (int burst = 0; burst < kBursts && lostBurst < 0 && repeatedBurst < 0; ++burst) {
        const int reportsBefore = reports.load();
        lastReported.store(0);
        for (int i = 0; i < kPressesPerBurst; ++i) {
            clicks.OnMouseMessage(0, i % 2 == 0 ? kLeftDown : kRightDown);
        }
        // Events that must leave the press alone.
        clicks.OnMouseMessage(0, kMove);
        clicks.OnMouseMessage(0, kMiddleDown);
        clicks.OnMouseMessage(-1, kLeftDown);
        // The take that ends as number seen + 2 began after this burst was complete.
        const int64_t seen = takes.load();
        while (takes.load() < seen + 2) std::this_thread::yield();
        const int burstReports = reports.load() - reportsBefore;
        if (lastReported.load() != 2 || burstReports == 0) lostBurst = burst;
        if (burstReports > kPressesPerBurst) repeatedBurst = burst;
    }
    done.store(true);
    tick.join();

    EXPECT_EQ(lostBurst, -1) << "the last press of burst " << lostBurst << " was lost";
    EXPECT_EQ(repeatedBurst, -1) << "burst " << repeatedBurst << " was reported too often";
    EXPECT_EQ(badValues.load(), 0);
}

}  // namespace
}  // namespace mrv
