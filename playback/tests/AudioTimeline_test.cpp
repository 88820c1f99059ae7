// Sound placement on the picture's time line and PCM assembly.
#include "playback/AudioTimeline.h"

#include <gtest/gtest.h>

#include "tests/support/StreamBuilder.h"

namespace mrv::playback {
namespace {

using testing::GsmBlocks;
using testing::StreamBuilder;

// Every sample of a block becomes the block's first byte, so the PCM shows its source.
class FakeDecoder : public GsmDecoder {
  public:
    bool Decode(std::span<const uint8_t> blocks, std::span<int16_t> pcm) override {
        ++calls;
        if (fail) return false;
        EXPECT_EQ(blocks.size() % kGsmBlockBytes, 0u);
        EXPECT_EQ(pcm.size(), blocks.size() / kGsmBlockBytes * kGsmSamplesPerBlock);
        for (size_t i = 0; i < pcm.size(); ++i) {
            pcm[i] = blocks[i / kGsmSamplesPerBlock * kGsmBlockBytes];
        }
        return true;
    }
    int calls = 0;
    bool fail = false;
};

class AudioTimelineTest : public ::testing::Test {
  protected:
    void Build(const StreamBuilder& b) {
        bytes_ = b.Bytes();
        const auto header =
            DecodeStreamHeader(std::span<const uint8_t>(bytes_).first<kStreamHeaderSize>());
        ASSERT_EQ(timeline_.Build(bytes_, header), Timeline::Scan::Complete);
        audio_.Build(timeline_, 8000);
    }
    std::vector<uint8_t> bytes_;
    Timeline timeline_;
    AudioTimeline audio_;
    FakeDecoder decoder_;
};

TEST_F(AudioTimelineTest, ChunksEndAtTheirRecordsTimeAfterThePreviousOne) {
    // 1 s ticks; 8000 samples per tick; a block is 320 samples.
    StreamBuilder b(8, 2, 32, 1);
    b.Stop(4, 4000).CursorAt(0, 7);
    b.Fill(1, {.audio = GsmBlocks(10, 1)})  // due at 0: cannot start before 0
        .Same({.audio = GsmBlocks(10, 2)})  // due at 8000, after the first chunk's end (3200)
        .Same({.audio = GsmBlocks(30, 3)})  // 9600 samples due by 16000: would start at 6400
        .Same({.audio = GsmBlocks(0, 4, 64)});
    Build(b);
    ASSERT_EQ(audio_.chunks().size(), 3u);
    EXPECT_EQ(audio_.chunks()[0].startSample, 0);
    EXPECT_EQ(audio_.chunks()[1].startSample, 8000 - 3200);
    EXPECT_EQ(audio_.chunks()[2].startSample, 8000);  // pushed behind the second chunk
    EXPECT_EQ(audio_.totalSamples(), 32000);          // the picture lasts longer
}

TEST_F(AudioTimelineTest, FillPutsSilenceInGapsAndSoundWhereChunksPlay) {
    StreamBuilder b(8, 2, 32, 1);
    b.Stop(2, 2000).CursorAt(0, 7);
    b.Fill(1, {.audio = GsmBlocks(1, 5)}).Same({.audio = GsmBlocks(2, 6, 7)});
    Build(b);
    std::vector<int16_t> pcm(16000, -1);
    EXPECT_EQ(audio_.Fill(bytes_, decoder_, 0, pcm), 3 * 320);
    EXPECT_EQ(pcm[0], 5);
    EXPECT_EQ(pcm[319], 5);
    EXPECT_EQ(pcm[320], 0);
    EXPECT_EQ(pcm[8000 - 641], 0);
    EXPECT_EQ(pcm[8000 - 640], 6);
    EXPECT_EQ(pcm[7999], 6);
    EXPECT_EQ(pcm[8000], 0);
    EXPECT_EQ(audio_.blocksDecoded(), 3);
}

TEST_F(AudioTimelineTest, FillingInPiecesDecodesEachChunkOnceAndMatchesOneFill) {
    StreamBuilder b(8, 2, 32, 1);
    b.Stop(3, 600).CursorAt(0, 7);
    b.Fill(1, {.audio = GsmBlocks(3, 1)})
        .Same({.audio = GsmBlocks(3, 2)})
        .Same({.audio = GsmBlocks(3, 3)});
    Build(b);
    std::vector<int16_t> whole(static_cast<size_t>(audio_.totalSamples()));
    audio_.Fill(bytes_, decoder_, 0, whole);
    AudioTimeline again;
    again.Build(timeline_, 8000);
    FakeDecoder counting;
    std::vector<int16_t> pieces;
    for (int64_t at = 0; at < again.totalSamples(); at += 101) {
        std::vector<int16_t> part(
            static_cast<size_t>(std::min<int64_t>(101, again.totalSamples() - at)));
        again.Fill(bytes_, counting, at, part);
        pieces.insert(pieces.end(), part.begin(), part.end());
    }
    EXPECT_EQ(pieces, whole);
    EXPECT_EQ(counting.calls, 3);
}

TEST_F(AudioTimelineTest, PlayedToTheLastSampleTheClockReachesThePicturesEnd) {
    StreamBuilder b(8, 2, 32, 2);
    b.Stop(6, 996).CursorAt(0, 7);  // 996 ms at 11025 Hz: 10980.9 samples
    b.Fill(1, {.audio = GsmBlocks(1, 1)}).Same().Same().Same().Same().Same();
    bytes_ = b.Bytes();
    const auto header =
        DecodeStreamHeader(std::span<const uint8_t>(bytes_).first<kStreamHeaderSize>());
    ASSERT_EQ(timeline_.Build(bytes_, header), Timeline::Scan::Complete);
    audio_.Build(timeline_, 11025);
    EXPECT_EQ(audio_.totalSamples(), 10981);
    EXPECT_GE(audio_.MsAtSample(audio_.totalSamples()), timeline_.pacing().totalMs);
}

TEST_F(AudioTimelineTest, UndecodableChunkIsSilence) {
    StreamBuilder b(8, 2, 32, 1);
    b.Stop(1, 1000).CursorAt(0, 7);
    b.Fill(1, {.audio = GsmBlocks(2, 9)});
    Build(b);
    decoder_.fail = true;
    std::vector<int16_t> pcm(640, 1);
    audio_.Fill(bytes_, decoder_, 0, pcm);
    EXPECT_EQ(std::count(pcm.begin(), pcm.end(), 0), 640);
    EXPECT_EQ(audio_.blocksDecoded(), 0);
}

}  // namespace
}  // namespace mrv::playback
