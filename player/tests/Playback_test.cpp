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
