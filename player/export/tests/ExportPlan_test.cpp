// Export pacing and limits: pictures are sent per record, never per held tick, and time lines a
// file cannot carry are refused before any work starts.
#include "player/export/ExportPlan.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mrv::exporting {
namespace {

std::vector<int64_t> Ticks(int64_t first, int64_t ticks, bool last, int64_t maxTicks) {
    std::vector<int64_t> out;
    FrameTicks(first, ticks, last, maxTicks, out);
    return out;
}

TEST(ExportFrameTicks, HeldPictureIsSentOnceWhateverItsLength) {
    EXPECT_EQ(Ticks(7, 1, false, INT64_MAX), (std::vector<int64_t>{7}));
    EXPECT_EQ(Ticks(7, 256, false, INT64_MAX), (std::vector<int64_t>{7}));
}

TEST(ExportFrameTicks, LastRecordIsSentAgainAtItsLastTickSoTheVideoLastsTheTimeLine) {
    EXPECT_EQ(Ticks(10, 256, true, INT64_MAX), (std::vector<int64_t>{10, 265}));
    EXPECT_EQ(Ticks(10, 1, true, INT64_MAX), (std::vector<int64_t>{10}));
}

TEST(ExportFrameTicks, FrameLengthLimitRepeatsALongPictureAFewTimes) {
    EXPECT_EQ(Ticks(0, 256, false, 60), (std::vector<int64_t>{0, 60, 120, 180, 240}));
    EXPECT_EQ(Ticks(0, 120, true, 60), (std::vector<int64_t>{0, 60, 119}));
    EXPECT_EQ(Ticks(0, 3, false, 0), (std::vector<int64_t>{0, 1, 2}));  // clamped to 1
}

TEST(ExportFrameTicks, HugeTickNumbersDoNotOverflow) {
    const auto t = Ticks(INT64_MAX - 300, 256, true, INT64_MAX / 2);
    EXPECT_EQ(t, (std::vector<int64_t>{INT64_MAX - 300, INT64_MAX - 45}));
}

TEST(ExportPacing, TickMicrosAndFrameSpans) {
    EXPECT_EQ(TickMicros(166.6667), 166667);
    EXPECT_EQ(TickMicros(0), 1);
    EXPECT_EQ(TickMicros(-5), 1);
    EXPECT_EQ(TickMicros(std::nan("")), 1);
    EXPECT_EQ(MaxTicksPerFrame(10000, kMaxGifFrameMs), 60);
    EXPECT_EQ(MaxTicksPerFrame(50, kMaxGifFrameMs), 12000);
    EXPECT_EQ(MaxTicksPerFrame(1e9, kMaxGifFrameMs), 1);
    EXPECT_EQ(MaxTicksPerFrame(50, 0), INT64_MAX);
}

TEST(ExportLimits, PictureTimeLineUpToAMonth) {
    const int64_t month = kMaxExportTimelineMs;
    EXPECT_FALSE(CheckPictureTimeline(month / 1000, 1000));
    EXPECT_TRUE(CheckPictureTimeline(month / 1000 + 1, 1000));
    // The hostile shape: thousands of records of 256 ticks at a 10 s tick.
    EXPECT_TRUE(CheckPictureTimeline(3000 * 256, 10000));
    EXPECT_TRUE(CheckPictureTimeline(INT64_MAX, 10000));
    EXPECT_TRUE(CheckPictureTimeline(1, 0));
    EXPECT_TRUE(CheckPictureTimeline(1, std::nan("")));
}

TEST(ExportLimits, SoundTrackSilenceBoundedByAnHourPlusTheSound) {
    const int32_t rate = 8000;
    const int64_t hour = 3600LL * rate;
    EXPECT_FALSE(CheckSoundTimeline(hour, 3 * hour, rate));  // an hour of sound, two of silence
    EXPECT_TRUE(CheckSoundTimeline(hour, 3 * hour + 1, rate));
    EXPECT_FALSE(CheckSoundTimeline(320, hour + 320, rate));
    EXPECT_TRUE(CheckSoundTimeline(320, 100 * hour, rate));
    ASSERT_TRUE(CheckSoundTimeline(10, 5, rate));  // ends before its own sound
    EXPECT_TRUE(CheckSoundTimeline(10, 20, 0));
}

TEST(ExportLimits, WavDataMustFitRiffSizes) {
    EXPECT_FALSE(CheckWavSize(kMaxWavDataBytes));
    EXPECT_TRUE(CheckWavSize(kMaxWavDataBytes + 1));
    EXPECT_TRUE(CheckWavSize(6LL << 30));
}

}  // namespace
}  // namespace mrv::exporting
