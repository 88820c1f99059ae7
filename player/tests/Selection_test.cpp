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

    const std::vector<BarMenuItem> atStart = BarMenu(Selection(90000), 0, 90000);
    ASSERT_EQ(atStart.size(), 3u);
    EXPECT_EQ(std::string(atStart[0].text), text::kPlayerMarkStart);
    EXPECT_EQ(std::string(atStart[1].text), text::kPlayerMarkEnd);
    EXPECT_EQ(std::string(atStart[2].text), text::kPlayerClearSelection);
    EXPECT_TRUE(atStart[0].enabled);
    EXPECT_FALSE(atStart[1].enabled);  // an end at 0 would leave nothing
    EXPECT_FALSE(atStart[2].enabled);
    const std::vector<BarMenuItem> atEnd = BarMenu(s, 90000, 90000);
    EXPECT_FALSE(atEnd[0].enabled);
    EXPECT_TRUE(atEnd[1].enabled);
    EXPECT_TRUE(atEnd[2].enabled);
}

}  // namespace
}  // namespace mrv::player
