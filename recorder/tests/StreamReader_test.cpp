// The reader: round trips at every depth, unfinished and cut-off streams, hostile input.
#include "recorder/StreamReader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "common/ByteOrder.h"
#include "recorder/ChangeCapture.h"
#include "recorder/MemoryScreen.h"
#include "recorder/ZlibCompressor.h"

namespace mrv {
namespace {

// Builds streams record by record, the way the recorder lays them out.
struct StreamBuilder {
    StreamBuilder(int32_t w, int32_t h, int bpp) : geometry(MakeGeometry(w, h, bpp)) {
        StreamHeader header;
        header.screenWidth = w;
        header.screenHeight = h;
        header.bytesPerLine = geometry.bytesPerLine;
        header.frameBytes = static_cast<int32_t>(geometry.frameBytes);
        header.bitmapInfoSize = geometry.bitmapInfoSize;
        const auto hb = EncodeStreamHeader(header);
        bytes.assign(hb.begin(), hb.end());
        const auto info = MakeBitmapInfo(w, h, bpp);
        bytes.insert(bytes.end(), info.begin(), info.end());
    }
    void AddRaw(const std::vector<uint8_t>& payload, uint16_t audio = 0, uint8_t hold = 0) {
        std::vector<uint8_t> z;
        compressor.Compress(payload, z);
        FrameHeader f;
        f.payloadSize = static_cast<int32_t>(z.size());
        f.audioSize = audio;
        f.holdTicks = hold;
        const auto fb = EncodeFrameHeader(f);
        bytes.insert(bytes.end(), fb.begin(), fb.end());
        bytes.insert(bytes.end(), audio, 0x55);
        bytes.insert(bytes.end(), z.begin(), z.end());
    }
    void AddItem(std::vector<uint8_t>& payload, Rect r, uint8_t fill) {
        AppendRectHeader(payload, r);
        const int64_t rowBytes = (int64_t{r.right - r.left} * geometry.bitsPerPixel + 31) / 32 * 4;
        payload.insert(payload.end(), static_cast<size_t>(rowBytes * (r.bottom - r.top)), fill);
    }
    void PatchI32(size_t offset, int32_t v) { PutI32(&bytes[offset], v); }

