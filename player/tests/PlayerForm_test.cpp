// The player form: keys, stepping, marker jumps, the bar, speed and mute, and saving's pause.
#include "player/PlayerForm.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/Texts.h"
#include "player/tests/Fakes.h"
#include "tests/support/StreamBuilder.h"

namespace mrv::player {
namespace {

using testing::RecordExtras;
using testing::StreamBuilder;

// Ten records of 200 ms; record 3 is held 4 more ticks and record 7 two more: 16 ticks in all,
// held frames at 600 and 2200 ms.
class PlayerFormTest : public ::testing::Test {
  protected:
    static std::vector<uint8_t> HeldFrames() {
        StreamBuilder b(8, 2);
        b.Stop(16, 3200);
        for (int i = 0; i < 10; ++i) {
            RecordExtras extras;
            extras.hold = i == 3 ? 4 : i == 7 ? 2 : 0;
            b.Fill(static_cast<uint32_t>(i), extras);
        }
        return b.Bytes();
    }
    void Key(PlayerKey key, bool ctrl = false) { EXPECT_TRUE(form_.KeyDown(key, ctrl)); }

    IndexedStream rec_{HeldFrames()};
    const playback::Timeline& timeline_ = rec_.timeline;
    FakeView view_;
    PlayerForm form_{view_, timeline_};
};

TEST_F(PlayerFormTest, ArrowsHomeAndEndSeekFromWherePlayingHasGot) {
    form_.Start(false);
    Key(PlayerKey::Space);
    EXPECT_EQ(view_.restarts.back(), (Restart{true, 0}));
    // Five seconds either way, within the recording's 3.2.
    view_.elapsed = 1000;
    Key(PlayerKey::Right);
    EXPECT_EQ(view_.restarts.back(), (Restart{true, 3200}));
    view_.elapsed = 0;
    Key(PlayerKey::Left);
    EXPECT_EQ(view_.restarts.back(), (Restart{true, 0}));
    Key(PlayerKey::End);
    EXPECT_EQ(view_.shown, 3200);
    Key(PlayerKey::Home);
    EXPECT_EQ(view_.shown, 0);
    EXPECT_TRUE(form_.playing());
    EXPECT_FALSE(form_.KeyDown(PlayerKey::S, false));  // a plain S is not a player key
}

TEST_F(PlayerFormTest, CommaAndPeriodStepOneRecordOnlyWhilePaused) {
    form_.Start(false);
    Key(PlayerKey::Period);
    EXPECT_EQ(view_.shown, 200);
    for (int i = 0; i < 3; ++i) Key(PlayerKey::Period);
    EXPECT_EQ(view_.shown, 1600);  // past the held record's five ticks
    Key(PlayerKey::Comma);
    EXPECT_EQ(view_.shown, 600);
    Key(PlayerKey::End);
    Key(PlayerKey::Period);
    EXPECT_EQ(view_.shown, 3200);  // nothing after the last record
    Key(PlayerKey::Comma);
    EXPECT_EQ(timeline_.RecordAtMs(view_.shown), 8);

    Key(PlayerKey::Home);
    Key(PlayerKey::Space);
    const size_t restarts = view_.restarts.size();
    Key(PlayerKey::Period);
    EXPECT_EQ(view_.restarts.size(), restarts);
}

TEST_F(PlayerFormTest, PageKeysJumpBetweenHeldFrames) {
    EXPECT_EQ(form_.markers(), (std::vector<int64_t>{600, 2200}));
    form_.Start(false);
    Key(PlayerKey::PageDown);
    EXPECT_EQ(view_.shown, 600);
    Key(PlayerKey::PageDown);
    EXPECT_EQ(view_.shown, 2200);
    const size_t restarts = view_.restarts.size();
    Key(PlayerKey::PageDown);  // none after the last
    EXPECT_EQ(view_.restarts.size(), restarts);
    Key(PlayerKey::PageUp);
    EXPECT_EQ(view_.shown, 600);
    // While playing, just past a marker, the jump back goes to the one before it.
    Key(PlayerKey::Space);
    view_.elapsed = 1700;
    Key(PlayerKey::PageUp);
    EXPECT_EQ(view_.restarts.back(), (Restart{true, 600}));
}

TEST(StartMsOfTickTest, EveryRecordStartFloorsBackToItsTickAtAnUnevenTickLength) {
    StreamBuilder b(8, 2);
    b.Stop(30, 5000);  // 166.67 ms a tick
    for (int i = 0; i < 30; ++i) b.Same();
    const IndexedStream rec(b.Bytes());
    const playback::Timeline& timeline = rec.timeline;
    for (int64_t tick = 0; tick < 30; ++tick) {
        const int64_t ms = StartMsOfTick(timeline, tick);
        EXPECT_EQ(timeline.TickAtMs(ms), tick) << ms;
        EXPECT_LT(timeline.TickAtMs(ms - 1), tick + (tick == 0)) << ms;
    }
}

TEST_F(PlayerFormTest, TheHeldThumbMovesOnlyThePictureAndItsReleaseSeeks) {
    form_.Start(true);
    form_.BarTrack(form_.barScale().PositionOf(1500));
    EXPECT_EQ(view_.shown, 1500);
    EXPECT_FALSE(view_.barMoved);
    view_.elapsed = 400;
    form_.Tick();  // playing does not pull the picture away from the thumb
    EXPECT_EQ(view_.shown, 1500);
    form_.BarRelease(form_.barScale().PositionOf(2000));
    EXPECT_EQ(view_.restarts.back(), (Restart{true, 2000}));
    EXPECT_FALSE(form_.dragging());
}

TEST(BarPositionAtTest, AClickMapsAlongTheChannelAndClampsOutside) {
    EXPECT_EQ(BarPositionAt(110, 10, 210, 1000), 500);
    EXPECT_EQ(BarPositionAt(10, 10, 210, 1000), 0);
    EXPECT_EQ(BarPositionAt(500, 10, 210, 1000), 1000);
    EXPECT_EQ(BarPositionAt(0, 10, 210, 1000), 0);
    EXPECT_EQ(BarPositionAt(50, 10, 10, 1000), 0);  // no channel yet
    // And back, for the selection drawn on it.
    for (int32_t x : {10, 11, 77, 209, 210}) {
        EXPECT_EQ(BarXOf(BarPositionAt(x, 10, 210, 1000), 10, 210, 1000), x);
    }
    EXPECT_EQ(BarXOf(2000, 10, 210, 1000), 210);
}

TEST_F(PlayerFormTest, TheEndStopsOnTheLastPictureAndPlayingAgainStartsOver) {
    form_.Start(true);
    view_.elapsed = 5000;
    form_.Tick();
    EXPECT_FALSE(form_.playing());
    EXPECT_EQ(view_.endedAt, 3200);
    EXPECT_EQ(view_.shown, 3200);
    form_.PlayClick();
    EXPECT_EQ(view_.restarts.back(), (Restart{true, 0}));
}

TEST_F(PlayerFormTest, SpeedKeysStepWithinTheFourSpeedsAndRestartTheClockAtTheNewOne) {
    form_.Start(true);
    view_.elapsed = 1000;
    Key(PlayerKey::RightBracket);
    EXPECT_EQ(view_.sound.speed, Speed::OneAndHalf);
    EXPECT_EQ(view_.restarts.back(), (Restart{true, 1000}));
    EXPECT_EQ(view_.restartSpeed, Speed::OneAndHalf);  // applied before the clock restarted
    Key(PlayerKey::RightBracket);
    Key(PlayerKey::RightBracket);
    EXPECT_EQ(form_.sound().speed, Speed::Double);
    for (int i = 0; i < 4; ++i) Key(PlayerKey::LeftBracket);
    EXPECT_EQ(form_.sound().speed, Speed::Half);
    Key(PlayerKey::M);
    EXPECT_TRUE(view_.sound.muted);
    form_.VolumeChanged(150);
    EXPECT_EQ(view_.sound.volumePercent, 100);
    form_.VolumeChanged(40);
    EXPECT_EQ(view_.sound, (SoundSettings{40, true, Speed::Half}));
}

TEST_F(PlayerFormTest, FullScreenByF11AndBackByEscapeOnly) {
    form_.Start(false);
    Key(PlayerKey::Escape);
    EXPECT_FALSE(view_.fullScreen);
    Key(PlayerKey::F11);
    EXPECT_TRUE(view_.fullScreen);
    Key(PlayerKey::Escape);
    EXPECT_FALSE(view_.fullScreen);
}

TEST(ScaleTipTest, SaysWhetherThePictureIsShownPixelForPixel) {
    EXPECT_STREQ(ScaleTip({320, 240}, {320, 240}).c_str(), text::kPlayerShownOneToOne);
    EXPECT_NE(ScaleTip({1600, 1200}, {800, 600}).find("50%"), std::string::npos);
}

}  // namespace
}  // namespace mrv::player
