// Export pacing and limits: pictures are sent per record, never per held tick, and time lines a
// file cannot carry are refused before any work starts.
#include "export/ExportPlan.h"

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

TEST(ExportSkipIdle, IdleStretchesShrinkToTheLimitAndBusyTimeIsKept) {
    // Pictures change at 0 and 0.5 s, sound is heard from 2 to 2.5 s, a picture changes at 9 s;
    // the recording lasts 12 s. With a 1 s limit: 0-1.5 kept, 1.5-2 cut, 2-2.5 sound, 2.5-3.5
    // kept, 3.5-9 cut, 9-10 kept, 10-12 cut.
    const TimeMap map =
        TimeMap::SkipIdle({{9000, 9000}, {0, 0}, {500, 500}, {2000, 2500}}, 12000, 1000);
    ASSERT_EQ(map.pieces().size(), 3u);
    EXPECT_EQ(map.pieces()[0].toMs, 1500);
    EXPECT_EQ(map.pieces()[1].fromMs, 2000);
    EXPECT_EQ(map.pieces()[1].toMs, 3500);
    EXPECT_EQ(map.pieces()[2].fromMs, 9000);
    EXPECT_EQ(map.pieces()[2].toMs, 10000);
    EXPECT_EQ(map.totalOutMs(), 4000);
    EXPECT_EQ(map.Out(2200), 1700);
    EXPECT_EQ(map.Out(5000), 3000);  // inside a cut: where the cut is
    EXPECT_EQ(map.Out(9500), 3500);
    EXPECT_EQ(map.Out(12000), 4000);
    // Nothing idle for long: no cut at all; only an idle end: a cut all the same.
    EXPECT_FALSE(TimeMap::SkipIdle({{0, 0}, {800, 800}}, 1500, 1000).cuts());
    const TimeMap tail = TimeMap::SkipIdle({{0, 0}}, 5000, 1000);
    EXPECT_TRUE(tail.cuts());
    EXPECT_EQ(tail.totalOutMs(), 1000);
    // A limit of 0 keeps only the busy moments' own time.
    EXPECT_EQ(TimeMap::SkipIdle({{0, 0}, {1000, 2000}}, 5000, 0).totalOutMs(), 1000);
}

TEST(ExportSkipIdle, FramesAreStampedInOutputMillisecondsAndCutRecordsAreNotSent) {
    // Records at ticks 0, 1, 2 (idle) and 40 of 100 ms; the stretch from 0.3 to 4 s is cut to 1 s.
    const std::vector<int64_t> firstTicks{0, 1, 2, 40};
    const TimeMap map = TimeMap::SkipIdle({{0, 0}, {100, 100}, {4000, 4000}}, 4100, 1000);
    const FrameSchedule schedule(firstTicks, 41, 100, &map, 0);
    EXPECT_EQ(schedule.unitMicros(), 1000);
    EXPECT_EQ(schedule.totalUnits(), 1200);
    std::vector<int64_t> times;
    for (size_t i = 0; i < firstTicks.size(); ++i) schedule.Times(i, times);
    // The last record again one tick before the end, so that the video lasts to it.
    EXPECT_EQ(times, (std::vector<int64_t>{0, 100, 200, 1100}));
    // Without cuts the schedule is the tick one.
    const FrameSchedule plain(firstTicks, 41, 100, nullptr, 0);
    times.clear();
    for (size_t i = 0; i < firstTicks.size(); ++i) plain.Times(i, times);
    EXPECT_EQ(times, (std::vector<int64_t>{0, 1, 2, 40}));
}

