// The program's UTF-8 <-> UTF-16 conversion: round trips, and what broken input becomes.
#include "common/PathText.h"

#include <gtest/gtest.h>

namespace mrv {
namespace {

TEST(WidenNarrowTest, TextRoundTripsIncludingCharactersBeyondTheBasicPlane) {
    const std::string text = "a\xC3\xA9\xE5\xBD\x95\xE5\x83\x8F\xF0\x9F\x8E\xAC.gif";  // aé录像🎬
    const std::wstring wide = Widen(text);
    EXPECT_EQ(wide.size(), sizeof(wchar_t) == 2 ? 10u : 9u);
    EXPECT_EQ(wide[2], L'\x5F55');
    EXPECT_EQ(Narrow(wide), text);
    EXPECT_EQ(Widen(""), L"");
}

TEST(WidenNarrowTest, BrokenSequencesBecomeOneReplacementEachAndTheRestSurvives) {
    const std::wstring r = L"\xFFFD";
    EXPECT_EQ(Widen("a\xFF"
                    "b"),
              L"a" + r + L"b");
    EXPECT_EQ(Widen("\xC0\xAF"), r + r);      // overlong '/'
    EXPECT_EQ(Widen("\xE0\x80\xAF"), r);      // overlong, three bytes
    EXPECT_EQ(Widen("\xED\xA0\x80"), r);      // an encoded surrogate
    EXPECT_EQ(Widen("\xF4\x90\x80\x80"), r);  // past U+10FFFF
    EXPECT_EQ(Widen("\xE5\xBD"
                    "x"),
              r + L"x");                      // cut short: the x stays
    EXPECT_EQ(Widen("x\xE5\xBD"), L"x" + r);  // cut off at the end
    EXPECT_EQ(Narrow(std::wstring(1, static_cast<wchar_t>(0xD800)) + L"z"), "\xEF\xBF\xBDz");
}

}  // namespace
}  // namespace mrv
