// Play, pause, seek and fitting the picture to the screen.
#include "player/Playback.h"

#include <gtest/gtest.h>

namespace mrv::player {
namespace {

TEST(PlaybackTest, PositionRunsOnlyWhilePlayingAndStopsAtTheEnd) {
    Playback p(1000);
    EXPECT_EQ(p.Position(500), 0);
    EXPECT_TRUE(p.Play());
    EXPECT_EQ(p.Position(300), 300);
    EXPECT_EQ(p.Position(5000), 1000);
    EXPECT_TRUE(p.Ended(1000));
    p.Pause(300);
    EXPECT_FALSE(p.playing());
    EXPECT_EQ(p.Position(900), 300);
    EXPECT_TRUE(p.Toggle(0));  // resumes from 300, the caller restarts its clock
    EXPECT_EQ(p.Position(100), 400);
}

TEST(PlaybackTest, SeekClampsAndTellsWhetherTheClockRestarts) {
    Playback p(1000);
    EXPECT_FALSE(p.Seek(700));  // paused: nothing to restart
    EXPECT_EQ(p.Position(0), 700);
    p.Play();
    EXPECT_TRUE(p.Seek(-50));
    EXPECT_EQ(p.Position(0), 0);
    p.Seek(99999);
    EXPECT_EQ(p.base(), 1000);
}

TEST(PlaybackTest, PlayAtTheEndStartsOver) {
    Playback p(1000);
    p.Play();
    p.StopAtEnd();
    EXPECT_EQ(p.Position(0), 1000);
    EXPECT_TRUE(p.Play());
    EXPECT_EQ(p.Position(10), 10);
}

TEST(PlaybackTest, DamageEndsTheRecordingEarlyAndPlayingAgainStartsOver) {
    Playback p(10000);
    p.Play();
    p.EndAt(4000);
    EXPECT_FALSE(p.playing());
    EXPECT_EQ(p.totalMs(), 4000);
    EXPECT_EQ(p.Position(0), 4000);
    p.Seek(9000);
    EXPECT_EQ(p.base(), 4000);  // nothing after the damage is reachable
    EXPECT_TRUE(p.Play());
    EXPECT_EQ(p.Position(500), 500);
    p.EndAt(6000);  // a later cut never lengthens it
    EXPECT_EQ(p.totalMs(), 4000);
}

TEST(BarScaleTest, TenthsOfASecondWhileTheyFitCoarserStepsBeyond) {
    const BarScale hour(3600000);
    EXPECT_EQ(hour.unitMs(), 100);
    EXPECT_EQ(hour.maxPosition(), 36000);
    EXPECT_EQ(hour.pageSize(), 100);
    EXPECT_EQ(hour.MsOf(hour.PositionOf(1234567)), 1234500);

    // The longest time line a recording can claim: 2^31 ticks of 10 s.
    const int64_t longest = (int64_t{1} << 31) * 10000;
    const BarScale big(longest);
    EXPECT_LE(big.maxPosition(), kMaxBarPositions);
    EXPECT_GE(big.maxPosition(), kMaxBarPositions - 1);
    EXPECT_EQ(big.MsOf(big.maxPosition()), longest - longest % big.unitMs());
    EXPECT_EQ(big.pageSize(), 1);
    EXPECT_EQ(big.PositionOf(longest + 1), big.maxPosition());
    EXPECT_EQ(big.MsOf(-3), 0);
    EXPECT_EQ(big.MsOf(INT32_MAX), longest - longest % big.unitMs());
}

TEST(WrappingCounterTest, CountsOnPastThe32BitWrapUntilReset) {
    WrappingCounter c;
    EXPECT_EQ(c.Extend(4000000000u), 4000000000);
    EXPECT_EQ(c.Extend(5), (int64_t{1} << 32) + 5);
    EXPECT_EQ(c.Extend(7), (int64_t{1} << 32) + 7);
    c.Reset();  // the device starts again from zero
    EXPECT_EQ(c.Extend(3), 3);
}

TEST(PositionTextTest, HoursBeyondThe32BitMillisecondsStayRight) {
    EXPECT_EQ(PositionText(0, 3723000), "00:00:00 / 01:02:03");
    // 600 hours is past 2^31 ms (596.5 hours).
    EXPECT_EQ(PositionText(int64_t{600} * 3600000 + 59999, int64_t{1000} * 3600000),
              "600:00:59 / 1000:00:00");
}

TEST(FitIntoTest, SmallerPictureStaysOneToOne) {
    EXPECT_EQ(FitInto({800, 600}, {1024, 700}), (Size{800, 600}));
    EXPECT_EQ(FitInto({1024, 700}, {1024, 700}), (Size{1024, 700}));
}

TEST(FitIntoTest, LargerPictureShrinksWithItsAspectRatio) {
    EXPECT_EQ(FitInto({1920, 1080}, {1024, 700}), (Size{1024, 576}));  // width limits
    EXPECT_EQ(FitInto({1000, 2000}, {1024, 700}), (Size{350, 700}));   // height limits
    EXPECT_EQ(FitInto({5000, 1}, {100, 100}), (Size{100, 1}));         // never zero
}

TEST(FitIntoTest, DegenerateAreasGiveAVisibleDot) {
    EXPECT_EQ(FitInto({640, 480}, {0, 0}), (Size{1, 1}));
    EXPECT_EQ(FitInto({0, 480}, {100, 100}), (Size{0, 0}));
}

}  // namespace
}  // namespace mrv::player
