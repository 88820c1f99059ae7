// The GSM 6.10 WAV container's fields.
#include "playback/GsmWav.h"

#include <gtest/gtest.h>

#include <string>

#include "common/ByteOrder.h"

namespace mrv::playback {
namespace {

std::string TagAt(const std::vector<uint8_t>& w, size_t at) {
    return std::string(w.begin() + static_cast<long>(at), w.begin() + static_cast<long>(at) + 4);
}

TEST(GsmWavTest, HeaderDescribesMonoGsmBlocksAndTheirSampleCount) {
    const std::vector<uint8_t> blocks(3 * 65, 0x5A);
    const auto w = MakeGsmWav(blocks, 8000, 1625);
    ASSERT_EQ(w.size(), 60u + 196u);  // 195 data bytes and one pad byte
    EXPECT_EQ(TagAt(w, 0), "RIFF");
    EXPECT_EQ(GetU32(w.data() + 4), w.size() - 8);
    EXPECT_EQ(TagAt(w, 8), "WAVE");
    EXPECT_EQ(TagAt(w, 12), "fmt ");
    EXPECT_EQ(GetU32(w.data() + 16), 20u);
    EXPECT_EQ(GetU16(w.data() + 20), 0x31);
    EXPECT_EQ(GetU16(w.data() + 22), 1);
    EXPECT_EQ(GetU32(w.data() + 24), 8000u);
    EXPECT_EQ(GetU32(w.data() + 28), 1625u);
    EXPECT_EQ(GetU16(w.data() + 32), 65);
    EXPECT_EQ(GetU16(w.data() + 36), 2);
    EXPECT_EQ(GetU16(w.data() + 38), 320);
    EXPECT_EQ(TagAt(w, 40), "fact");
    EXPECT_EQ(GetU32(w.data() + 48), 960u);
    EXPECT_EQ(TagAt(w, 52), "data");
    EXPECT_EQ(GetU32(w.data() + 56), 195u);
    EXPECT_EQ(w[60], 0x5A);
    EXPECT_EQ(w[60 + 194], 0x5A);
    EXPECT_EQ(w.back(), 0);
}

TEST(GsmWavTest, EvenDataNeedsNoPad) {
    const auto w = MakeGsmWav(std::vector<uint8_t>(2 * 65), 22050, 4478);
    EXPECT_EQ(w.size(), 60u + 130u);
    EXPECT_EQ(GetU32(w.data() + 4), w.size() - 8);
}

}  // namespace
}  // namespace mrv::playback
