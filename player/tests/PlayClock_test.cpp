// The player's clock: the sound's reading or the system's time at the speed, and the stall rule.
#include "player/PlayClock.h"

#include <gtest/gtest.h>

namespace mrv::player {
namespace {

TEST(PlayClockTest, SystemClockRunsAtTheSpeedFromTheLastRestartAndSoundWins) {
    PlayClock clock;
    clock.Restart(10'000);
    EXPECT_EQ(clock.ElapsedMs(std::nullopt, 12'000, playback::Speed::Normal), 2000);
    EXPECT_EQ(clock.ElapsedMs(std::nullopt, 12'000, playback::Speed::OneAndHalf), 3000);
    EXPECT_EQ(clock.ElapsedMs(std::nullopt, 12'000, playback::Speed::Half), 1000);
    EXPECT_EQ(clock.ElapsedMs(777, 12'000, playback::Speed::Double), 777);
    clock.Restart(20'000);
    EXPECT_EQ(clock.ElapsedMs(std::nullopt, 20'500, playback::Speed::Normal), 500);
}

TEST(PlayClockTest, SoundStallsOnlyAfterTwoSecondsWithoutMovingAndRestartForgives) {
    PlayClock clock;
    clock.Restart(0);
    // Moving readings never stall, however far apart.
    EXPECT_FALSE(clock.SoundStalled(100, 5000));
    EXPECT_FALSE(clock.SoundStalled(200, 10'000));
    EXPECT_FALSE(clock.SoundStalled(200, 10'000 + kSoundStallMs));
    EXPECT_TRUE(clock.SoundStalled(200, 10'001 + kSoundStallMs));
    // A restart (pause, seek) starts the watch over, even for the same reading.
    clock.Restart(20'000);
    EXPECT_FALSE(clock.SoundStalled(200, 20'000));
    EXPECT_FALSE(clock.SoundStalled(200, 21'000));
    EXPECT_TRUE(clock.SoundStalled(200, 22'001));
}

}  // namespace
}  // namespace mrv::player
