// Sound copied at 64-bit stream offsets, piece by piece: positions past 4 GiB read the right
// bytes, and a source that ends early stops the copy.
#include "export/SoundStream.h"

#include <gtest/gtest.h>

#include "playback/GsmWav.h"

namespace mrv::exporting {
namespace {

// A 6 GiB stream that exists only as a rule: the byte at offset o is a hash of o.
class HugeSource : public ByteSource {
  public:
    static uint8_t At(int64_t o) { return static_cast<uint8_t>((o * 2654435761LL) >> 13); }
    int64_t size() const override { return 6LL << 30; }
    bool Read(int64_t offset, std::span<uint8_t> out) override {
        ++reads;
        largest = std::max(largest, out.size());
        if (offset < 0 || offset + static_cast<int64_t>(out.size()) > size()) return false;
        for (size_t i = 0; i < out.size(); ++i) out[i] = At(offset + static_cast<int64_t>(i));
        return true;
    }
    int reads = 0;
    size_t largest = 0;
};

TEST(SoundStream, RunsPastFourGibibytesReadTheirOwnBytes) {
    HugeSource source;
    const std::vector<SoundRun> runs{{(4LL << 30) + 17, 65 * 3}, {(5LL << 30) - 65, 65 * 2000}};
    std::vector<uint8_t> got;
    ASSERT_TRUE(CopySoundRuns(source, runs, [&](std::span<const uint8_t> b) {
        got.insert(got.end(), b.begin(), b.end());
        return true;
    }));
    ASSERT_EQ(got.size(), size_t{65 * 2003});
    for (size_t i = 0; i < 195; ++i) ASSERT_EQ(got[i], HugeSource::At(runs[0].offset + i));
    for (size_t i = 0; i < 130000; ++i) {
        ASSERT_EQ(got[195 + i], HugeSource::At(runs[1].offset + static_cast<int64_t>(i)));
    }
    EXPECT_LE(source.largest, size_t{64 * 1024});  // bounded pieces, not the whole sound
}

TEST(SoundStream, RunBeyondTheSourceOrRefusingSinkStops) {
    HugeSource source;
    const std::vector<SoundRun> beyond{{(6LL << 30) - 65, 130}};
    EXPECT_FALSE(CopySoundRuns(source, beyond, [](std::span<const uint8_t>) { return true; }));
    const std::vector<SoundRun> fine{{0, 65}};
    EXPECT_FALSE(CopySoundRuns(source, fine, [](std::span<const uint8_t>) { return false; }));
}

TEST(SoundStream, StreamedWavEqualsTheWholeFileWriter) {
    std::vector<uint8_t> stream(1000);
    for (size_t i = 0; i < stream.size(); ++i) stream[i] = static_cast<uint8_t>(i * 7);
    SpanSource source(stream);
    const std::vector<SoundRun> runs{{16, 65}, {300, 130}};
    std::vector<uint8_t> got;
    ASSERT_TRUE(WriteGsmWav(source, runs, 8000, 1625, [&](std::span<const uint8_t> b) {
        got.insert(got.end(), b.begin(), b.end());
        return true;
    }));
    std::vector<uint8_t> blocks(stream.begin() + 16, stream.begin() + 81);
    blocks.insert(blocks.end(), stream.begin() + 300, stream.begin() + 430);
    EXPECT_EQ(got, playback::MakeGsmWav(blocks, 8000, 1625));  // odd size: pad byte included
}

TEST(SoundStream, SpanSourceRefusesReadsOutsideIt) {
    const std::vector<uint8_t> bytes(10, 1);
    SpanSource source(bytes);
    std::vector<uint8_t> out(4);
    EXPECT_TRUE(source.Read(6, out));
    EXPECT_FALSE(source.Read(7, out));
    EXPECT_FALSE(source.Read(-1, out));
    EXPECT_FALSE(source.Read(INT64_MAX - 2, out));
}

}  // namespace
}  // namespace mrv::exporting
