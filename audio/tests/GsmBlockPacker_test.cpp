// PCM to GSM deliveries: whole blocks, at most the limit per delivery, leftovers kept.
#include "audio/GsmBlockPacker.h"

#include <gtest/gtest.h>

#include <vector>

#include "audio/tests/FakeWaveIn.h"

namespace mrv::audio {
namespace {

using testing::FakeEncoder;

// PCM whose block i starts with byte value first + i.
std::vector<uint8_t> Blocks(size_t count, uint8_t first) {
    std::vector<uint8_t> pcm(count * kPcmBlockBytes);
    for (size_t i = 0; i < count; ++i) pcm[i * kPcmBlockBytes] = static_cast<uint8_t>(first + i);
    return pcm;
}

struct Collected {
    std::vector<size_t> sizes;
    std::vector<uint8_t> firstBytesOfBlocks;
    GsmBlockPacker::Deliver Sink() {
        return [this](std::span<const uint8_t> gsm) {
            sizes.push_back(gsm.size());
            for (size_t at = 0; at < gsm.size(); at += kGsmBlockBytes) {
                firstBytesOfBlocks.push_back(gsm[at]);
            }
        };
    }
};

TEST(GsmBlockPacker, WholeBlocksGoOutAtOnceInOrderAndNoDeliveryExceedsTheLimit) {
    FakeEncoder encoder;
    GsmBlockPacker packer(1024);
    EXPECT_EQ(packer.blocksPerDelivery(), 15u);
    Collected got;
    EXPECT_EQ(packer.Feed(Blocks(15, 1), encoder, got.Sink()), 1);
    EXPECT_EQ(got.sizes, std::vector<size_t>{975});

    GsmBlockPacker small(200);  // three blocks
    Collected three;
    EXPECT_EQ(small.Feed(Blocks(10, 1), encoder, three.Sink()), 4);
    EXPECT_EQ(three.sizes, (std::vector<size_t>{195, 195, 195, 65}));
    EXPECT_EQ(three.firstBytesOfBlocks, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(small.leftoverBytes(), 0u);
}

TEST(GsmBlockPacker, PcmShortOfABlockWaitsForTheRestAndTheBlockGoesOutWhenComplete) {
    FakeEncoder encoder;
    GsmBlockPacker packer(1024);
    Collected got;
    std::vector<uint8_t> pcm = Blocks(2, 7);
    // 1.5 blocks, then an odd byte count, then the rest.
    EXPECT_EQ(packer.Feed(std::span(pcm).first(960), encoder, got.Sink()), 1);
    EXPECT_EQ(packer.leftoverBytes(), 320u);
    EXPECT_EQ(packer.Feed(std::span(pcm).subspan(960, 255), encoder, got.Sink()), 0);
    EXPECT_TRUE(got.sizes.size() == 1);
    EXPECT_EQ(packer.Feed(std::span(pcm).subspan(1215), encoder, got.Sink()), 1);
    EXPECT_EQ(got.sizes, (std::vector<size_t>{65, 65}));
    // The second block was made from its own first byte, kept across the three calls.
    EXPECT_EQ(got.firstBytesOfBlocks, (std::vector<uint8_t>{7, 8}));
    EXPECT_EQ(packer.leftoverBytes(), 0u);

    packer.Feed(std::span(pcm).first(100), encoder, got.Sink());
    packer.Clear();
    EXPECT_EQ(packer.leftoverBytes(), 0u);
}

TEST(GsmBlockPacker, ACodecFailureLosesOnlyTheBlocksOfThatCall) {
    FakeEncoder encoder;
    GsmBlockPacker packer(200);
    Collected got;
    encoder.failNext = true;
    EXPECT_EQ(packer.Feed(Blocks(5, 1), encoder, got.Sink()), 1);
    EXPECT_EQ(got.firstBytesOfBlocks, (std::vector<uint8_t>{4, 5}));
}

}  // namespace
}  // namespace mrv::audio
