// The stream is found right after the player's own image, whatever its size.
#include "playback/StreamLocation.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/StreamBuilder.h"

namespace mrv::playback {
namespace {

using testing::HeadersOnlyImage;

TEST(StreamLocationTest, StreamStartsWhereTheImageEnds) {
    for (uint32_t size : {0x200u, 0x400u, 0x1000u}) {
        std::vector<uint8_t> file = HeadersOnlyImage(size);
        file.resize(file.size() + 37 + 40, 0x11);
        const StreamLocation where = LocateStream(file);
        EXPECT_EQ(where.result, Located::Found);
        EXPECT_EQ(where.offset, size);
    }
}

TEST(StreamLocationTest, TooFewBytesAfterTheImageMeansNoRecording) {
    std::vector<uint8_t> file = HeadersOnlyImage(0x400);
    EXPECT_EQ(LocateStream(file).result, Located::NoStream);
    file.resize(file.size() + 36);
    EXPECT_EQ(LocateStream(file).result, Located::NoStream);
    file.push_back(0);
    EXPECT_EQ(LocateStream(file).result, Located::Found);
}

TEST(StreamLocationTest, AnythingButAnExecutableIsRefused) {
    EXPECT_EQ(LocateStream({}).result, Located::NotExecutable);
    std::vector<uint8_t> file = HeadersOnlyImage(0x400);
    file[0x80] = 'X';
    file.resize(0x800);
    EXPECT_EQ(LocateStream(file).result, Located::NotExecutable);
}

}  // namespace
}  // namespace mrv::playback
