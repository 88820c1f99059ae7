// The picker's rules: drag, click on a window, handles, keys, monitors and the last region.
#include "app/AreaPicker.h"

#include <gtest/gtest.h>

#include "app/Countdown.h"

namespace mrv::app {
namespace {

using State = AreaPicker::State;

// Monitor 2 lies left of the primary one and starts higher: negative coordinates throughout.
PickerSetup TwoMonitors(PickMode mode = PickMode::Region) {
    PickerSetup s;
    s.mode = mode;
    s.virtualScreen = {-1280, -200, 1920, 1080};
    s.monitors = {{{0, 0, 1920, 1080}, 1, true}, {{-1280, -200, 0, 824}, 2, false}};
    // A dialog above a window that reaches off the virtual screen.
    s.windows = {{100, 100, 400, 300}, {-1400, 50, 600, 700}};
    s.lastRegion = mrv::Rect{10, 20, 330, 260};
    return s;
}

void Drag(AreaPicker& p, Point from, Point to) {
    p.MouseDown(from);
    p.MouseMove({(from.x + to.x) / 2, (from.y + to.y) / 2});
    p.MouseMove(to);
    p.MouseUp(to);
}

TEST(AreaPicker, DragDrawsTheRectangleWithItsSizeThenEnterTakesIt) {
    AreaPicker p(TwoMonitors());
    p.MouseDown({-500, 100});
    p.MouseMove({-502, 101});  // under the threshold: still a press
    EXPECT_EQ(p.state(), State::Pressed);
    p.MouseMove({139, 579});
    EXPECT_EQ(p.state(), State::Dragging);
    EXPECT_EQ(p.SizeText(), "640 × 480");
    EXPECT_TRUE(p.Handles().empty());
    p.MouseUp({139, 579});
    EXPECT_EQ(p.state(), State::Adjusting);
    EXPECT_EQ(p.Handles().size(), 8u);
    p.Key(PickerKey::Enter);
    EXPECT_EQ(p.state(), State::Done);
    EXPECT_EQ(p.result(), (mrv::Rect{-500, 100, 140, 580}));
}

TEST(AreaPicker, DragUpwardsAndPastTheEdgeStaysInsideTheVirtualScreen) {
    AreaPicker p(TwoMonitors());
    Drag(p, {1900, 1000}, {1700, 5000});
    EXPECT_EQ(*p.selection(), (mrv::Rect{1700, 1000, 1901, 1080}));
    Drag(p, {-1000, -100}, {-2000, -900});  // a new drag outside the selection
    EXPECT_EQ(*p.selection(), (mrv::Rect{-1280, -200, -999, -99}));
}

TEST(AreaPicker, ClickTakesTheTopmostWindowUnderThePointerClippedToTheScreen) {
    AreaPicker p(TwoMonitors());
    p.MouseMove({150, 150});
    EXPECT_EQ(p.highlight(), (mrv::Rect{100, 100, 400, 300}));
    p.MouseMove({50, 60});
    EXPECT_EQ(p.highlight(), (mrv::Rect{-1280, 50, 600, 700}));
    p.MouseDown({50, 60});
    p.MouseMove({52, 61});
    p.MouseUp({52, 61});
    EXPECT_EQ(p.state(), State::Adjusting);
    EXPECT_EQ(*p.selection(), (mrv::Rect{-1280, 50, 600, 700}));
    // A click on nothing changes nothing.
    p.MouseDown({1500, 900});
    p.MouseUp({1500, 900});
    EXPECT_EQ(p.state(), State::Adjusting);
    EXPECT_EQ(*p.selection(), (mrv::Rect{-1280, 50, 600, 700}));
    p.DoubleClick({0, 100});
    EXPECT_EQ(p.state(), State::Done);
}

TEST(AreaPicker, WindowModeTakesTheWindowAtOnceAndDrawsNothing) {
    AreaPicker p(TwoMonitors(PickMode::Window));
    Drag(p, {150, 150}, {599, 699});
    EXPECT_EQ(p.state(), State::Done);
    EXPECT_EQ(p.result(), (mrv::Rect{-1280, 50, 600, 700}));  // the window at the release
    AreaPicker q(TwoMonitors(PickMode::Window));
    q.MouseDown({1500, 900});
    q.MouseUp({1500, 900});
    EXPECT_EQ(q.state(), State::Choosing);
    q.Key(PickerKey::Escape);
    EXPECT_EQ(q.state(), State::Cancelled);
}

TEST(AreaPicker, HandlesResizeAndTheInsideMoves) {
    AreaPicker p(TwoMonitors());
    Drag(p, {100, 100}, {299, 199});  // 200 x 100
    const std::vector<mrv::Rect> handles = p.Handles();
    EXPECT_EQ(p.HandleAt({300, 200}), 4);
    // The bottom-right handle dragged up past the top edge turns the rectangle over.
    Drag(p, {300, 200}, {350, 50});
    EXPECT_EQ(*p.selection(), (mrv::Rect{100, 50, 350, 100}));
    EXPECT_EQ(p.HandleAt({225, 50}), 1);
    // Dragged from inside, it moves whole, and stops at the virtual screen's edge.
    Drag(p, {200, 75}, {-5000, 75});
    EXPECT_EQ(*p.selection(), (mrv::Rect{-1280, 50, -1030, 100}));
    EXPECT_EQ(handles.size(), 8u);
}

TEST(AreaPicker, ArrowsMoveCtrlResizesShiftTakesTenPixels) {
    AreaPicker p(TwoMonitors());
    p.Key(PickerKey::Space);
    EXPECT_EQ(*p.selection(), (mrv::Rect{10, 20, 330, 260}));
    p.Key(PickerKey::Left);
    p.Key(PickerKey::Down, 0, true);
    EXPECT_EQ(*p.selection(), (mrv::Rect{9, 30, 329, 270}));
    p.Key(PickerKey::Right, 0, true, true);
    p.Key(PickerKey::Up, 0, false, true);
    EXPECT_EQ(*p.selection(), (mrv::Rect{9, 30, 339, 269}));
    // Never smaller than 16 pixels, never off the screen.
    for (int i = 0; i < 40; ++i) p.Key(PickerKey::Left, 0, true, true);
    EXPECT_EQ(p.selection()->right - p.selection()->left, 16);
    p.Key(PickerKey::Digit, 1);
    for (int i = 0; i < 3; ++i) p.Key(PickerKey::Right, 0, true);
    EXPECT_EQ(*p.selection(), (mrv::Rect{0, 0, 1920, 1080}));
}

TEST(AreaPicker, DigitsTakeMonitorsByNumberAndResultIsAligned) {
    PickerSetup s = TwoMonitors();
    s.bitsPerPixel = 4;
    AreaPicker p(s);
    p.Key(PickerKey::Digit, 3);  // no such monitor
    EXPECT_FALSE(p.selection());
    p.Key(PickerKey::Enter);
    EXPECT_EQ(p.state(), State::Choosing);
    p.Key(PickerKey::Digit, 2);
    EXPECT_EQ(*p.selection(), (mrv::Rect{-1280, -200, 0, 824}));
    // A drag beside it draws anew; at 4 bits the left edge and width come out even, counted
    // from the virtual screen's edge.
    Drag(p, {101, 0}, {110, 4});
    p.Key(PickerKey::Enter);
    EXPECT_EQ(p.result(), (mrv::Rect{100, 0, 118, 16}));
    EXPECT_EQ(p.SizeText(), "18 × 16");
}

TEST(AreaPicker, LabelGoesBelowElseAboveElseInside) {
    AreaPicker p(TwoMonitors());
    Drag(p, {0, 0}, {99, 99});
    EXPECT_EQ(p.LabelPlace(80, 20).y, 106);
    Drag(p, {0, 1000}, {99, 1079});
    EXPECT_EQ(p.LabelPlace(80, 20).y, 1000 - 6 - 20);
    Drag(p, {1900, -200}, {1800, 1079});
    const Point inside = p.LabelPlace(80, 20);
    EXPECT_EQ(inside.x, 1806);
    EXPECT_EQ(inside.y, -194);
}

TEST(Countdown, ThreeTwoOneThenOverAndEscCancelsOnlyWhileCounting) {
    Countdown c;
    EXPECT_EQ(c.shown(), 3);
    c.SecondPassed();
    c.SecondPassed();
    EXPECT_EQ(c.shown(), 1);
    EXPECT_FALSE(c.finished());
    c.Escape();
    EXPECT_TRUE(c.cancelled());
    EXPECT_TRUE(c.finished());
    Countdown d;
    for (int i = 0; i < 4; ++i) d.SecondPassed();
    d.Escape();
    EXPECT_EQ(d.shown(), 0);
    EXPECT_FALSE(d.cancelled());
}

}  // namespace
}  // namespace mrv::app
