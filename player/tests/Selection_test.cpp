// The trim marks: crossing marks, refused marks, a cut recording, the tooltip and the bar's menu.
#include "player/Selection.h"

#include <gtest/gtest.h>

#include "common/Texts.h"

namespace mrv::player {
namespace {

TEST(SelectionTest, AMarkBeyondTheOtherDropsItAndOneLeavingNothingIsRefused) {
    Selection s(6000);
    EXPECT_FALSE(s.SetEnd(0));       // nothing before it
    EXPECT_FALSE(s.SetStart(6000));  // nothing after it
    EXPECT_FALSE(s.marked());
    EXPECT_EQ(s.range(), (TimeRange{0, 6000}));
    ASSERT_TRUE(s.SetStart(1000));
    ASSERT_TRUE(s.SetEnd(3000));
    EXPECT_EQ(s.range(), (TimeRange{1000, 3000}));
    ASSERT_TRUE(s.SetStart(3000));  // on the end: the end goes
    EXPECT_EQ(s.range(), (TimeRange{3000, 6000}));
    EXPECT_FALSE(s.end());
    ASSERT_TRUE(s.SetEnd(2000));  // before the start: the start goes
    EXPECT_EQ(s.range(), (TimeRange{0, 2000}));
    EXPECT_FALSE(s.start());

    // A recording cut short keeps only the marks within it.
    s.SetStart(1000);
    s.SetTotal(1500);
    EXPECT_EQ(s.range(), (TimeRange{1000, 1500}));
    EXPECT_FALSE(s.end());
    s.SetTotal(500);
    EXPECT_FALSE(s.marked());
}

TEST(SelectionTest, TheTipSaysWhatIsSavedAndTheMenuOffersWhatCanBeDone) {
    Selection s(90000);
    EXPECT_EQ(SelectionTip(s), "");
    s.SetStart(61250);
    char want[256];
    std::snprintf(want, sizeof want, text::kPlayerSelectionTip, "00:01:01.2", "00:01:30.0",
                  "00:00:28.7");
    EXPECT_EQ(SelectionTip(s), want);

    // Each entry only where it would change something.
    auto enabled = [](const std::vector<BarMenuItem>& menu) {
        std::vector<bool> e;
        for (const BarMenuItem& item : menu) e.push_back(item.enabled);
        return e;
    };
    EXPECT_EQ(enabled(BarMenu(Selection(90000), 0, 90000)),
              (std::vector<bool>{true, false, false}));
    EXPECT_EQ(enabled(BarMenu(s, 90000, 90000)), (std::vector<bool>{false, true, true}));
}

}  // namespace
}  // namespace mrv::player
