// TFrmEdit as a portable form: tools, colours, undo ring, text boxes, shapes, apply and cancel.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "editor/EditorView.h"
#include "editor/Geometry.h"
#include "editor/Surface.h"

namespace mrv::editor {

inline constexpr int32_t kUndoSlots = 4;
inline constexpr int32_t kInitialLineWidth = 3;
inline constexpr Size kTextBoxSize{80, 36};  // pixels
inline constexpr char kTextBoxFace[] = "MS Sans Serif";
// Largest font size a text box accepts, in points.
inline constexpr int32_t kMaxFontSizePt = 1638;

// Bytes the editor holds for a screen: the picture and its four undo slots (redo reuses the
// slot that undo took back), each a bitmap of the screen's size and depth.
int64_t EditorMemoryBytes(Size screen, int32_t bitsPerPixel);

// The hit zone (0..7, or -1) of `p` for a shape at `shape`, and its cursor.
int32_t HitZoneAt(const Rect& shape, Point p);
CursorId CursorForZone(int32_t zone);

// The error box's text for an out-of-memory error.
const char* OutOfMemoryText();

// Runs one of the form's handlers for the view. An error that escapes it (out of memory, a
// text box or bitmap that cannot be made, an undo step that cannot be saved) is shown in the
// window's error box, and the editor stays open with everything drawn so far.
template <typename Handler>
void RunHandler(EditorWindow& window, Handler&& handler) {
    std::string message;
    try {
        handler();
        return;
    } catch (const std::bad_alloc&) {
        message = OutOfMemoryText();
    } catch (const std::exception& e) {
        message = e.what();
    }
    try {
        window.ShowError(message);
    } catch (const std::exception&) {
        // Nothing more can be reported; the editor goes on.
    }
}

// How the view uses it: create the picture (the screen copy), the window and the panel, then
// construct the form and call FormCreate; route every event to the handler named after it;
// show modally until EndModal; on Ok the recorder reads the picture; then FormDestroy.
class TFrmEdit {
  public:
    TFrmEdit(EditorWindow& window, Picture& picture, ToolPanel& panel);
    TFrmEdit(const TFrmEdit&) = delete;
    TFrmEdit& operator=(const TFrmEdit&) = delete;
    ~TFrmEdit();

    void FormCreate();
    void FormDestroy();  // drops the open text box

    // Mouse on the window (the picture). For WM_LBUTTONDBLCLK the view calls FormDblClick and
    // then FormMouseDown, as the platform's double-click sequence goes.
    void FormMouseDown(const MouseEvent& e);
    void FormMouseMove(const MouseEvent& e);
    void FormMouseUp(const MouseEvent& e);
    void FormDblClick(const MouseEvent& e);
    // The window lost the mouse capture (another window, a message box, Alt+Tab): a drag on
    // the picture ends as its release would have ended it.
    void FormCaptureLost();
    // Keys pressed while the window or one of its controls has the focus; returns whether the
    // form used the key (the view then keeps it from the focused control).
    bool FormKeyDown(const KeyEvent& e);

    void ToolButton1Click(int32_t tag);   // ToolButton1..6
    void ToolButton8Click();              // undo
    void ToolButton11Click(int32_t tag);  // ToolButton11..13: line width 1, 3, 5
    void Shape2MouseDown(int32_t shapeNumber, MouseButton button);  // Shape1..16, any button
    void SpeedButton1Click();                                       // cancel
    void SpeedButton2Click();                                       // apply
    // Panel1's bare surface and the text box; positions relative to the control.
    void Panel1MouseDown(DragTarget target, const MouseEvent& e);
    void Panel1MouseMove(DragTarget target, const MouseEvent& e);
    void Panel1MouseUp(DragTarget target, const MouseEvent& e);
    void TextBoxChange();

    // Ctrl+Y: puts back what the last undo took back, while no step was recorded since.
    void Redo();

    EditTool CurrentTool() const { return currentTool_; }
    Color PenColor() const { return penColor_; }
    Color TextColor() const { return textColor_; }
    int32_t LineWidth() const { return lineWidth_; }
    bool Dragging() const { return dragging_; }
    Point ArrowStart() const { return arrowStart_; }
    Point ArrowTip() const { return arrowTip_; }
    ArrowHead ArrowBarbs() const { return arrowBarbs_; }
    bool HasTextBox() const { return textBox_ != nullptr; }
    const TextFont& TextBoxFont() const { return textBoxFont_; }
    int32_t UndoIndex() const { return undoIndex_; }
    int32_t UndoCount() const { return undoCount_; }
    int32_t RedoCount() const { return redoCount_; }
    bool PanelDragging() const { return panelDragging_; }
    bool ShapeActive() const { return shapeActive_; }
    bool Resizing() const { return resizing_; }
    bool Moving() const { return moving_; }
    const Rect& ShapeRect() const { return shapeRect_; }
    const Rect& OutlineRect() const { return outlineRect_; }
    const Rect& HandleRect() const { return handleRect_; }
    int32_t HitZone() const { return hitZone_; }
    Point LastMovePoint() const { return lastMovePoint_; }

  private:
    // Whether a commit records an undo step (apply needs none: the editor ends).
    enum class Step { Record, Skip };

    // Throws, changing nothing, when the picture cannot be saved.
    void RecordUndoStep();
    void CommitTextBox(Step step = Step::Record);
    void OpenTextBox(Point at);
    void ArrowMouseDown(Point p);
    void ArrowMouseMove(Point p);
    void ArrowMouseUp();
    void PenMouseDown(Point p);
    void PenMouseMove(Point p);

    // The shape model.
    void ShapeMouseDown(Point p);
    void ShapeMouseMove(Point p);
    void ShapeMouseUp();
    void RefreshOutline();
    void CommitShape(Step step);
    // Commits an active shape and makes it inactive; false when none was active.
    bool EndActiveShape(Step step = Step::Record);
    void ClearShape();
    void ResizeShape(Point p);
    bool GestureUnderWay() const;
    void EndPanelDrag();

    EditorWindow& window_;
    Picture& picture_;
    ToolPanel& panel_;

    EditTool currentTool_ = EditTool::Arrow;
    Color penColor_ = kRed;
    Color textColor_ = kBlue;
    int32_t lineWidth_ = kInitialLineWidth;
    bool dragging_ = false;
    Point arrowStart_;
    Point arrowTip_;
    ArrowHead arrowBarbs_{{-1, -1}, {-1, -1}};
    bool arrowShown_ = false;  // a preview of the arrow is on the window

    std::unique_ptr<TextBox> textBox_;
    TextFont textBoxFont_;

    int32_t undoIndex_ = 0;
    int32_t undoCount_ = 0;
    int32_t redoCount_ = 0;

    bool panelDragging_ = false;
    Point dragOrigin_;

    bool shapeActive_ = false;
    bool resizing_ = false;
    bool moving_ = false;
    Rect shapeRect_;
    Rect outlineRect_;
    Rect handleRect_;
    int32_t hitZone_ = -1;
    Point lastMovePoint_;
    // What the previews on the window were drawn with, so that they are erased exactly even
    // after the colour or the width changed meanwhile.
    bool outlineShown_ = false;
    Color outlineColor_;
    int32_t outlineWidth_ = kInitialLineWidth;
    int32_t handleWidth_ = kInitialLineWidth;
};

}  // namespace mrv::editor
