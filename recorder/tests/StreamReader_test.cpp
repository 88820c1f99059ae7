// The reader: round trips at every depth, unfinished and cut-off streams, hostile input.
#include "recorder/StreamReader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "common/ByteOrder.h"
#include "recorder/ChangeCapture.h"
#include "recorder/MemoryScreen.h"
#include "recorder/ZlibCompressor.h"
#include "tests/support/StreamBuilder.h"

namespace mrv {
namespace {

using testing::GsmBlocks;
using testing::StreamBuilder;

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
            s.AddItems(payload);
        }
        const auto bytes = s.Bytes();
        StreamReader reader;
        ASSERT_TRUE(reader.Open(bytes)) << reader.error();
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
    s.Same().Same({.hold = 5, .audio = GsmBlocks(2, 0x55)});
    const auto bytes = s.Bytes();
    StreamReader reader;
    ASSERT_TRUE(reader.Open(bytes)) << reader.error();
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
    s.Add({0, 0, 32, 8}, 0x11);
    const size_t whole = s.Bytes().size();
    s.Add({0, 0, 32, 8}, 0x11);
    const auto all = s.Bytes();
    for (size_t cut : {whole + 3, whole + 16, all.size() - 1}) {
        std::vector<uint8_t> bytes(all.begin(), all.begin() + static_cast<ptrdiff_t>(cut));
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
    const auto good = StreamBuilder(64, 32, 16).Bytes();
    EXPECT_TRUE(rejects({}));
    EXPECT_TRUE(rejects(std::vector<uint8_t>(good.begin(), good.begin() + 36)));
    EXPECT_TRUE(rejects(std::vector<uint8_t>(good.begin(), good.begin() + 60)));

    StreamBuilder huge(64, 32, 16);
    huge.header.screenWidth = 60000;
    huge.header.screenHeight = 60000;  // 7 GB a frame
    EXPECT_TRUE(rejects(huge.Bytes()));

    StreamBuilder negative(64, 32, 16);
    negative.header.screenHeight = -32;
    EXPECT_TRUE(rejects(negative.Bytes()));

    StreamBuilder stride(64, 32, 16);
    stride.header.bytesPerLine = 129;
    EXPECT_TRUE(rejects(stride.Bytes()));

    StreamBuilder depth(64, 32, 16);
    depth.bitmapInfo[14] = 24;  // biBitCount
    EXPECT_TRUE(rejects(depth.Bytes()));

    StreamBuilder infoSize(64, 32, 16);
    infoSize.header.bitmapInfoSize = 0x7FFFFFFF;
    EXPECT_TRUE(rejects(infoSize.Bytes()));

    StreamBuilder audio(64, 32, 16);
    audio.header.audioFormat = 9;
    EXPECT_TRUE(rejects(audio.Bytes()));
}

TEST(StreamReader, RefusesScreensNoMonitorHasBeforeTakingMemory) {
    // Consistent headers, small frames: only the side itself is out of range.
    for (const auto& [w, h] :
         {std::pair{kMaxScreenSide + 1, 2}, std::pair{2, kMaxScreenSide + 1}}) {
        const auto bytes = StreamBuilder(w, h, 4).Bytes();
        StreamReader reader;
        EXPECT_FALSE(reader.Open(bytes)) << w << "x" << h;
        EXPECT_NE(reader.error().find("screen size"), std::string::npos);
        EXPECT_TRUE(reader.image().empty());
    }
    const auto widest = StreamBuilder(kMaxScreenSide, 2, 4).Bytes();
    StreamReader reader;
    EXPECT_TRUE(reader.Open(widest)) << reader.error();
}

StreamReader::Next ReadOneRecord(const StreamBuilder& s, std::string* error = nullptr) {
    const auto bytes = s.Bytes();
    StreamReader reader;
    if (!reader.Open(bytes)) return StreamReader::Next::Error;
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
        std::vector<uint8_t> items;
        s.AppendItem(items, r, 0xEE);
        s.AddItems(items);
        EXPECT_EQ(ReadOneRecord(s), StreamReader::Next::Error) << r.left << "," << r.right;
    }
    {
        StreamBuilder s(64, 32, 16);
        std::vector<uint8_t> items;
        s.AppendItem(items, {0, 4, 64, 10}, 1);
        s.AppendItem(items, {0, 8, 64, 12}, 2);  // overlaps the first
        s.AddItems(items);
        EXPECT_EQ(ReadOneRecord(s), StreamReader::Next::Error);
    }
    {
        StreamBuilder s(64, 32, 16);
        std::vector<uint8_t> items;
        s.AppendItem(items, {0, 4, 64, 10}, 1);
        items.resize(items.size() - 1);  // pixels cut short
        s.AddItems(items);
        EXPECT_EQ(ReadOneRecord(s), StreamReader::Next::Error);
    }
    {
        StreamBuilder s(64, 32, 16);
        s.AddItems(std::vector<uint8_t>(64 * 32 * 2 + 16 * 40, 0));  // inflates beyond a tick
        EXPECT_EQ(ReadOneRecord(s), StreamReader::Next::Error);
    }
    {
        StreamBuilder s(64, 32, 16);
        s.AddPayload({0x78, 0x9C, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});  // junk
        std::string error;
        EXPECT_EQ(ReadOneRecord(s, &error), StreamReader::Next::Error);
        EXPECT_FALSE(error.empty());
    }
    {
        StreamBuilder s(64, 32, 16);
        s.Same();
        PutI32(s.records.data(), -5);  // negative payload size
        EXPECT_EQ(ReadOneRecord(s), StreamReader::Next::Error);
    }
}

TEST(StreamReader, SnapshotsRestorePositionAndPicture) {
    StreamBuilder s(32, 8, 32);
    for (uint8_t i = 1; i <= 6; ++i) {
        s.Add({0, 0, 32, 8}, i, {.hold = static_cast<uint8_t>(i == 2 ? 3 : 0)});
    }
    const auto bytes = s.Bytes();
    StreamReader reader;
    ASSERT_TRUE(reader.Open(bytes));
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
