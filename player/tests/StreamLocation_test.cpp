// The stream is found right after the player's own image, whatever its size.
#include "player/StreamLocation.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/ByteOrder.h"

namespace mrv::player {
namespace {

// The smallest PE32+ image the overlay finder accepts: headers only, `headersSize` long.
std::vector<uint8_t> HeadersOnlyImage(uint32_t headersSize) {
    std::vector<uint8_t> b(headersSize, 0);
    b[0] = 'M';
    b[1] = 'Z';
    PutU32(&b[0x3C], 0x80);
    b[0x80] = 'P';
    b[0x81] = 'E';
    PutU16(&b[0x84], 0x8664);
    PutU16(&b[0x80 + 20], 240);
    PutU16(&b[0x98], 0x20B);
    PutU32(&b[0x98 + 60], headersSize);
    PutU32(&b[0x98 + 108], 16);
    return b;
}

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
}  // namespace mrv::player