    FrameGeometry geometry;
    ZlibCompressor compressor;
    std::vector<uint8_t> bytes;
};

TEST(StreamReader, RoundTripsCapturedTicksAtEveryDepth) {
    for (int bpp : {4, 8, 16, 32}) {
        MemoryScreen screen(77, 41, bpp);
        ChangeDetector detector;
        detector.Reset(screen.geometry(), 7, kSrcCopy);
        StreamBuilder s(77, 41, bpp);
        for (int tick = 0; tick < 20; ++tick) {
            screen.FillRect({tick * 3, tick, tick * 3 + 9, tick + 13},
                            static_cast<uint32_t>(tick + 1));
            std::vector<uint8_t> payload;
            detector.FindAndCaptureBands(screen, payload);
            s.AddRaw(payload);
        }
        StreamReader reader;
        ASSERT_TRUE(reader.Open(s.bytes)) << reader.error();
        int records = 0;
        while (reader.ReadNext() == StreamReader::Next::Frame) ++records;
        EXPECT_EQ(records, 20);
        EXPECT_TRUE(reader.error().empty()) << reader.error();
        const auto ref = detector.referenceImage();
        EXPECT_TRUE(
            std::equal(ref.begin(), ref.end(), reader.image().begin(), reader.image().end()))
            << bpp;
        EXPECT_EQ(reader.colorTable().size(), bpp <= 8 ? static_cast<size_t>(4 << bpp) : 0u);
    }
}

TEST(StreamReader, AcceptsAStreamThatWasNeverStopped) {
    StreamBuilder s(32, 8, 32);
    s.AddRaw({});
    s.AddRaw({}, 130, 5);
    StreamReader reader;
    ASSERT_TRUE(reader.Open(s.bytes)) << reader.error();
    EXPECT_EQ(reader.header().frameCount, 0);
    EXPECT_EQ(reader.header().durationMs, 1024);
    ASSERT_EQ(reader.ReadNext(), StreamReader::Next::Frame);
    ASSERT_EQ(reader.ReadNext(), StreamReader::Next::Frame);
    EXPECT_EQ(reader.audio().size(), 130u);
    EXPECT_EQ(reader.tickIndex(), 7);
    EXPECT_EQ(reader.ReadNext(), StreamReader::Next::End);
}

TEST(StreamReader, ReturnsEveryWholeRecordOfACutOffFile) {
    StreamBuilder s(32, 8, 32);
    std::vector<uint8_t> payload;
    s.AddItem(payload, {0, 0, 32, 8}, 0x11);
    s.AddRaw(payload);
    const size_t whole = s.bytes.size();
    s.AddRaw(payload);
    for (size_t cut : {whole + 3, whole + 16, s.bytes.size() - 1}) {
        std::vector<uint8_t> bytes(s.bytes.begin(), s.bytes.begin() + static_cast<ptrdiff_t>(cut));
        StreamReader reader;
        ASSERT_TRUE(reader.Open(bytes));
        EXPECT_EQ(reader.ReadNext(), StreamReader::Next::Frame);
        EXPECT_EQ(reader.image()[0], 0x11);
        EXPECT_EQ(reader.ReadNext(), StreamReader::Next::Truncated) << cut;
    }
}

TEST(StreamReader, RejectsHostileHeadersWithoutLargeAllocations) {
    auto rejects = [](std::vector<uint8_t> bytes) {
        StreamReader reader;
        const bool opened = reader.Open(bytes, 64 * 1024 * 1024);
        return !opened && !reader.error().empty();
    };
    StreamBuilder good(64, 32, 16);
    EXPECT_TRUE(rejects({}));
    EXPECT_TRUE(rejects(std::vector<uint8_t>(good.bytes.begin(), good.bytes.begin() + 36)));
    EXPECT_TRUE(rejects(std::vector<uint8_t>(good.bytes.begin(), good.bytes.begin() + 60)));

    StreamBuilder huge(64, 32, 16);
    huge.PatchI32(16, 60000);  // width
    huge.PatchI32(20, 60000);  // height: 7 GB a frame
    EXPECT_TRUE(rejects(huge.bytes));

    StreamBuilder negative(64, 32, 16);
    negative.PatchI32(20, -32);
    EXPECT_TRUE(rejects(negative.bytes));

    StreamBuilder stride(64, 32, 16);
    stride.PatchI32(24, 129);  // bytesPerLine
    EXPECT_TRUE(rejects(stride.bytes));

    StreamBuilder depth(64, 32, 16);
    depth.bytes[37 + 14] = 24;
    EXPECT_TRUE(rejects(depth.bytes));

    StreamBuilder infoSize(64, 32, 16);
    infoSize.PatchI32(32, 0x7FFFFFFF);
    EXPECT_TRUE(rejects(infoSize.bytes));

    StreamBuilder audio(64, 32, 16);
    audio.bytes[36] = 9;
    EXPECT_TRUE(rejects(audio.bytes));
}

TEST(StreamReader, RefusesScreensNoMonitorHasBeforeTakingMemory) {
    // Consistent headers, small frames: only the side itself is out of range.
    for (const auto& [w, h] :
         {std::pair{kMaxScreenSide + 1, 2}, std::pair{2, kMaxScreenSide + 1}}) {
        StreamBuilder s(w, h, 4);
        StreamReader reader;
        EXPECT_FALSE(reader.Open(s.bytes)) << w << "x" << h;
        EXPECT_NE(reader.error().find("screen size"), std::string::npos);
        EXPECT_TRUE(reader.image().empty());
    }
    StreamBuilder widest(kMaxScreenSide, 2, 4);
    StreamReader reader;
    EXPECT_TRUE(reader.Open(widest.bytes)) << reader.error();
}

StreamReader::Next ReadOneRecord(StreamBuilder& s, std::string* error = nullptr) {
    StreamReader reader;
    if (!reader.Open(s.bytes)) return StreamReader::Next::Error;
    const auto next = reader.ReadNext();
    if (error) *error = reader.error();
    // A rejected record leaves the image untouched.
    if (next == StreamReader::Next::Error) {
        for (uint8_t b : reader.image()) EXPECT_EQ(b, 0);
    }
    return next;
}

TEST(StreamReader, RejectsMalformedRecords) {
    const Rect bad[] = {
        {-8, 0, 8, 4},    // left of the screen
        {0, 0, 65, 4},    // right of the screen
        {0, 30, 16, 33},  // below
        {8, 4, 8, 6},     // empty
        {1, 0, 16, 4},    // not on a word boundary at 16 bits
        {0, 0, 15, 4},    // odd word count that does not end at the screen edge
    };
    for (const Rect& r : bad) {
        StreamBuilder s(64, 32, 16);
        std::vector<uint8_t> payload;
        s.AddItem(payload, r, 0xEE);
        s.AddRaw(payload);
        EXPECT_EQ(ReadOneRecord(s), StreamReader::Next::Error) << r.left << "," << r.right;
    }
    {
        StreamBuilder s(64, 32, 16);
        std::vector<uint8_t> payload;
        s.AddItem(payload, {0, 4, 64, 10}, 1);
        s.AddItem(payload, {0, 8, 64, 12}, 2);  // overlaps the first
        s.AddRaw(payload);
        EXPECT_EQ(ReadOneRecord(s), StreamReader::Next::Error);
    }
    {
        StreamBuilder s(64, 32, 16);
        std::vector<uint8_t> payload;
        s.AddItem(payload, {0, 4, 64, 10}, 1);
        payload.resize(payload.size() - 1);  // pixels cut short
        s.AddRaw(payload);
        EXPECT_EQ(ReadOneRecord(s), StreamReader::Next::Error);
    }
    {
        StreamBuilder s(64, 32, 16);
        s.AddRaw(std::vector<uint8_t>(64 * 32 * 2 + 16 * 40, 0));  // inflates beyond a tick
        EXPECT_EQ(ReadOneRecord(s), StreamReader::Next::Error);
    }
    {
        StreamBuilder s(64, 32, 16);
        const uint8_t junk[16] = {0x78, 0x9C, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
        FrameHeader f;
        f.payloadSize = 16;
        const auto fb = EncodeFrameHeader(f);
        s.bytes.insert(s.bytes.end(), fb.begin(), fb.end());
        s.bytes.insert(s.bytes.end(), junk, junk + 16);
        std::string error;
        EXPECT_EQ(ReadOneRecord(s, &error), StreamReader::Next::Error);
        EXPECT_FALSE(error.empty());
    }
    {
        StreamBuilder s(64, 32, 16);
        s.AddRaw({});
        s.PatchI32(37 + 40, -5);  // negative payload size
        EXPECT_EQ(ReadOneRecord(s), StreamReader::Next::Error);
    }
}

TEST(StreamReader, SnapshotsRestorePositionAndPicture) {
    StreamBuilder s(32, 8, 32);
    for (uint8_t i = 1; i <= 6; ++i) {
        std::vector<uint8_t> payload;
        s.AddItem(payload, {0, 0, 32, 8}, i);
        s.AddRaw(payload, 0, i == 2 ? 3 : 0);
    }
    StreamReader reader;
    ASSERT_TRUE(reader.Open(s.bytes));
    reader.ReadNext();
    reader.ReadNext();
    StreamReader::Snapshot snap;
    reader.Save(snap);
    while (reader.ReadNext() == StreamReader::Next::Frame) {
    }
    EXPECT_EQ(reader.image()[0], 6);
    reader.Restore(snap);
    EXPECT_EQ(reader.image()[0], 2);
    EXPECT_EQ(reader.tickIndex(), 5);
    ASSERT_EQ(reader.ReadNext(), StreamReader::Next::Frame);
    EXPECT_EQ(reader.image()[0], 3);
    EXPECT_EQ(reader.recordIndex(), 3);
    reader.Rewind();
    EXPECT_EQ(reader.image()[0], 0);
    ASSERT_EQ(reader.ReadNext(), StreamReader::Next::Frame);
    EXPECT_EQ(reader.image()[0], 1);
}

TEST(ZlibCompressor, WritesOneCompleteDefaultLevelStreamPerCall) {
    ZlibCompressor compressor;
    std::vector<uint8_t> empty;
    compressor.Compress({}, empty);
    EXPECT_EQ(empty.size(), 8u);  // header, empty final block, Adler-32 of nothing
    EXPECT_EQ(empty[0], 0x78);
    EXPECT_EQ(empty[1], 0x9C);

    // More than one 32768-byte chunk in and out; reusing the stream gives identical bytes.
    std::vector<uint8_t> input(200000);
    uint32_t x = 1;
    for (auto& b : input) {
        x = x * 1103515245 + 12345;
        b = static_cast<uint8_t>(x >> 24);
    }
    std::vector<uint8_t> first, second;
    compressor.Compress(input, first);
    compressor.Compress(input, second);
    EXPECT_EQ(first, second);
    std::vector<uint8_t> back(input.size());
    uLongf backSize = static_cast<uLongf>(back.size());
    ASSERT_EQ(uncompress(back.data(), &backSize, first.data(), static_cast<uLong>(first.size())),
              Z_OK);
    EXPECT_EQ(backSize, input.size());
    EXPECT_EQ(back, input);
}

}  // namespace
}  // namespace mrv
