// Seeking to any record gives the same picture as reading from the start.
#include "playback/FrameSeeker.h"

#include <gtest/gtest.h>

#include "tests/support/StreamBuilder.h"

namespace mrv::playback {
namespace {

using testing::StreamBuilder;

class FrameSeekerTest : public ::testing::Test {
  protected:
    // 40 records of a 64 x 64 screen; every record repaints one band of 8 lines.
    void SetUp() override {
        StreamBuilder b(64, 64);
        b.Stop(40, 4000).CursorAt(0, 7);
        for (int i = 0; i < 40; ++i) {
            std::vector<uint8_t> items;
            const int32_t top = (i * 8) % 64;
            AppendRectHeader(items, Rect{0, top, 64, top + 8});
            const size_t at = items.size();
            items.resize(at + 8 * 64 * 4);
            for (size_t p = at; p < items.size(); p += 4) PutU32(items.data() + p, 0x010101u * i);
            b.AddItems(items);
        }
        bytes_ = b.Bytes();
        ASSERT_TRUE(reader_.Open(bytes_));
        ASSERT_EQ(timeline_.Build(bytes_, reader_.header()), Timeline::Scan::Complete);
    }

    std::vector<uint8_t> Expected(int32_t record) {
        StreamReader fresh;
        EXPECT_TRUE(fresh.Open(bytes_));
        for (int i = 0; i <= record; ++i) EXPECT_EQ(fresh.ReadNext(), StreamReader::Next::Frame);
        return {fresh.image().begin(), fresh.image().end()};
    }

    std::vector<uint8_t> Image() { return {reader_.image().begin(), reader_.image().end()}; }

    std::vector<uint8_t> bytes_;
    StreamReader reader_;
    Timeline timeline_;
};

TEST_F(FrameSeekerTest, BackwardAndForwardSeeksMatchAFreshReplay) {
    FrameSeeker seeker(reader_, timeline_, 64 * 64 * 4 * 8, 0);
    for (int32_t record : {39, 3, 20, 19, 0, 39, 38, 7}) {
        ASSERT_TRUE(seeker.GoTo(record));
        EXPECT_EQ(Image(), Expected(record)) << "record " << record;
        EXPECT_EQ(reader_.recordIndex(), record + 1);
    }
}

TEST_F(FrameSeekerTest, SnapshotsShortenBackwardSeeks) {
    FrameSeeker without(reader_, timeline_, 0);
    ASSERT_TRUE(without.GoTo(39));
    ASSERT_TRUE(without.GoTo(35));
    EXPECT_EQ(without.recordsDecoded(), 36);
    EXPECT_EQ(without.snapshotsTaken(), 0);

    // Room for 8 snapshots and no spacing floor, so that this small stream gets them.
    FrameSeeker with(reader_, timeline_, 64 * 64 * 4 * 8, 0);
    ASSERT_TRUE(with.GoTo(39));
    EXPECT_EQ(with.snapshotsTaken(), 8);
    ASSERT_TRUE(with.GoTo(35));
    EXPECT_LE(with.recordsDecoded(), 6);
    EXPECT_EQ(Image(), Expected(35));
}

TEST_F(FrameSeekerTest, StepsForwardWithoutReplaying) {
    FrameSeeker seeker(reader_, timeline_);
    ASSERT_TRUE(seeker.GoTo(10));
    ASSERT_TRUE(seeker.GoTo(11));
    EXPECT_EQ(seeker.recordsDecoded(), 1);
    ASSERT_TRUE(seeker.GoTo(11));
    EXPECT_EQ(seeker.recordsDecoded(), 0);
}

TEST_F(FrameSeekerTest, DamagedPayloadStopsTheSeekWithAnError) {
    bytes_[static_cast<size_t>(timeline_.records()[5].offset) + kFrameHeaderSize + 3] ^= 0xFF;
    ASSERT_TRUE(reader_.Open(bytes_));
    FrameSeeker seeker(reader_, timeline_);
    EXPECT_TRUE(seeker.GoTo(4));
    EXPECT_FALSE(seeker.GoTo(6));
    EXPECT_FALSE(reader_.error().empty());
}

}  // namespace
}  // namespace mrv::playback
