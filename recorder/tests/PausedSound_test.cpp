#include "recorder/PausedSound.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "recorder/StreamFormat.h"

namespace mrv {
namespace {

constexpr int32_t kRate = 8000;  // 40 ms a block

// Fifteen blocks, each filled with its index.
std::vector<uint8_t> Delivery(int blocks = 15) {
    std::vector<uint8_t> d(static_cast<size_t>(blocks) * kGsmBlockBytes);
    for (size_t i = 0; i < d.size(); ++i) d[i] = static_cast<uint8_t>(i / kGsmBlockBytes);
    return d;
}

// The index of every kept block.
std::vector<int> Kept(const std::vector<uint8_t>& out) {
    std::vector<int> blocks;
    for (size_t i = 0; i < out.size(); i += kGsmBlockBytes) blocks.push_back(out[i]);
    return blocks;
}

std::vector<uint8_t> Append(PausedSound& sound, const std::vector<uint8_t>& data, uint32_t now) {
    std::vector<uint8_t> out;
    sound.AppendRunningSound(data.data(), static_cast<int32_t>(data.size()), now, kRate, out);
    return out;
}

TEST(PausedSoundTest, AShortPauseInsideOneDeliveryCutsOutOnlyItsOwnBlocks) {
    PausedSound sound;
    // The delivery at 10600 spans 10000..10600; paused 10200..10320: blocks 5, 6 and 7 have
    // their middles (10220, 10260, 10300) in the pause.
    sound.Paused(10200);
    sound.Resumed(10320);
    const auto out = Append(sound, Delivery(), 10600);
    EXPECT_EQ(Kept(out), (std::vector<int>{0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 14}));
    // The next delivery lies wholly after the resume.
    EXPECT_EQ(Append(sound, Delivery(), 11200).size(), 15u * kGsmBlockBytes);
}

TEST(PausedSoundTest, WhileStillPausedOnlyTheSoundBeforeThePauseIsKept) {
    PausedSound sound;
    sound.Paused(5000);
    EXPECT_EQ(Kept(Append(sound, Delivery(), 5120)),
              (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_TRUE(Append(sound, Delivery(), 5720).empty());
    // Sizes that are not whole blocks cannot be placed in time: all or nothing by the state now.
    std::vector<uint8_t> out;
    const std::vector<uint8_t> odd(100, 7);
    sound.AppendRunningSound(odd.data(), 100, 5800, kRate, out);
    EXPECT_TRUE(out.empty());
    sound.Resumed(6000);
    sound.AppendRunningSound(odd.data(), 100, 6100, kRate, out);
    EXPECT_EQ(out.size(), 100u);
}

TEST(PausedSoundTest, TheMillisecondCounterMayWrapDuringAPause) {
    PausedSound sound;
    sound.Paused(0xFFFFFF00u);                                      // 256 ms before the wrap
    sound.Resumed(0x00000100u);                                     // 256 ms after it
    const auto out = Append(sound, Delivery(), 0x00000100u + 200);  // 200 ms since the resume
    EXPECT_EQ(Kept(out), (std::vector<int>{10, 11, 12, 13, 14}));
}

TEST(PausedSoundTest, ManyQuickPausesKeepOnlyTheNewestAndClearForgetsThem) {
    PausedSound sound;
    for (uint32_t t = 1000; t < 1000 + 40 * 20; t += 40) {  // 20 pauses of 30 ms
        sound.Paused(t);
        sound.Resumed(t + 30);
    }
    // Twenty blocks at 1800 span 1000..1800, block i's middle lying in pause i; the oldest four
    // pauses are forgotten.
    EXPECT_EQ(Kept(Append(sound, Delivery(20), 1800)), (std::vector<int>{0, 1, 2, 3}));
    sound.Paused(2000);
    sound.Clear();
    EXPECT_FALSE(sound.paused());
    EXPECT_EQ(Append(sound, Delivery(), 2300).size(), 15u * kGsmBlockBytes);
}

}  // namespace
}  // namespace mrv
