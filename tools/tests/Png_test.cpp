// Pixel conversions between RGB frames and the recording's depths.
#include "tools/lib/Png.h"

#include <gtest/gtest.h>

#include "common/ByteOrder.h"

namespace mrv::tools {
namespace {

RgbImage TwoPixels() {
    RgbImage image;
    image.width = 2;
    image.height = 1;
    image.rgb = {0xFF, 0x80, 0x07, 0x00, 0x10, 0xFF};
    return image;
}

TEST(PixelConversion, ThirtyTwoBitsAreBlueGreenRedZeroAndRoundTrip) {
    const RgbImage image = TwoPixels();
    std::vector<uint8_t> dib(8, 0xEE);
    RgbToDib(image, 32, dib, 8);
    EXPECT_EQ(dib, (std::vector<uint8_t>{0x07, 0x80, 0xFF, 0, 0xFF, 0x10, 0x00, 0}));
    RgbImage back;
    DibToRgb(dib, MakeGeometry(2, 1, 32), {}, back);
    EXPECT_EQ(back.rgb, image.rgb);
}

TEST(PixelConversion, SixteenBitsTruncateAndWidenByBitReplication) {
    std::vector<uint8_t> dib(4, 0);
    RgbToDib(TwoPixels(), 16, dib, 4);
    EXPECT_EQ(GetU16(&dib[0]), (31 << 10) | (16 << 5) | 0);
    EXPECT_EQ(GetU16(&dib[2]), (0 << 10) | (2 << 5) | 31);
    RgbImage back;
    DibToRgb(dib, MakeGeometry(2, 1, 16), {}, back);
    // Full scale stays full scale; 0x80 keeps 5 bits (0x80) and replicates its top ones.
    EXPECT_EQ(back.rgb, (std::vector<uint8_t>{0xFF, 0x84, 0x00, 0x00, 0x10, 0xFF}));
    for (int c = 0; c < 256; c += 5)
        EXPECT_EQ(Through555(static_cast<uint8_t>(c)), c >> 3 << 3 | c >> 5);
}

TEST(PixelConversion, PaletteDepthsLookUpTheColourTableLeftPixelInTheHighNibble) {
    std::vector<uint8_t> table(16 * 4, 0);
    table[1 * 4 + 2] = 0x11;  // index 1: red 0x11
    table[2 * 4 + 0] = 0x22;  // index 2: blue 0x22
    const std::vector<uint8_t> dib4 = {0x12, 0, 0, 0};
    RgbImage image;
    DibToRgb(dib4, MakeGeometry(2, 1, 4), table, image);
    EXPECT_EQ(image.rgb, (std::vector<uint8_t>{0x11, 0, 0, 0, 0, 0x22}));
    const std::vector<uint8_t> dib8 = {2, 1, 0, 0};
    DibToRgb(dib8, MakeGeometry(2, 1, 8), table, image);
    EXPECT_EQ(image.rgb, (std::vector<uint8_t>{0, 0, 0x22, 0x11, 0, 0}));
}

}  // namespace
}  // namespace mrv::tools
