// Record index, pacing and click timing.
#include "playback/Timeline.h"

#include <gtest/gtest.h>

#include "tests/support/StreamBuilder.h"

namespace mrv::playback {
namespace {

using testing::GsmBlocks;
using testing::StreamBuilder;

StreamHeader HeaderOf(const std::vector<uint8_t>& bytes) {
    return DecodeStreamHeader(std::span<const uint8_t>(bytes).first<kStreamHeaderSize>());
}

TEST(PacingTest, StoppedRecordingUsesMeanTickLength) {
    StreamHeader h;
    h.frameCount = 50;
    h.durationMs = 10000;
    const Pacing p = ComputePacing(h, 50, 0, 0);
    EXPECT_DOUBLE_EQ(p.tickMs, 200.0);
    EXPECT_EQ(p.totalMs, 10000);
}

TEST(PacingTest, NeverStoppedWithoutSoundFallsBackToDefaultRate) {
    StreamHeader h;  // frameCount 0, durationMs 1024
    const Pacing p = ComputePacing(h, 30, 0, 0);
    EXPECT_DOUBLE_EQ(p.tickMs, 166.0);
    EXPECT_EQ(p.totalTicks, 30);
    EXPECT_EQ(p.totalMs, 4980);
}

TEST(PacingTest, NeverStoppedWithSoundTakesTheSoundsLength) {
    StreamHeader h;
    // 100 blocks of 320 samples at 8000 Hz = 4 s over 20 ticks.
    const Pacing p = ComputePacing(h, 20, 100 * 320, 8000);
    EXPECT_DOUBLE_EQ(p.tickMs, 200.0);
}

TEST(PacingTest, AbsurdHeaderValuesAreClamped) {
    StreamHeader h;
    h.frameCount = 1;
    h.durationMs = 2000000000;
    EXPECT_DOUBLE_EQ(ComputePacing(h, 1, 0, 0).tickMs, 10000.0);
    h.frameCount = 2000000000;
    h.durationMs = 1;
    EXPECT_DOUBLE_EQ(ComputePacing(h, 5, 0, 0).tickMs, 10.0);
}

class TimelineTest : public ::testing::Test {
  protected:
    Timeline::Scan Build(const StreamBuilder& b) {
        bytes_ = b.Bytes();
        return timeline_.Build(bytes_, HeaderOf(bytes_));
    }
    std::vector<uint8_t> bytes_;
    Timeline timeline_;
};

TEST_F(TimelineTest, HoldTicksExtendARecordsPicture) {
    StreamBuilder b(8, 2);
    b.Stop(6, 600).CursorAt(0, 7);
    b.Fill(1).Fill(2, {.hold = 3}).Same();
    ASSERT_EQ(Build(b), Timeline::Scan::Complete);
    EXPECT_EQ(timeline_.pacing().totalTicks, 6);
    EXPECT_EQ(timeline_.RecordAtTick(0), 0);
    EXPECT_EQ(timeline_.RecordAtTick(1), 1);
    EXPECT_EQ(timeline_.RecordAtTick(4), 1);
    EXPECT_EQ(timeline_.RecordAtTick(5), 2);
    EXPECT_EQ(timeline_.RecordAtTick(99), 2);
    EXPECT_EQ(timeline_.RecordAtMs(499), 1);
    EXPECT_EQ(timeline_.RecordAtMs(500), 2);
    EXPECT_EQ(timeline_.TickAtMs(1000000), 5);
}

TEST_F(TimelineTest, CutOffTailIsReportedAndCompleteRecordsKept) {
    StreamBuilder b(8, 2);
    b.Stop(3, 300).CursorAt(0, 7);
    b.Fill(1).Fill(2).Fill(3);
    bytes_ = b.Bytes();
    bytes_.resize(bytes_.size() - 3);
    EXPECT_EQ(timeline_.Build(bytes_, HeaderOf(bytes_)), Timeline::Scan::Truncated);
    EXPECT_EQ(timeline_.records().size(), 2u);
    bytes_.resize(kStreamHeaderSize + 40 + 10);  // half a record header
    EXPECT_EQ(timeline_.Build(bytes_, HeaderOf(bytes_)), Timeline::Scan::Truncated);
    EXPECT_TRUE(timeline_.records().empty());
}

TEST_F(TimelineTest, PayloadSizesNoRecorderWritesAreDamage) {
    StreamBuilder b(8, 2);
    b.Stop(2, 200).CursorAt(0, 7);
    b.Fill(1).Fill(2);
    bytes_ = b.Bytes();
    // Negative would step backwards; below 8 bytes lets a run of zeros pass as millions of
    // records, each costing an index entry.
    for (int32_t size : {-5, 0, 7}) {
        PutI32(bytes_.data() + kStreamHeaderSize + 40, size);
        EXPECT_EQ(timeline_.Build(bytes_, HeaderOf(bytes_)), Timeline::Scan::Damaged) << size;
        EXPECT_FALSE(timeline_.error().empty());
    }
}

TEST_F(TimelineTest, CutAtADamagedRecordKeepsWhatCameBeforeIt) {
    StreamBuilder b(8, 2, 32, 1);
    b.Stop(8, 800).CursorAt(0, 7);  // 100 ms ticks
    b.Fill(1, {.click = 1, .audio = GsmBlocks(1, 9)})
        .Fill(2, {.hold = 2, .audio = GsmBlocks(2, 9)})
        .Same({.click = 2, .audio = GsmBlocks(1, 9)})
        .Same({.hold = 3});
    ASSERT_EQ(Build(b), Timeline::Scan::Complete);
    EXPECT_FALSE(timeline_.CutAt(0));  // nothing would be left: the caller refuses instead
    EXPECT_EQ(timeline_.records().size(), 4u);
    ASSERT_TRUE(timeline_.CutAt(2));
    EXPECT_EQ(timeline_.records().size(), 2u);
    EXPECT_EQ(timeline_.pacing().totalTicks, 4);
    EXPECT_EQ(timeline_.pacing().totalMs, 400);
    EXPECT_DOUBLE_EQ(timeline_.pacing().tickMs, 100.0);
    EXPECT_EQ(timeline_.audioBlocks(), 3);
    EXPECT_EQ(timeline_.RecordAtMs(99999), 1);
    EXPECT_TRUE(timeline_.CutAt(7));  // past the end: nothing to cut
    EXPECT_EQ(timeline_.records().size(), 2u);
}

TEST_F(TimelineTest, EmptyRecordingHasNoRecordAtAnyTime) {
    StreamBuilder b(8, 2);
    b.Stop(0, 40).CursorAt(0, 7);
    ASSERT_EQ(Build(b), Timeline::Scan::Complete);
    EXPECT_EQ(timeline_.RecordAtMs(0), -1);
    EXPECT_EQ(timeline_.ClickRecordAtMs(0), -1);
}

TEST_F(TimelineTest, ClickStaysVisibleForHalfASecondAfterItsPicture) {
    StreamBuilder b(8, 2);
    b.Stop(10, 1000).CursorAt(0, 7);  // 100 ms ticks
    b.Fill(1)
        .Same({.click = 1})
        .Same()
        .Same()
        .Same()
        .Same()
        .Same({.click = 2})
        .Same()
        .Same()
        .Same();
    ASSERT_EQ(Build(b), Timeline::Scan::Complete);
    EXPECT_EQ(timeline_.ClickRecordAtMs(50), -1);
    EXPECT_EQ(timeline_.ClickRecordAtMs(100), 1);
    EXPECT_EQ(timeline_.ClickRecordAtMs(599), 1);
    EXPECT_EQ(timeline_.ClickRecordAtMs(600), 6);  // the right press replaces it
    EXPECT_EQ(timeline_.ClickRecordAtMs(1099), 6);
    EXPECT_EQ(timeline_.records()[6].click, 2);
}

TEST_F(TimelineTest, CountsWholeAudioBlocksOnly) {
    StreamBuilder b(8, 2, 32, 1);
    b.Stop(2, 200).CursorAt(0, 7);
    b.Fill(1, {.audio = GsmBlocks(2, 9, 30)}).Same({.audio = GsmBlocks(1, 9)});
    ASSERT_EQ(Build(b), Timeline::Scan::Complete);
    EXPECT_EQ(timeline_.audioBlocks(), 3);
}

}  // namespace
}  // namespace mrv::playback
