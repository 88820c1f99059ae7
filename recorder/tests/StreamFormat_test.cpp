// Byte layout of the stream records.
#include "recorder/StreamFormat.h"

#include <gtest/gtest.h>

namespace mrv {
namespace {

TEST(StreamFormat, HeaderIsPacked37BytesLittleEndian) {
    StreamHeader h;
    h.startTime = 1.5;
    h.frameCount = 0x01020304;
    h.durationMs = 1024;
    h.screenWidth = 1366;
    h.screenHeight = 768;
    h.bytesPerLine = 684;
    h.frameBytes = 525312;
    h.bitmapInfoSize = 104;
    h.audioFormat = 3;
    const auto b = EncodeStreamHeader(h);
    ASSERT_EQ(b.size(), 37u);
    // 1.5 as an IEEE double is 0x3FF8000000000000.
    const uint8_t start[8] = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F};
    EXPECT_TRUE(std::equal(start, start + 8, b.begin()));
    EXPECT_EQ(b[8], 0x04);
    EXPECT_EQ(b[11], 0x01);
    EXPECT_EQ(b[12], 0x00);
    EXPECT_EQ(b[13], 0x04);  // 1024
    EXPECT_EQ(b[16] | (b[17] << 8), 1366);
    EXPECT_EQ(b[32], 104);
    EXPECT_EQ(b[36], 3);
    const StreamHeader back = DecodeStreamHeader(b);
    EXPECT_EQ(back.frameCount, h.frameCount);
    EXPECT_EQ(back.frameBytes, 525312);
    EXPECT_DOUBLE_EQ(back.startTime, 1.5);
}

TEST(StreamFormat, FrameHeaderCarriesAudioSizeAtOddOffset13) {
    FrameHeader h;
    h.payloadSize = 8;
    h.cursorX = -1;
    h.cursorY = 300;
    h.click = 2;
    h.audioSize = 0xABCD;
    h.holdTicks = 20;
    const auto b = EncodeFrameHeader(h);
    EXPECT_EQ(b[0], 8);
    EXPECT_EQ(b[4], 0xFF);
    EXPECT_EQ(b[7], 0xFF);
    EXPECT_EQ(b[12], 2);
    EXPECT_EQ(b[13], 0xCD);
    EXPECT_EQ(b[14], 0xAB);
    EXPECT_EQ(b[15], 20);
    const FrameHeader back = DecodeFrameHeader(b);
    EXPECT_EQ(back.cursorX, -1);
    EXPECT_EQ(back.audioSize, 0xABCD);
}

TEST(StreamFormat, GeometryOfDepthsAndOddWidths) {
    const FrameGeometry g4 = MakeGeometry(1366, 768, 4);
    EXPECT_EQ(g4.bytesPerLine, 684);
    EXPECT_EQ(g4.frameBytes, 525312);
    EXPECT_EQ(g4.bitmapInfoSize, 104);
    EXPECT_EQ(MakeGeometry(1366, 768, 8).bitmapInfoSize, 1064);
    EXPECT_EQ(MakeGeometry(1366, 768, 16).bitmapInfoSize, 40);
    EXPECT_EQ(MakeGeometry(1366, 768, 32).bitmapInfoSize, 40);
    // An odd width at 16 bits carries two padding bytes per row.
    EXPECT_EQ(MakeGeometry(801, 2, 16).bytesPerLine, 1604);
}

TEST(StreamFormat, BitmapInfoHeaderDescribesTopDownImage) {
    const auto info = MakeBitmapInfo(640, 480, 8);
    ASSERT_EQ(info.size(), 1064u);
    EXPECT_EQ(info[0], 40);
    EXPECT_EQ(info[4] | (info[5] << 8), 640);
    // biHeight = -480 = 0xFFFFFE20
    EXPECT_EQ(info[8], 0x20);
    EXPECT_EQ(info[9], 0xFE);
    EXPECT_EQ(info[11], 0xFF);
    EXPECT_EQ(info[12], 1);
    EXPECT_EQ(info[14], 8);
}

}  // namespace
}  // namespace mrv
