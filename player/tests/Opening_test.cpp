// What the player plays, plays with a notice, or refuses, for its own file and a chosen one.
#include "player/Opening.h"

#include <gtest/gtest.h>

#include "common/Texts.h"
#include "tests/support/StreamBuilder.h"

namespace mrv::player {
namespace {

using testing::HeadersOnlyImage;
using testing::StreamBuilder;

constexpr uint32_t kImageSize = 0x400;

class OpeningTest : public ::testing::Test {
  protected:
    static std::vector<uint8_t> Behind(const std::vector<uint8_t>& stream) {
        std::vector<uint8_t> file = HeadersOnlyImage(kImageSize);
        file.insert(file.end(), stream.begin(), stream.end());
        return file;
    }
    static std::vector<uint8_t> ThreeRecords() {
        StreamBuilder b(8, 2);
        b.Stop(3, 300).CursorAt(0, 7);
        b.Fill(1).Fill(2).Fill(3);
        return b.Bytes();
    }
    Opening Open(const std::vector<uint8_t>& file, Source source = Source::OwnFile) {
        file_ = file;
        return OpenRecording(file_, source, reader_, timeline_);
    }
    std::vector<uint8_t> file_;
    StreamReader reader_;
    playback::Timeline timeline_;
};

TEST_F(OpeningTest, WholeRecordingBehindTheImagePlays) {
    const Opening o = Open(Behind(ThreeRecords()));
    EXPECT_EQ(o.verdict, Verdict::Play);
    EXPECT_EQ(o.message, nullptr);
    EXPECT_EQ(o.streamOffset, kImageSize);
    EXPECT_EQ(timeline_.records().size(), 3u);
}

TEST_F(OpeningTest, ABareStreamPlaysOnlyWhenTheUserChoseIt) {
    const std::vector<uint8_t> bare = ThreeRecords();
    EXPECT_EQ(Open(bare, Source::OwnFile).message, text::kPlayerNoRecording);
    EXPECT_FALSE(Open(bare, Source::OwnFile).playerAlone);  // not a player at all
    // The player by itself asks for a recording; a chosen file without one is refused.
    const std::vector<uint8_t> player = Behind({});
    EXPECT_TRUE(Open(player, Source::OwnFile).playerAlone);
    EXPECT_FALSE(Open(player, Source::ChosenFile).playerAlone);
    const Opening chosen = Open(bare, Source::ChosenFile);
    EXPECT_EQ(chosen.verdict, Verdict::Play);
    EXPECT_EQ(chosen.streamOffset, 0);
    EXPECT_EQ(timeline_.records().size(), 3u);
    // The title says which kind of file plays.
    EXPECT_EQ(PlayerTitle("/rec/a.mrv", chosen.streamOffset),
              std::string("a.mrv - ") + text::kPlayerKindFile + " - " + text::kPlayerTitle);
    EXPECT_EQ(PlayerTitle("/rec/b.exe", Open(Behind(bare)).streamOffset),
              std::string("b.exe - ") + text::kPlayerKindProgram + " - " + text::kPlayerTitle);
}

TEST_F(OpeningTest, NoStreamOrAnUnreadableOneIsRefused) {
    // The player alone, or any other program: nothing behind the image.
    for (Source source : {Source::OwnFile, Source::ChosenFile}) {
        const Opening o = Open(HeadersOnlyImage(kImageSize), source);
        EXPECT_EQ(o.verdict, Verdict::Refuse);
        EXPECT_EQ(o.message, text::kPlayerNoRecording);
    }
    EXPECT_EQ(Open(std::vector<uint8_t>(500, 0x42), Source::ChosenFile).message,
              text::kPlayerDamaged);
    // A screen no monitor has: refused on its header.
    std::vector<uint8_t> hostile = ThreeRecords();
    PutI32(&hostile[16], kMaxScreenSide * 2);
    const Opening o = Open(Behind(hostile));
    EXPECT_EQ(o.message, text::kPlayerDamaged);
    EXPECT_NE(o.detail.find("screen size"), std::string::npos);
}

TEST_F(OpeningTest, CutOffRecordingPlaysItsWholeRecordsWithANotice) {
    std::vector<uint8_t> stream = ThreeRecords();
    stream.resize(stream.size() - 5);  // inside the last payload
    const Opening o = Open(Behind(stream));
    EXPECT_EQ(o.verdict, Verdict::PlayWithNotice);
    EXPECT_EQ(o.message, text::kPlayerTruncatedNotice);
    EXPECT_EQ(timeline_.records().size(), 2u);
    EXPECT_EQ(timeline_.pacing().totalMs, 200);  // the header's tick length, two ticks

    stream.resize(kStreamHeaderSize + 40 + 20);  // inside the first record
    const Opening none = Open(Behind(stream));
    EXPECT_EQ(none.verdict, Verdict::Refuse);
    EXPECT_EQ(none.message, text::kPlayerTruncated);
}

TEST_F(OpeningTest, DamagedRecordHeaderEndsPlayingBeforeIt) {
    std::vector<uint8_t> stream = ThreeRecords();
    const size_t first = kStreamHeaderSize + 40;
    const size_t second = first + kFrameHeaderSize + GetU32(&stream[first]);
    stream[second + 12] = 7;  // no such click value
    const Opening o = Open(Behind(stream));
    EXPECT_EQ(o.verdict, Verdict::PlayWithNotice);
    EXPECT_EQ(o.message, text::kPlayerDamagedNotice);
    EXPECT_EQ(timeline_.records().size(), 1u);

    stream[first + 12] = 7;
    EXPECT_EQ(Open(Behind(stream)).message, text::kPlayerDamaged);
}

TEST_F(OpeningTest, BitmapInfoForDrawingHasTheFieldsGdiMustNotTrustCleared) {
    std::vector<uint8_t> stream = ThreeRecords();
    const size_t info = kStreamHeaderSize;
    PutU32(&stream[info + 20], 0x7FFFFFFF);  // biSizeImage
    PutU32(&stream[info + 32], 0x10000);     // biClrUsed: far past the table
    PutU32(&stream[info + 36], 0x10000);     // biClrImportant
    const Opening o = Open(Behind(stream));
    ASSERT_EQ(o.verdict, Verdict::Play);
    ASSERT_EQ(o.bitmapInfo.size(), reader_.bitmapInfo().size());
    for (size_t at : {20u, 32u, 36u}) EXPECT_EQ(GetU32(&o.bitmapInfo[at]), 0u) << at;
    EXPECT_EQ(GetU32(&o.bitmapInfo[4]), 8u);  // the width is kept
    EXPECT_TRUE(SafeBitmapInfo(std::vector<uint8_t>(39, 1)).empty());
}

}  // namespace
}  // namespace mrv::player
