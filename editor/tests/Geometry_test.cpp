// The rectangle routines, the arrow head and the figures drawn in the reversible mix.
#include "editor/Geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/Drawing.h"
#include "editor/tests/Fakes.h"

namespace mrv::editor {
namespace {

using test::FakeSurface;
using test::Op;

TEST(ArrowBarbs, DiagonalArrowsBothWays) {
    ArrowHead down = ArrowBarbs({100, 100}, {200, 200});
    EXPECT_EQ(down.barb1, (Point{188, 196}));
    EXPECT_EQ(down.barb2, (Point{196, 188}));
    ArrowHead up = ArrowBarbs({200, 200}, {100, 100});
    EXPECT_EQ(up.barb1, (Point{111, 103}));
    EXPECT_EQ(up.barb2, (Point{103, 111}));
}

TEST(ArrowBarbs, VerticalArrowsTruncateTowardZero) {
    ArrowHead up = ArrowBarbs({100, 100}, {100, 50});
    EXPECT_EQ(up.barb1, (Point{106, 60}));
    EXPECT_EQ(up.barb2, (Point{94, 60}));
    ArrowHead down = ArrowBarbs({100, 100}, {100, 150});
    EXPECT_EQ(down.barb1, (Point{106, 139}));
    EXPECT_EQ(down.barb2, (Point{94, 139}));
    // A tip on the start counts as pointing down.
    ArrowHead still = ArrowBarbs({100, 100}, {100, 100});
    EXPECT_EQ(still.barb1, (Point{106, 89}));
}

TEST(ArrowBarbs, HorizontalArrowsPointBackAlongTheShaft) {
    ArrowHead right = ArrowBarbs({0, 50}, {100, 50});
    EXPECT_EQ(right.barb1, (Point{89, 56}));  // 100 - 10.39, 50 + 6
    EXPECT_EQ(right.barb2, (Point{89, 44}));
    ArrowHead left = ArrowBarbs({100, 50}, {0, 50});
    EXPECT_EQ(left.barb1, (Point{10, 44}));  // 0 + 10.39 truncated
    EXPECT_EQ(left.barb2, (Point{10, 56}));
}

TEST(RectRoutines, NormalizeSwapsOnlyReversedSides) {
    Rect r{50, 60, 10, 20};
    NormalizeRect(r);
    EXPECT_EQ(r, (Rect{10, 20, 50, 60}));
    r = {10, 60, 50, 20};
    NormalizeRect(r);
    EXPECT_EQ(r, (Rect{10, 20, 50, 60}));
    r = {5, 5, 5, 5};
    NormalizeRect(r);
    EXPECT_EQ(r, (Rect{5, 5, 5, 5}));
}

TEST(RectRoutines, CopiesLeaveTheArgumentAlone) {
    const Rect r{10, 20, 30, 40};
    EXPECT_EQ(OffsetRectCopy(r, 5, -7), (Rect{15, 13, 35, 33}));
    EXPECT_EQ(InflateRectCopy(r, 4, 2), (Rect{6, 18, 34, 42}));
    EXPECT_EQ(r, (Rect{10, 20, 30, 40}));
}

TEST(RectRoutines, HandlePointsInTheirOrder) {
    const std::array<Point, 8> expected{
        {{10, 20}, {20, 20}, {30, 20}, {30, 30}, {30, 40}, {20, 40}, {10, 40}, {10, 30}}};
    EXPECT_EQ(HandlePoints({10, 20, 31, 41}), expected);
    // Middles round down also left of the origin.
    EXPECT_EQ(HandlePoints({-5, -5, 0, 0})[1], (Point{-3, -5}));
}

TEST(DrawShape, RoundRectCornersAreHalfEachSideTruncated) {
    FakeSurface s(10, 10);
    DrawShape(s, EditTool::RoundRect, {0, 0, 100, 60});
    DrawShape(s, EditTool::RoundRect, {101, 61, 0, 0});  // dragged up and left
    ASSERT_EQ(s.calls.size(), 2u);
    EXPECT_EQ(s.calls[0].corner, (Size{50, 30}));
    EXPECT_EQ(s.calls[1].corner, (Size{50, 30}));
}

TEST(DrawShape, EachToolItsFigureAndNothingForTheOthers) {
    FakeSurface s(10, 10);
    const Rect r{1, 2, 3, 4};
    for (EditTool t : {EditTool::Arrow, EditTool::Pen, EditTool::Text}) DrawShape(s, t, r);
    EXPECT_TRUE(s.calls.empty());
    DrawShape(s, EditTool::Rectangle, r);
    DrawShape(s, EditTool::Ellipse, r);
    ASSERT_EQ(s.calls.size(), 2u);
    EXPECT_EQ(s.calls[0].op, Op::Rectangle);
    EXPECT_EQ(s.calls[1].op, Op::Ellipse);
    EXPECT_EQ(s.calls[1].rect, r);
}

// Draws with `draw` once (something must change) and again (every pixel must come back).
template <typename Draw>
void ExpectReversible(Draw draw) {
    FakeSurface s(120, 100);
    s.FillPattern(7);
    const std::vector<uint32_t> before = s.Pixels();
    draw(s);
    EXPECT_GT(s.Differences(before), 0u);
    draw(s);
    EXPECT_EQ(s.Differences(before), 0u);
}

TEST(ReversibleMix, ArrowDrawnTwiceRestoresEveryPixel) {
    for (int32_t width : {1, 3, 5}) {
        ExpectReversible([width](FakeSurface& s) {
            const Point start{10, 80}, tip{90, 20};
            const ArrowHead head = ArrowBarbs(start, tip);
            s.SetMix(PenMix::NotXor);
            s.SetPenColor(kRed);
            s.SetPenWidth(width);
            DrawArrowStrokes(s, start, tip, head);
        });
    }
}

TEST(ReversibleMix, OutlinesDrawnTwiceRestoreEveryPixel) {
    for (EditTool tool : {EditTool::Rectangle, EditTool::Ellipse, EditTool::RoundRect}) {
        for (Rect r : {Rect{10, 10, 90, 70}, Rect{90, 70, 10, 10}}) {
            ExpectReversible([&](FakeSurface& s) {
                s.SetMix(PenMix::NotXor);
                s.SetFill(Fill::Hollow, kBlack);
                s.SetPenColor(Color::Rgb(0, 0x80, 0x80));
                s.SetPenWidth(5);
                DrawShape(s, tool, r);
            });
        }
    }
}

TEST(ReversibleMix, HandlesDrawnTwiceRestoreEveryPixelAndInvert) {
    for (Rect r : {Rect{20, 20, 80, 60}, Rect{20, 20, 29, 29}, Rect{0, 0, 119, 99}}) {
        ExpectReversible([r](FakeSurface& s) {
            s.SetPenWidth(3);
            DrawHandles(s, r);
        });
    }
    FakeSurface s(50, 50);
    s.FillPattern(3);
    const uint32_t before = s.At(10, 10);
    s.SetPenWidth(1);
    const uint32_t edgeBefore = s.At(8, 8);
    DrawHandles(s, {10, 10, 40, 40});
    // Black in not-xor inverts, outline and fill alike.
    EXPECT_EQ(s.At(10, 10), ~before & 0xFFFFFF);
    EXPECT_EQ(s.At(8, 8), ~edgeBefore & 0xFFFFFF);
    EXPECT_EQ(s.calls.front().rect, (Rect{8, 8, 13, 13}));
    EXPECT_EQ(s.calls.front().fill, Fill::Solid);
    EXPECT_EQ(s.calls.front().width, 1);  // the width is left as it was
}

TEST(DrawTextLines, LinesStepByTheFirstLinesHeight) {
    FakeSurface s(10, 10);
    s.SetFill(Fill::Solid, kBlack);
    const TextFont font{"MS Sans Serif", 12, kBlue};
    const std::vector<std::string> lines{"Hi", "there"};
    DrawTextLines(s, font, {200, 150}, lines);
    const int32_t h = s.TextExtent("Hi").height;
    ASSERT_EQ(s.calls.size(), 2u);
    EXPECT_EQ(s.calls[0].to, (Point{200, 150}));
    EXPECT_EQ(s.calls[1].to, (Point{200, 150 + h}));
    EXPECT_EQ(s.calls[1].text, "there");
    EXPECT_EQ(s.calls[0].fill, Fill::Hollow);
    EXPECT_EQ(s.calls[0].font, font);
}

}  // namespace
}  // namespace mrv::editor
