// The stream checks behind `mrvtool info`: accounting, audio and payload rules, cut-off tails.
#include "tools/lib/StreamCheck.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "tests/support/StreamBuilder.h"

namespace mrv::tools {
namespace {

using mrv::testing::GsmBlocks;
using mrv::testing::StreamBuilder;

class StreamCheckTest : public ::testing::Test {
  protected:
    StreamBuilder s{10, 6, 32};
    void Stop(int32_t frameCount, int32_t durationMs = 500) { s.Stop(frameCount, durationMs); }
};

TEST_F(StreamCheckTest, StoppedRecordingCountsRecordsAndHoldTicks) {
    s.Add({0, 0, 10, 6}, 1);
    s.Add({0, 0, 4, 2}, 2, {.hold = 20});
    s.Add({}, 0);
    Stop(23);
    const StreamSummary summary = CheckStream(s.Bytes());
    EXPECT_TRUE(summary.valid()) << summary.problems.front();
    EXPECT_EQ(summary.records, 3);
    EXPECT_EQ(summary.holdTicks, 20);
    EXPECT_EQ(summary.items, 2);
    EXPECT_FALSE(summary.neverStopped);
}

TEST_F(StreamCheckTest, FrameCountThatForgetsHoldTicksIsInvalid) {
    s.Add({0, 0, 10, 6}, 1);
    s.Add({0, 0, 4, 2}, 2, {.hold = 20});
    Stop(2);
    const StreamSummary summary = CheckStream(s.Bytes());
    ASSERT_EQ(summary.problems.size(), 1u);
    EXPECT_NE(summary.problems[0].find("frameCount 2"), std::string::npos);
}

TEST_F(StreamCheckTest, NeverStoppedRecordingIsValidWithAnyNumberOfRecords) {
    s.Add({0, 0, 10, 6}, 1);
    s.Add({}, 0);
    const StreamSummary summary = CheckStream(s.Bytes());
    EXPECT_TRUE(summary.valid());
    EXPECT_TRUE(summary.neverStopped);
}

TEST_F(StreamCheckTest, StopBeforeTheFirstTickIsValid) {
    Stop(0, 40);
    EXPECT_TRUE(CheckStream(s.Bytes()).valid());
}

TEST_F(StreamCheckTest, AudioInARecordingWithoutSoundIsInvalid) {
    s.Add({}, 0, {.audio = GsmBlocks(1, 0x55)});
    Stop(1);
    const StreamSummary summary = CheckStream(s.Bytes());
    ASSERT_EQ(summary.problems.size(), 1u);
    EXPECT_NE(summary.problems[0].find("without sound"), std::string::npos);
}

TEST_F(StreamCheckTest, AudioMustBeWholeGsmBlocks) {
    StreamBuilder withSound(10, 6, 32, /*audioFormat=*/2);
    withSound.Add({}, 0, {.audio = GsmBlocks(2, 0x55)});
    withSound.Add({}, 0);
    withSound.header.frameCount = 2;
    EXPECT_TRUE(CheckStream(withSound.Bytes()).valid());
    withSound.Add({}, 0, {.audio = GsmBlocks(0, 0x55, 64)});
    withSound.header.frameCount = 3;
    const StreamSummary summary = CheckStream(withSound.Bytes());
    ASSERT_EQ(summary.problems.size(), 1u);
    EXPECT_NE(summary.problems[0].find("65-byte"), std::string::npos);
    EXPECT_EQ(summary.audioBytes, 194);
}

TEST_F(StreamCheckTest, PayloadFromAnotherCompressionLevelIsInvalid) {
    // Level 9 still inflates, but its stream header is 78 DA, not the recorder's 78 9C.
    const uint8_t empty = 0;
    std::vector<uint8_t> z(64);
    uLongf size = z.size();
    ASSERT_EQ(compress2(z.data(), &size, &empty, 0, 9), Z_OK);
    z.resize(size);
    s.AddPayload(z);
    Stop(1);
    const StreamSummary summary = CheckStream(s.Bytes());
    ASSERT_EQ(summary.problems.size(), 1u);
    EXPECT_NE(summary.problems[0].find("78 9C"), std::string::npos);
}

TEST_F(StreamCheckTest, CutOffTailIsInvalidButWholeRecordsAreCounted) {
    s.Add({0, 0, 10, 6}, 1);
    s.Add({0, 0, 10, 6}, 2);
    Stop(2);
    auto bytes = s.Bytes();
    bytes.resize(bytes.size() - 3);
    const StreamSummary summary = CheckStream(bytes);
    EXPECT_TRUE(summary.cutOff);
    EXPECT_EQ(summary.records, 1);
    EXPECT_FALSE(summary.valid());
}

TEST_F(StreamCheckTest, ReaderErrorsAreReported) {
    s.Add({0, 0, 10, 6}, 1);
    Stop(1);
    auto bytes = s.Bytes();
    PutI32(&bytes[16], 0);  // screenWidth
    const StreamSummary summary = CheckStream(bytes);
    EXPECT_FALSE(summary.opened);
    ASSERT_EQ(summary.problems.size(), 1u);
    EXPECT_NE(summary.problems[0].find("screen size"), std::string::npos);
}

}  // namespace
}  // namespace mrv::tools
