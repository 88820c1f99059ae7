// Finding the stream: after a given stub, after our PE stub's image, or at the file start.
#include "tools/lib/StreamLocator.h"

#include <gtest/gtest.h>

#include "tests/support/StreamBuilder.h"

namespace mrv::tools {
namespace {

std::vector<uint8_t> Stream() {
    return mrv::testing::StreamBuilder(8, 4, 16).Add({0, 0, 8, 4}, 3).Bytes();
}

// A one-section PE image of 0x400 bytes: headers up to 0x200, the section after them.
std::vector<uint8_t> PeImage() {
    std::vector<uint8_t> pe(0x400, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    PutU32(&pe[0x3C], 0x80);
    pe[0x80] = 'P';
    pe[0x81] = 'E';
    PutU16(&pe[0x86], 1);
    PutU16(&pe[0x94], 240);
    PutU16(&pe[0x98], 0x20B);
    PutU32(&pe[0x98 + 60], 0x200);
    PutU32(&pe[0x98 + 240 + 16], 0x200);
    PutU32(&pe[0x98 + 240 + 20], 0x200);
    return pe;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(StreamLocator, StreamFollowsTheGivenStub) {
    const std::vector<uint8_t> stub(123, 0x5A);
    std::string error;
    const auto start = FindStreamStart(Concat(stub, Stream()), &stub, error);
    ASSERT_TRUE(start) << error;
    EXPECT_EQ(start->offset, 123);
}

TEST(StreamLocator, FileThatDoesNotBeginWithTheStubIsRefused) {
    std::vector<uint8_t> stub(123, 0x5A);
    const auto file = Concat(stub, Stream());
    stub[100] = 0;
    std::string error;
    EXPECT_FALSE(FindStreamStart(file, &stub, error));
    EXPECT_NE(error.find("stub"), std::string::npos);
    const std::vector<uint8_t> longer(5000, 0x5A);
    EXPECT_FALSE(FindStreamStart(file, &longer, error));
}

TEST(StreamLocator, StreamAfterAnExecutableImageIsFoundWithoutTheStub) {
    std::string error;
    const auto start = FindStreamStart(Concat(PeImage(), Stream()), nullptr, error);
    ASSERT_TRUE(start) << error;
    EXPECT_EQ(start->offset, 0x400);
}

TEST(StreamLocator, ExecutableWithoutAStreamIsRefused) {
    std::string error;
    EXPECT_FALSE(FindStreamStart(PeImage(), nullptr, error));
    EXPECT_FALSE(FindStreamStart(Concat(PeImage(), std::vector<uint8_t>(200, 7)), nullptr, error));
}

TEST(StreamLocator, BareStreamStartsAtZeroAndGarbageIsRefusedWithTheReadersReason) {
    std::string error;
    const auto start = FindStreamStart(Stream(), nullptr, error);
    ASSERT_TRUE(start);
    EXPECT_EQ(start->offset, 0);
    EXPECT_FALSE(FindStreamStart(std::vector<uint8_t>(20, 1), nullptr, error));
    EXPECT_NE(error.find("37-byte header"), std::string::npos);
}

}  // namespace
}  // namespace mrv::tools
