// The adjustable shapes: creation, the size rule, hit zones and cursors, moving, resizing, the
// three ways of committing, and previews that are always erased exactly.
#include <gtest/gtest.h>

#include <vector>

#include "editor/FrmEdit.h"
#include "editor/tests/Fakes.h"

namespace mrv::editor {
namespace {

using test::Drawn;
using test::FakeSurface;
using test::Op;

class ShapesTest : public test::EditorFixture {
  protected:
    ShapesTest() { SelectTool(EditTool::Rectangle); }

    // The opening picture with an outline and handles drawn once in the reversible mix.
    std::vector<uint32_t> WithPreviews(const Rect* outline, const Rect* handles, Color color = kRed,
                                       int32_t width = 3, int32_t handleWidth = 3) const {
        const EditTool tool = form.CurrentTool();
        return OriginalWith([&](FakeSurface& s) {
            s.SetMix(PenMix::NotXor);
            s.SetFill(Fill::Hollow, kBlack);
            s.SetPenColor(color);
            s.SetPenWidth(width);
            if (outline) DrawShape(s, tool, *outline);
            s.SetPenWidth(handleWidth);
            if (handles) DrawHandles(s, *handles);
        });
    }
    // The window shows the original, the outline where the form says and the handles.
    void ExpectPreviewsAsRecorded() {
        const Rect outline = form.OutlineRect();
        const Rect handles = form.HandleRect();
        EXPECT_EQ(window.surface.Pixels(), WithPreviews(&outline, &handles));
    }
    void MakeShape(Rect r) {
        Drag({r.left, r.top}, {r.right, r.bottom});
        ASSERT_TRUE(form.ShapeActive());
    }
    const Drawn* LastOn(const FakeSurface& s, Op op) const {
        for (auto it = s.calls.rbegin(); it != s.calls.rend(); ++it) {
            if (it->op == op) return &*it;
        }
        return nullptr;
    }
};

TEST_F(ShapesTest, DragShowsOnlyTheLatestOutlineThenHandlesAtRelease) {
    Press({20, 20});
    EXPECT_TRUE(form.ShapeActive());
    EXPECT_TRUE(form.Dragging());
    for (Point p : {Point{60, 90}, Point{150, 30}, Point{90, 80}}) Move(p);
    const Rect dragged{20, 20, 90, 80};
    EXPECT_EQ(form.ShapeRect(), dragged);
    EXPECT_EQ(window.surface.Pixels(), WithPreviews(&dragged, nullptr));
    Release({90, 80});
    EXPECT_FALSE(form.Dragging());
    EXPECT_EQ(form.HandleRect(), dragged);
    EXPECT_EQ(window.surface.Pixels(), WithPreviews(&dragged, &dragged));
    EXPECT_EQ(picture.canvas.Pixels(), original);
    EXPECT_EQ(form.UndoCount(), 0);
}

TEST_F(ShapesTest, DragOfEightPixelsOrLessCreatesNothing) {
    for (Point to : {Point{28, 80}, Point{80, 28}, Point{12, 12}, Point{28, 28}}) {
        Drag({20, 20}, to);
        EXPECT_FALSE(form.ShapeActive());
        EXPECT_TRUE(form.ShapeRect().IsEmpty());
        EXPECT_TRUE(form.OutlineRect().IsEmpty());
        EXPECT_EQ(window.surface.Pixels(), original);
    }
    EXPECT_EQ(form.UndoCount(), 0);
    Drag({20, 20}, {29, 29});
    EXPECT_TRUE(form.ShapeActive());
}

TEST_F(ShapesTest, DragUpAndLeftGivesTheSameNormalisedShape) {
    MakeShape({90, 80, 20, 20});
    EXPECT_EQ(form.ShapeRect(), (Rect{20, 20, 90, 80}));
    ExpectPreviewsAsRecorded();
}

TEST_F(ShapesTest, ZonesAreTriedInTheirOrder) {
    const Rect r{20, 20, 120, 100};
    EXPECT_EQ(HitZoneAt(r, {16, 16}), 0);  // outside the corner: still zone 0
    EXPECT_EQ(HitZoneAt(r, {23, 23}), 0);
    EXPECT_EQ(HitZoneAt(r, {119, 99}), 1);
    EXPECT_EQ(HitZoneAt(r, {116, 20}), 2);
    EXPECT_EQ(HitZoneAt(r, {20, 99}), 3);
    EXPECT_EQ(HitZoneAt(r, {70, 20}), 4);
    EXPECT_EQ(HitZoneAt(r, {20, 60}), 5);
    EXPECT_EQ(HitZoneAt(r, {119, 60}), 6);
    EXPECT_EQ(HitZoneAt(r, {70, 99}), 7);
    EXPECT_EQ(HitZoneAt(r, {70, 60}), -1);
    EXPECT_EQ(HitZoneAt(r, {120, 60}), -1);         // right edge exclusive
    EXPECT_EQ(HitZoneAt({0, 0, 6, 6}, {2, 2}), 0);  // overlapping zones: the first wins
}

TEST_F(ShapesTest, HoverSetsTheZoneAndItsCursorAndLeavesThePreviews) {
    MakeShape({20, 20, 120, 100});
    const std::vector<std::pair<Point, CursorId>> hovers{
        {{70, 21}, CursorId::SplitUpDown},    {{70, 60}, CursorId::Cross},
        {{21, 60}, CursorId::SplitLeftRight}, {{118, 98}, CursorId::SizeNwse},
        {{17, 17}, CursorId::SizeNwse},       {{118, 21}, CursorId::SizeNesw},
        {{21, 98}, CursorId::SizeNesw},       {{70, 98}, CursorId::SplitUpDown},
        {{118, 60}, CursorId::SplitLeftRight}};
    for (auto [p, cursor] : hovers) {
        Move(p);
        EXPECT_EQ(window.windowCursor, cursor) << p.x << "," << p.y;
        EXPECT_EQ(CursorForZone(form.HitZone()), cursor);
    }
    ExpectPreviewsAsRecorded();
}

TEST_F(ShapesTest, HoverWithoutAShapeShowsTheCrossHair) {
    Move({50, 50});
    EXPECT_EQ(window.windowCursor, CursorId::Cross);
    EXPECT_EQ(form.HitZone(), -1);
    EXPECT_EQ(window.surface.Pixels(), original);
}

TEST_F(ShapesTest, ResizingByTheBottomRightHandleMovesOutlineAndHandles) {
    MakeShape({20, 20, 120, 100});
    Move({118, 98});
    Press({118, 98});
    EXPECT_TRUE(form.Resizing());
    Move({140, 120});
    Move({150, 130});
    Release({150, 130});
    EXPECT_FALSE(form.Resizing());
    EXPECT_EQ(form.ShapeRect(), (Rect{20, 20, 150, 130}));
    EXPECT_EQ(form.HandleRect(), (Rect{20, 20, 150, 130}));
    ExpectPreviewsAsRecorded();
}

TEST_F(ShapesTest, LeftEdgeDraggedPastTheRightTurnsTheShapeOver) {
    MakeShape({20, 20, 120, 100});
    Move({21, 60});
    Press({21, 60});
    Move({160, 60});
    Release({160, 60});
    EXPECT_EQ(form.ShapeRect(), (Rect{120, 20, 160, 100}));
    // The handles went where the rectangle was at the release, before it was normalised.
    EXPECT_EQ(form.HandleRect(), (Rect{160, 20, 120, 100}));
    ExpectPreviewsAsRecorded();
    // A release with nothing under way puts them on the normalised rectangle.
    Release({160, 60}, MouseButton::Right);
    EXPECT_EQ(form.HandleRect(), (Rect{120, 20, 160, 100}));
    ExpectPreviewsAsRecorded();
}

TEST_F(ShapesTest, ResizedToEightPixelsOrLessTheShapeIsDiscarded) {
    MakeShape({20, 20, 120, 100});
    Move({118, 60});
    Press({118, 60});
    Move({28, 60});
    Release({28, 60});
    EXPECT_FALSE(form.ShapeActive());
    EXPECT_TRUE(form.HandleRect().IsEmpty());
    EXPECT_EQ(form.HitZone(), -1);
    EXPECT_EQ(window.surface.Pixels(), original);
    EXPECT_EQ(picture.canvas.Pixels(), original);
    EXPECT_EQ(form.UndoCount(), 0);
}

TEST_F(ShapesTest, PressOutsideGripAndZonesDoesNothing) {
    MakeShape({20, 20, 120, 100});
    Move({180, 140});
    Press({180, 140});
    EXPECT_FALSE(form.Resizing() || form.Moving() || form.Dragging());
    Move({190, 145});
    Release({190, 145});
    EXPECT_EQ(form.ShapeRect(), (Rect{20, 20, 120, 100}));
    ExpectPreviewsAsRecorded();
}

TEST_F(ShapesTest, GripJustOutsideTheRightEdgeMovesAndTheOutlineFollowsOneEventLate) {
    MakeShape({20, 20, 120, 100});
    Move({122, 60});
    EXPECT_EQ(form.HitZone(), -1);
    Press({122, 60});
    EXPECT_TRUE(form.Moving());
    EXPECT_EQ(form.LastMovePoint(), (Point{122, 60}));
    Move({121, 65});
    EXPECT_EQ(form.ShapeRect(), (Rect{19, 25, 119, 105}));
    EXPECT_EQ(form.OutlineRect(), (Rect{20, 20, 120, 100}));
    // Out of the grip no step is made; back in, the shape jumps the whole way.
    Move({190, 140});
    EXPECT_EQ(form.ShapeRect(), (Rect{19, 25, 119, 105}));
    Move({117, 70});
    EXPECT_EQ(form.ShapeRect(), (Rect{15, 30, 115, 110}));
    Release({117, 70});
    EXPECT_FALSE(form.Moving());
    EXPECT_EQ(form.HandleRect(), (Rect{15, 30, 115, 110}));
    ExpectPreviewsAsRecorded();
    Move({60, 60});  // the next event brings the outline up to date
    EXPECT_EQ(form.OutlineRect(), (Rect{15, 30, 115, 110}));
    ExpectPreviewsAsRecorded();
}

TEST_F(ShapesTest, GripOutsideTheTopLeftCornerResizes) {
    MakeShape({20, 20, 120, 100});
    Move({17, 17});
    Press({17, 17});
    EXPECT_TRUE(form.Resizing());
    Move({10, 5});
    Release({10, 5});
    EXPECT_EQ(form.ShapeRect(), (Rect{10, 5, 120, 100}));
    ExpectPreviewsAsRecorded();
}

TEST_F(ShapesTest, NoSecondShapeWhileOneIsActive) {
    MakeShape({20, 20, 60, 60});
    Drag({100, 100}, {180, 140});
    EXPECT_EQ(form.ShapeRect(), (Rect{20, 20, 60, 60}));
    ExpectPreviewsAsRecorded();
}

TEST_F(ShapesTest, DoubleClickInsideCommitsWithOneUndoStep) {
    MakeShape({20, 20, 120, 100});
    form.FormDblClick(At({70, 60}));
    Press({70, 60});  // the press of the same double click
    Release({70, 60});
    EXPECT_FALSE(form.ShapeActive());
    EXPECT_EQ(form.UndoCount(), 1);
    EXPECT_EQ(picture.canvas.Pixels(), OriginalWith([](FakeSurface& s) {
                  s.SetPenColor(kRed);
                  s.SetPenWidth(3);
                  s.SetFill(Fill::Hollow, kBlack);
                  DrawShape(s, EditTool::Rectangle, {20, 20, 120, 100});
              }));
    EXPECT_EQ(window.surface.Pixels(), picture.canvas.Pixels());
    EXPECT_TRUE(form.ShapeRect().IsEmpty());
    EXPECT_TRUE(form.HandleRect().IsEmpty());
    EXPECT_EQ(form.HitZone(), -1);
}

TEST_F(ShapesTest, DoubleClickOutsideOrWithoutAShapeChangesNothing) {
    form.FormDblClick(At({70, 60}));
    MakeShape({20, 20, 120, 100});
    form.FormDblClick(At({120, 60}));  // right edge is exclusive
    form.FormDblClick(At({5, 5}));
    EXPECT_TRUE(form.ShapeActive());
    EXPECT_EQ(form.UndoCount(), 0);
    EXPECT_EQ(picture.canvas.Pixels(), original);
    ExpectPreviewsAsRecorded();
}

TEST_F(ShapesTest, AToolButtonCommitsEvenTheCurrentOne) {
    SelectTool(EditTool::Ellipse);
    MakeShape({20, 20, 120, 100});
    SelectTool(EditTool::Ellipse);
    EXPECT_FALSE(form.ShapeActive());
    EXPECT_EQ(form.UndoCount(), 1);
    const Drawn* ellipse = LastOn(picture.canvas, Op::Ellipse);
    ASSERT_NE(ellipse, nullptr);
    EXPECT_EQ(ellipse->rect, (Rect{20, 20, 120, 100}));
    EXPECT_EQ(ellipse->mix, PenMix::Copy);
    EXPECT_EQ(window.surface.Pixels(), picture.canvas.Pixels());
}

TEST_F(ShapesTest, UndoDropsTheActiveShapeAndKeepsEarlierDrawing) {
    SelectTool(EditTool::Arrow);
    Drag({10, 140}, {190, 140});
    const std::vector<uint32_t> arrow = picture.canvas.Pixels();
    SelectTool(EditTool::RoundRect);
    MakeShape({20, 20, 120, 100});
    form.ToolButton8Click();
    EXPECT_FALSE(form.ShapeActive());
    EXPECT_EQ(picture.canvas.Pixels(), arrow);
    EXPECT_EQ(window.surface.Pixels(), arrow);
    EXPECT_EQ(form.UndoCount(), 1);
}

TEST_F(ShapesTest, TheFirstShapeCannotBeDroppedByCtrlZ) {
    MakeShape({20, 20, 120, 100});
    PressKey(Key::Z, true);
    EXPECT_TRUE(form.ShapeActive());
    EXPECT_EQ(picture.canvas.Pixels(), original);
    ExpectPreviewsAsRecorded();
}

TEST_F(ShapesTest, NewColourAndWidthAreUsedAndOldPreviewsStillErased) {
    MakeShape({20, 20, 120, 100});
    form.ToolButton11Click(5);
    form.Shape2MouseDown(13, MouseButton::Left);  // blue
    Move({70, 60});
    const Rect r{20, 20, 120, 100};
    EXPECT_EQ(window.surface.Pixels(), WithPreviews(&r, &r, kBlue, 5, 3));
    Move({118, 98});
    Press({118, 98});
    Move({150, 130});
    Release({150, 130});
    const Rect big{20, 20, 150, 130};
    EXPECT_EQ(window.surface.Pixels(), WithPreviews(&big, &big, kBlue, 5, 5));
    form.FormDblClick(At({70, 60}));
    const Drawn* committed = LastOn(picture.canvas, Op::Rectangle);
    ASSERT_NE(committed, nullptr);
    EXPECT_EQ(committed->pen, kBlue);
    EXPECT_EQ(committed->width, 5);
    EXPECT_EQ(committed->fill, Fill::Hollow);
}

TEST_F(ShapesTest, LosingTheCaptureEndsCreationAndResizingAsTheirReleaseWould) {
    Press({20, 20});
    Move({120, 100});
    form.FormCaptureLost();
    EXPECT_EQ(form.HandleRect(), (Rect{20, 20, 120, 100}));
    ExpectPreviewsAsRecorded();
    Move({118, 98});
    Press({118, 98});
    Move({24, 24});  // resized to nothing: gone, as at a release
    form.FormCaptureLost();
    EXPECT_FALSE(form.ShapeActive());
    EXPECT_EQ(window.surface.Pixels(), original);
}

TEST_F(ShapesTest, ApplyCommitsTheActiveShapeAndCancelDropsIt) {
    MakeShape({20, 20, 120, 100});
    form.SpeedButton1Click();
    EXPECT_EQ(window.result, EditResult::Cancel);
    EXPECT_EQ(picture.canvas.Pixels(), original);

    form.SpeedButton2Click();
    EXPECT_EQ(window.result, EditResult::Ok);
    EXPECT_FALSE(form.ShapeActive());
    const Drawn* committed = LastOn(picture.canvas, Op::Rectangle);
    ASSERT_NE(committed, nullptr);
    EXPECT_EQ(committed->rect, (Rect{20, 20, 120, 100}));
    EXPECT_EQ(window.surface.Pixels(), picture.canvas.Pixels());
}

}  // namespace
}  // namespace mrv::editor