TEST(ExportSelection, BoundsSpeedsAndScaledSizes) {
    Selection s;
    EXPECT_FALSE(ResolveSelection(500, -1, 1.5, 4000, s));
    EXPECT_EQ(s.toMs, 4000);
    EXPECT_FALSE(s.trimsEnd);
    EXPECT_EQ(s.halves, 3);
    EXPECT_FALSE(ResolveSelection(0, 9000, 4, 4000, s));  // past the end: to the end
    EXPECT_FALSE(s.trimsEnd);
    EXPECT_FALSE(ResolveSelection(100, 300, 2, 4000, s));
    EXPECT_TRUE(s.trimsEnd);
    EXPECT_TRUE(ResolveSelection(300, 300, 1, 4000, s));
    EXPECT_TRUE(ResolveSelection(4000, -1, 1, 4000, s));
    EXPECT_TRUE(ResolveSelection(-1, -1, 1, 4000, s));
    for (double bad : {0.0, 3.0, -2.0, 1.25, std::nan("")}) {
        EXPECT_TRUE(ResolveSelection(0, -1, bad, 4000, s)) << bad;
    }
    // The stretcher's rounding: up.
    EXPECT_EQ(AtSpeed(8801, 4), 4401);
    EXPECT_EQ(AtSpeed(9, 3), 6);
    EXPECT_EQ(AtSpeed(9, 8), 3);
    EXPECT_EQ(ScaledSize(1920, 1080, 1280), (PictureSize{1280, 720}));
    EXPECT_EQ(ScaledSize(1920, 1080, 640), (PictureSize{640, 360}));
    EXPECT_EQ(ScaledSize(1366, 768, 960), (PictureSize{960, 540}));
    EXPECT_EQ(ScaledSize(800, 600, 1280), (PictureSize{800, 600}));  // never enlarged
    EXPECT_EQ(ScaledSize(800, 600, 0), (PictureSize{800, 600}));
    EXPECT_EQ(ScaledSize(4000, 2, 640), (PictureSize{640, 1}));
}

TEST(ExportSelection, PartStartsWithThePictureOnScreenAndLastsItsLengthOverTheSpeed) {
    // Records at ticks 0, 1, 2 and 40 of 100 ms; 1.5 s to 3 s saved at 2x.
    const std::vector<int64_t> firstTicks{0, 1, 2, 40};
    const Selection part{150, 3000, 4, true};
    const TimeMap map = TimeMap::Only(part, 4100);
    const FrameSchedule schedule(firstTicks, 41, 100, &map, 0, part.halves);
    EXPECT_EQ(schedule.totalUnits(), 1425);
    std::vector<int64_t> times;
    for (size_t i = 0; i < firstTicks.size(); ++i) schedule.Times(i, times);
    // Record 1 is on screen at the start; record 2 holds to the end (and again a tick before
    // it); records 0 and 3 lie outside.
    EXPECT_EQ(times, (std::vector<int64_t>{0, 25, 1375}));
    // The sound: the part itself, silence padded to its end; to the sound's end without a mark.
    EXPECT_EQ(map.KeptSamples(8000, 9000),
              (std::vector<std::pair<int64_t, int64_t>>{{1200, 24000}}));
    const TimeMap open = TimeMap::Only({150, 4100, 2, false}, 4100);
    EXPECT_EQ(open.KeptSamples(8000, 40000),
              (std::vector<std::pair<int64_t, int64_t>>{{1200, 40000}}));
    EXPECT_TRUE(open.KeptSamples(8000, 1000).empty());
    // Idle time is cut inside the part only: 0.15 to 1.15 s kept, then from the change at 2.5 s.
    const TimeMap idle = TimeMap::SkipIdle({{0, 0}, {2500, 2500}}, part, 4100, 1000);
    ASSERT_EQ(idle.pieces().size(), 2u);
    EXPECT_EQ(idle.pieces()[0].fromMs, 150);
    EXPECT_EQ(idle.pieces()[0].toMs, 1150);
    EXPECT_EQ(idle.pieces()[1].fromMs, 2500);
    EXPECT_EQ(idle.totalOutMs(), 1500);
    EXPECT_FALSE(idle.keepsEnd());
}

}  // namespace
}  // namespace mrv::exporting
