// The strip's layout: every control fits at 640 pixels and scales with the display.
#include "player/Strip.h"

#include <gtest/gtest.h>

namespace mrv::player {
namespace {

void ExpectInOrderWithin(const StripLayout& layout, int32_t width) {
    for (size_t i = 0; i < layout.size(); ++i) {
        EXPECT_GT(layout[i].width, 0) << i;
        if (i > 0) {
            EXPECT_GT(layout[i].left, layout[i - 1].right()) << i;
        }
    }
    EXPECT_LE(layout.back().right(), width);
}

TEST(StripTest, EveryControlFitsAt640PixelsAndTheBarTakesTheRest) {
    ASSERT_LE(MinStripWidth(96), 640);
    const StripLayout at640 = LayoutStrip(640, 400, 96);
    ExpectInOrderWithin(at640, 640);
    const StripLayout at1024 = LayoutStrip(1024, 400, 96);
    EXPECT_EQ(At(at1024, StripControl::Bar).width - At(at640, StripControl::Bar).width, 384);
    EXPECT_EQ(At(at1024, StripControl::Close).right(),
              At(at640, StripControl::Close).right() + 384);
    EXPECT_EQ(At(at640, StripControl::Play).top, 404);
}

TEST(StripTest, AtOneAndAHalfTimesTheDpiEverythingGrowsAlike) {
    EXPECT_EQ(StripHeight(144), 51);
    const StripLayout layout = LayoutStrip(MinStripWidth(144), 0, 144);
    ExpectInOrderWithin(layout, MinStripWidth(144));
    EXPECT_EQ(At(layout, StripControl::SaveAs).width, 90);
    EXPECT_EQ(At(layout, StripControl::Bar).width, 120);
}

}  // namespace
}  // namespace mrv::player
