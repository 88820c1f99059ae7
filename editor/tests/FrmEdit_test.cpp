// The editor form's rules with a fake window, picture and panel: tools, colours, arrow, pen,
// text boxes, the undo ring and redo, keys, the panel drag, cancel and apply.
#include "editor/FrmEdit.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/Texts.h"
#include "editor/Drawing.h"
#include "editor/tests/Fakes.h"

namespace mrv::editor {
namespace {

using test::Drawn;
using test::FakeSurface;
using test::Op;

class FrmEditTest : public test::EditorFixture {};

// The arrow from `start` to `tip` with the form's pen, drawn on `s`.
void DrawArrow(FakeSurface& s, Point start, Point tip, Color color, int32_t width, PenMix mix) {
    const ArrowHead head = ArrowBarbs(start, tip);
    s.SetMix(mix);
    s.SetPenColor(color);
    s.SetPenWidth(width);
    DrawArrowStrokes(s, start, tip, head);
}

TEST_F(FrmEditTest, OpensWithTheArrowRedWidthThreeAndUndoDisabled) {
    EXPECT_EQ(form.CurrentTool(), EditTool::Arrow);
    EXPECT_EQ(form.PenColor(), kRed);
    EXPECT_EQ(form.TextColor(), kBlue);
    EXPECT_EQ(form.LineWidth(), 3);
    EXPECT_FALSE(panel.undoEnabled);
    EXPECT_FALSE(panel.fontPanelVisible);
    EXPECT_EQ(panel.currentColor, kRed);
    EXPECT_EQ(form.HitZone(), -1);
    EXPECT_TRUE(form.ShapeRect().IsEmpty());
}

TEST_F(FrmEditTest, ArrowPreviewShowsOnlyTheLatestArrowThenCommitsInCopyMix) {
    Press({20, 120});
    for (Point p : {Point{40, 100}, Point{150, 30}, Point{60, 20}, Point{120, 60}}) Move(p);
    // Every earlier preview is erased exactly; the picture is untouched while dragging.
    EXPECT_EQ(window.surface.Pixels(), OriginalWith([](FakeSurface& s) {
                  DrawArrow(s, {20, 120}, {120, 60}, kRed, 3, PenMix::NotXor);
              }));
    EXPECT_EQ(picture.canvas.Pixels(), original);
    EXPECT_EQ(form.ArrowBarbs().barb1, ArrowBarbs({20, 120}, {120, 60}).barb1);

    Release({120, 60});
    EXPECT_FALSE(form.Dragging());
    EXPECT_EQ(picture.canvas.Pixels(), OriginalWith([](FakeSurface& s) {
                  DrawArrow(s, {20, 120}, {120, 60}, kRed, 3, PenMix::Copy);
              }));
    EXPECT_EQ(window.surface.Pixels(), picture.canvas.Pixels());
    EXPECT_EQ(form.UndoCount(), 1);
    EXPECT_TRUE(panel.undoEnabled);
}

TEST_F(FrmEditTest, ArrowHeadWithABarbAtMinusOneIsStillErased) {
    Press({0, 50});
    Move({9, 50});  // barbs at x = trunc(9 - 10.39) = -1
    ASSERT_EQ(form.ArrowBarbs().barb1.x, -1);
    Move({60, 50});
    EXPECT_EQ(window.surface.Pixels(), OriginalWith([](FakeSurface& s) {
                  DrawArrow(s, {0, 50}, {60, 50}, kRed, 3, PenMix::NotXor);
              }));
}

TEST_F(FrmEditTest, ArrowWithoutMovingDrawsNothingButRecordsAStep) {
    Press({50, 50});
    Release({50, 50});
    EXPECT_EQ(picture.canvas.Pixels(), original);
    EXPECT_EQ(form.UndoCount(), 1);
    form.ToolButton8Click();
    EXPECT_EQ(picture.canvas.Pixels(), original);
    EXPECT_EQ(window.surface.Pixels(), original);
    EXPECT_FALSE(panel.undoEnabled);
}

TEST_F(FrmEditTest, ArrowDraggedBackToItsStartLeavesNoHeadOnTheWindow) {
    Press({50, 50});
    Move({90, 90});
    Move({50, 50});
    Release({50, 50});
    EXPECT_EQ(picture.canvas.Pixels(), original);
    EXPECT_EQ(window.surface.Pixels(), original);
}

TEST_F(FrmEditTest, VerticalArrowIsCommittedLikeAnyOther) {
    Drag({100, 120}, {100, 40});
    EXPECT_EQ(picture.canvas.Pixels(), OriginalWith([](FakeSurface& s) {
                  DrawArrow(s, {100, 120}, {100, 40}, kRed, 3, PenMix::Copy);
              }));
}

TEST_F(FrmEditTest, RightButtonPressDoesNothingButItsReleaseEndsALeftDrag) {
    Press({10, 10}, MouseButton::Right);
    EXPECT_FALSE(form.Dragging());
    EXPECT_EQ(form.UndoCount(), 0);
    Press({10, 10});
    Move({80, 70});
    Release({80, 70}, MouseButton::Right);
    EXPECT_FALSE(form.Dragging());
    EXPECT_NE(picture.canvas.Pixels(), original);
}

TEST_F(FrmEditTest, AReleaseWithoutADragDoesNotBringBackAnUndoneArrow) {
    Drag({10, 10}, {90, 90});
    form.ToolButton8Click();
    ASSERT_EQ(picture.canvas.Pixels(), original);
    Release({30, 30}, MouseButton::Right);
    EXPECT_EQ(picture.canvas.Pixels(), original);
}

TEST_F(FrmEditTest, PenDrawsIntoThePictureAndRepaintsOnEveryMove) {
    SelectTool(EditTool::Pen);
    Press({10, 10});
    EXPECT_EQ(form.UndoCount(), 1);
    const int repaints = window.repaints;
    Move({40, 10});
    Move({40, 60});
    Release({40, 60});
    EXPECT_EQ(window.repaints, repaints + 2);
    EXPECT_EQ(picture.canvas.Pixels(), OriginalWith([](FakeSurface& s) {
                  s.SetPenColor(kRed);
                  s.SetPenWidth(3);
                  s.MoveTo({10, 10});
                  s.LineTo({40, 10});
                  s.LineTo({40, 60});
              }));
    EXPECT_EQ(window.surface.Pixels(), picture.canvas.Pixels());
    // A click leaves no dot; moves after the release draw nothing.
    const std::vector<uint32_t> drawn = picture.canvas.Pixels();
    Press({100, 100});
    Release({100, 100});
    Move({120, 120});
    EXPECT_EQ(picture.canvas.Pixels(), drawn);
}

TEST_F(FrmEditTest, ToolAndColourSelectionFollowTheTextTool) {
    SelectTool(EditTool::Text);
    EXPECT_EQ(form.CurrentTool(), EditTool::Text);
    EXPECT_TRUE(panel.fontPanelVisible);
    EXPECT_EQ(panel.currentColor, kBlue);
    form.Shape2MouseDown(5, MouseButton::Right);  // maroon, any button
    EXPECT_EQ(form.TextColor(), Color::Rgb(0x80, 0, 0));
    EXPECT_EQ(form.PenColor(), kRed);
    EXPECT_EQ(panel.currentColor, Color::Rgb(0x80, 0, 0));
    SelectTool(EditTool::Ellipse);
    EXPECT_FALSE(panel.fontPanelVisible);
    EXPECT_EQ(panel.currentColor, kRed);
    form.Shape2MouseDown(9, MouseButton::Left);  // "orange" is lime
    EXPECT_EQ(form.PenColor(), Color::Rgb(0, 0xFF, 0));
    EXPECT_EQ(form.TextColor(), Color::Rgb(0x80, 0, 0));
}

TEST_F(FrmEditTest, ButtonTagsChooseToolsAndWidths) {
    const std::vector<std::pair<int, EditTool>> tags{
        {0, EditTool::Arrow},     {1, EditTool::Ellipse}, {2, EditTool::Rectangle},
        {3, EditTool::RoundRect}, {4, EditTool::Pen},     {5, EditTool::Text}};
    for (auto [tag, tool] : tags) {
        form.ToolButton1Click(tag);
        EXPECT_EQ(form.CurrentTool(), tool) << tag;
    }
    for (int32_t tag : {1, 5, 3}) {
        form.ToolButton11Click(tag);
        EXPECT_EQ(form.LineWidth(), tag);
    }
    form.ToolButton11Click(2);
    EXPECT_EQ(form.LineWidth(), 3);
}

TEST_F(FrmEditTest, FiveStepsLeaveFourToUndo) {
    std::vector<std::vector<uint32_t>> before;
    for (int i = 0; i < 5; ++i) {
        before.push_back(picture.canvas.Pixels());
        Drag({10 + 30 * i, 10}, {20 + 30 * i, 100});
    }
    EXPECT_EQ(form.UndoCount(), 4);
    for (int i = 4; i >= 1; --i) {
        EXPECT_TRUE(panel.undoEnabled);
        form.ToolButton8Click();
        EXPECT_EQ(picture.canvas.Pixels(), before[i]) << i;
        EXPECT_EQ(window.surface.Pixels(), before[i]);
    }
    EXPECT_FALSE(panel.undoEnabled);
    EXPECT_EQ(form.UndoCount(), 0);
}

TEST_F(FrmEditTest, CtrlZUndoesAndCtrlYRedoesUntilANewStep) {
    Drag({10, 10}, {60, 60});
    const std::vector<uint32_t> one = picture.canvas.Pixels();
    Drag({100, 10}, {150, 90});
    const std::vector<uint32_t> two = picture.canvas.Pixels();
    EXPECT_TRUE(PressKey(Key::Z, true));
    EXPECT_TRUE(PressKey(Key::Z, true));
    EXPECT_EQ(picture.canvas.Pixels(), original);
    EXPECT_FALSE(panel.undoEnabled);
    EXPECT_TRUE(PressKey(Key::Z, true));  // nothing left: no change
    EXPECT_EQ(picture.canvas.Pixels(), original);

    EXPECT_TRUE(PressKey(Key::Y, true));
    EXPECT_EQ(picture.canvas.Pixels(), one);
    EXPECT_TRUE(panel.undoEnabled);
    EXPECT_TRUE(PressKey(Key::Y, true));
    EXPECT_EQ(picture.canvas.Pixels(), two);
    EXPECT_EQ(window.surface.Pixels(), two);
    EXPECT_TRUE(PressKey(Key::Y, true));  // nothing more to redo
    EXPECT_EQ(picture.canvas.Pixels(), two);

    // Undo and redo stay in step with the ring.
    PressKey(Key::Z, true);
    EXPECT_EQ(picture.canvas.Pixels(), one);
    Drag({10, 120}, {190, 120});  // a new step: the redo is gone
    const std::vector<uint32_t> three = picture.canvas.Pixels();
    PressKey(Key::Y, true);
    EXPECT_EQ(picture.canvas.Pixels(), three);
    EXPECT_EQ(form.UndoCount(), 2);
    form.ToolButton8Click();
    form.ToolButton8Click();
    EXPECT_EQ(picture.canvas.Pixels(), original);
}

TEST_F(FrmEditTest, CtrlZIsIgnoredDuringADrag) {
    Drag({10, 10}, {60, 60});
    Press({100, 100});
    Move({150, 120});
    EXPECT_TRUE(PressKey(Key::Z, true));
    EXPECT_EQ(form.UndoCount(), 2);
    EXPECT_TRUE(form.Dragging());
}

TEST_F(FrmEditTest, KeysActOnlyWhenTheWindowItselfHasTheFocus) {
    Drag({10, 10}, {60, 60});
    // Typed into the font-size box or a text box, the keys are that control's own.
    for (KeyFocus focus : {KeyFocus::PanelControl, KeyFocus::TextBox}) {
        for (Key key : {Key::Escape, Key::Z, Key::Y})
            EXPECT_FALSE(PressKey(key, key != Key::Escape, focus));
    }
    EXPECT_FALSE(window.result);
    EXPECT_EQ(form.UndoCount(), 1);
    EXPECT_FALSE(PressKey(Key::Other, true));
    EXPECT_TRUE(PressKey(Key::Escape));
    EXPECT_EQ(window.result, EditResult::Cancel);
}

TEST_F(FrmEditTest, TextBoxOpensAtThePressWithTheChosenFontAndColour) {
    SelectTool(EditTool::Text);
    form.Shape2MouseDown(8, MouseButton::Left);  // green
    panel.fontSizeText = "20";
    Press({30, 40});
    ASSERT_EQ(window.textBoxes.size(), 1u);
    const test::TextBoxState& box = *window.textBoxes[0];
    EXPECT_EQ(box.bounds, (Rect{30, 40, 110, 76}));
    EXPECT_EQ(box.font, (TextFont{"MS Sans Serif", 20, Color::Rgb(0, 0x80, 0)}));
    // A new size or colour is for the next box.
    panel.fontSizeText = "9";
    form.Shape2MouseDown(6, MouseButton::Left);
    EXPECT_EQ(form.TextBoxFont().sizePt, 20);
    EXPECT_EQ(form.TextBoxFont().color, Color::Rgb(0, 0x80, 0));
}

TEST_F(FrmEditTest, NextPressCommitsTheBoxWithTextAndDropsAnEmptyOne) {
    SelectTool(EditTool::Text);
    Press({30, 40});
    window.textBoxes[0]->text = "Hi\nthere";
    Press({100, 100});
    EXPECT_TRUE(window.textBoxes[0]->destroyed);
    EXPECT_EQ(form.UndoCount(), 1);
    std::vector<Drawn> texts;
    for (const Drawn& d : picture.canvas.calls) {
        if (d.op == Op::Text) texts.push_back(d);
    }
    ASSERT_EQ(texts.size(), 2u);
    // Where the box showed its first line: its corner plus its margins.
    EXPECT_EQ(texts[0].to, (Point{30 + 3, 40 + 1}));
    EXPECT_EQ(texts[1].to.x, 30 + 3);
    EXPECT_EQ(texts[1].text, "there");
    EXPECT_EQ(texts[1].font.color, kBlue);
    EXPECT_EQ(texts[1].fill, Fill::Hollow);

    Press({150, 20});  // the box at (100, 100) was empty
    EXPECT_TRUE(window.textBoxes[1]->destroyed);
    EXPECT_EQ(form.UndoCount(), 1);
    EXPECT_EQ(window.textBoxes.size(), 3u);
}

TEST_F(FrmEditTest, TextBoxGrowsToItsTextAndNeverShrinks) {
    SelectTool(EditTool::Text);
    Press({10, 10});
    test::TextBoxState& box = *window.textBoxes[0];
    FakeSurface& c = picture.canvas;
    c.SetFont(form.TextBoxFont());
    const int32_t lineHeight = c.TextExtent("x").height;

    box.text = "a rather long line";
    form.TextBoxChange();
    EXPECT_EQ(box.bounds.right - box.bounds.left, c.TextExtent("a rather long lineWW").width);
    EXPECT_EQ(box.bounds.bottom - box.bounds.top, 36);  // 2 line heights are less

    box.text = "a rather long line\n\n\nx";
    box.caretLine = 3;
    form.TextBoxChange();
    EXPECT_EQ(box.bounds.bottom - box.bounds.top, 5 * lineHeight);
    EXPECT_EQ(box.bounds.right - box.bounds.left, c.TextExtent("a rather long lineWW").width);

    box.text = "x";
    box.caretLine = 0;
    form.TextBoxChange();
    EXPECT_EQ(box.bounds.bottom - box.bounds.top, 5 * lineHeight);
}

TEST_F(FrmEditTest, FontSizeThatIsNoWholeNumberOrOutOfRangeOpensNoBox) {
    SelectTool(EditTool::Text);
    for (const char* text : {"abc", "12.5", "", "12 ", "0", "-3", "1639", "99999999999999999999"}) {
        panel.fontSizeText = text;
        Press({30, 30});
        EXPECT_FALSE(form.HasTextBox()) << text;
        ASSERT_FALSE(window.errors.empty());
        // A whole number is not called an invalid integer.
        EXPECT_EQ(window.errors.back(),
                  window.errors.size() > 4
                      ? std::string(text::kEditFontSizeRange)
                      : std::string("'") + text + "' is not a valid integer value");
    }
    EXPECT_TRUE(window.textBoxes.empty());
    EXPECT_EQ(window.errors.size(), 8u);
    // The next press tries again.
    panel.fontSizeText = " +1638";
    Press({30, 30});
    EXPECT_TRUE(form.HasTextBox());
    EXPECT_EQ(form.TextBoxFont().sizePt, 1638);
}

TEST_F(FrmEditTest, UndoWithABoxOfTextDropsOnlyTheBox) {
    Drag({10, 10}, {60, 60});
    const std::vector<uint32_t> arrow = picture.canvas.Pixels();
    SelectTool(EditTool::Text);
    Press({80, 80});
    window.textBoxes[0]->text = "Hi";
    form.ToolButton8Click();
    EXPECT_TRUE(window.textBoxes[0]->destroyed);
    EXPECT_EQ(picture.canvas.Pixels(), arrow);
    EXPECT_EQ(form.UndoCount(), 1);
}

TEST_F(FrmEditTest, UndoWithAnEmptyBoxAlsoUndoesTheLastStep) {
    Drag({10, 10}, {60, 60});
    SelectTool(EditTool::Text);
    Press({80, 80});
    form.ToolButton8Click();
    EXPECT_TRUE(window.textBoxes[0]->destroyed);
    EXPECT_EQ(picture.canvas.Pixels(), original);
}

TEST_F(FrmEditTest, ToolButtonCommitsTheTextBox) {
    SelectTool(EditTool::Text);
    Press({80, 80});
    window.textBoxes[0]->text = "Hi";
    SelectTool(EditTool::Text);  // the current tool's own button too
    EXPECT_FALSE(form.HasTextBox());
    EXPECT_EQ(CallsOn(picture.canvas, Op::Text), 1u);
}

TEST_F(FrmEditTest, PanelDragKeepsTheGrabbedPointAndEndsAtTheWindowEdge) {
    form.Panel1MouseDown(DragTarget::Panel, At({10, 5}));
    EXPECT_EQ(window.appCursor, CursorId::SizeAll);
    form.Panel1MouseMove(DragTarget::Panel, At({30, 25}));
    EXPECT_EQ(panel.bounds, (Rect{180, 108, 180 + 265, 108 + 62}));
    // The pointer at window x = 180 - 180 = 0 is outside the open interval.
    form.Panel1MouseMove(DragTarget::Panel, At({-180, 10}));
    EXPECT_FALSE(form.PanelDragging());
    EXPECT_EQ(window.appCursor, CursorId::Default);
    form.Panel1MouseMove(DragTarget::Panel, At({40, 40}));
    EXPECT_EQ(panel.bounds.left, 180);

    form.Panel1MouseDown(DragTarget::Panel, At({10, 5}, MouseButton::Right));
    EXPECT_FALSE(form.PanelDragging());
}

TEST_F(FrmEditTest, TextBoxIsDraggedLikeThePanel) {
    SelectTool(EditTool::Text);
    Press({50, 50});
    form.Panel1MouseDown(DragTarget::TextBox, At({4, 4}));
    form.Panel1MouseMove(DragTarget::TextBox, At({14, 24}));
    EXPECT_EQ(window.textBoxes[0]->bounds, (Rect{60, 70, 140, 106}));
    form.Panel1MouseUp(DragTarget::TextBox, At({14, 24}));
    EXPECT_FALSE(form.PanelDragging());
    EXPECT_EQ(window.appCursor, CursorId::Default);
}

TEST_F(FrmEditTest, ApplyCommitsTheOpenTextBoxThenHidesThePanelAndRepaints) {
    SelectTool(EditTool::Text);
    Press({80, 80});
    window.textBoxes[0]->text = "Hi";
    form.SpeedButton2Click();
    EXPECT_TRUE(window.textBoxes[0]->destroyed);
    EXPECT_EQ(CallsOn(picture.canvas, Op::Text), 1u);
    EXPECT_TRUE(panel.hidden);
    EXPECT_EQ(window.surface.Pixels(), picture.canvas.Pixels());
    EXPECT_EQ(window.result, EditResult::Ok);
}

TEST_F(FrmEditTest, CancelCommitsNothing) {
    SelectTool(EditTool::Text);
    Press({80, 80});
    window.textBoxes[0]->text = "Hi";
    form.SpeedButton1Click();
    EXPECT_EQ(window.result, EditResult::Cancel);
    EXPECT_EQ(CallsOn(picture.canvas, Op::Text), 0u);
    EXPECT_EQ(picture.canvas.Pixels(), original);
    form.FormDestroy();
    EXPECT_TRUE(window.textBoxes[0]->destroyed);
}

TEST_F(FrmEditTest, AnErrorInAHandlerIsShownAndTheEditorStaysWithItsDrawing) {
    Drag({10, 10}, {60, 60});
    const std::vector<uint32_t> drawn = picture.canvas.Pixels();
    SelectTool(EditTool::Text);
    window.failTextBox = true;
    RunHandler(window, [&] { Press({80, 80}); });
    RunHandler(window, [] { throw std::runtime_error("Cannot create the bitmap"); });
    EXPECT_EQ(window.errors,
              (std::vector<std::string>{text::kEditorOutOfMemory, "Cannot create the bitmap"}));
    EXPECT_FALSE(window.result);
    EXPECT_EQ(picture.canvas.Pixels(), drawn);
    EXPECT_EQ(form.UndoCount(), 1);
}

TEST_F(FrmEditTest, AStepWhoseUndoCopyFailsIsNotDoneAndUndoStaysAsItWas) {
    Drag({10, 10}, {60, 60});
    const std::vector<uint32_t> one = picture.canvas.Pixels();
    Drag({100, 10}, {150, 90});
    const std::vector<uint32_t> two = picture.canvas.Pixels();
    picture.failSaves = true;
    RunHandler(window, [&] { Press({20, 120}); });
    Release({90, 130});
    EXPECT_EQ(picture.canvas.Pixels(), two);
    EXPECT_EQ(window.errors, std::vector<std::string>{text::kEditUndoSaveFailed});
    // Undo takes back the last step that was saved, not a stale slot.
    form.ToolButton8Click();
    EXPECT_EQ(picture.canvas.Pixels(), one);
    // A shape that cannot be committed stays active; apply needs no undo copy.
    SelectTool(EditTool::Rectangle);
    Drag({20, 20}, {120, 100});
    RunHandler(window, [&] { SelectTool(EditTool::Arrow); });
    EXPECT_TRUE(form.ShapeActive());
    form.SpeedButton2Click();
    EXPECT_EQ(CallsOn(picture.canvas, Op::Rectangle), 1u);
}

TEST_F(FrmEditTest, LosingTheCaptureEndsADragAsItsReleaseWould) {
    Press({20, 120});
    Move({120, 60});
    form.FormCaptureLost();
    EXPECT_EQ(picture.canvas.Pixels(), OriginalWith([](FakeSurface& s) {
                  DrawArrow(s, {20, 120}, {120, 60}, kRed, 3, PenMix::Copy);
              }));
    EXPECT_TRUE(PressKey(Key::Z, true));  // at once
    EXPECT_EQ(picture.canvas.Pixels(), original);
    Release({120, 60});  // late: draws nothing again
    EXPECT_EQ(picture.canvas.Pixels(), original);
}

TEST(EditorMemory, PictureAndFourUndoSlotsOfTheScreen) {
    EXPECT_EQ(EditorMemoryBytes({1920, 1080}, 32), 5LL * 1920 * 1080 * 4);
    EXPECT_EQ(EditorMemoryBytes({3840, 2160}, 32), 5LL * 3840 * 2160 * 4);
    // Rows are padded to whole 32-bit words.
    EXPECT_EQ(EditorMemoryBytes({1366, 768}, 24), 5LL * 4100 * 768);
}

}  // namespace
}  // namespace mrv::editor
