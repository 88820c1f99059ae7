// The editor form's rules: tools, colours, line width, arrow and pen, text boxes, the undo ring
// with redo, the panel drag, the keys, cancel and apply.
#include "editor/FrmEdit.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string_view>

#include "common/PubUtils.h"
#include "common/Texts.h"
#include "editor/Drawing.h"
#include "editor/PanelLayout.h"

namespace mrv::editor {

int64_t EditorMemoryBytes(Size screen, int32_t bitsPerPixel) {
    const int64_t oneBitmap =
        BytesPerRow(int64_t{screen.width} * bitsPerPixel) * int64_t{screen.height};
    return (1 + kUndoSlots) * oneBitmap;
}

namespace {

enum class FontSizeCheck { Ok, NotWholeNumber, OutOfRange };

// The font-size box's text: leading blanks, a sign and digits, nothing more, of 1..1638.
FontSizeCheck ParseFontSize(const std::string& text, int32_t& sizePt) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return FontSizeCheck::NotWholeNumber;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return FontSizeCheck::NotWholeNumber;
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{1} << 40);
    }
    if (negative) value = -value;
    if (value < 1 || value > kMaxFontSizePt) return FontSizeCheck::OutOfRange;
    sizePt = static_cast<int32_t>(value);
    return FontSizeCheck::Ok;
}

std::string InvalidIntegerText(const std::string& text) {
    const std::string_view pattern = text::kEditInvalidInteger;
    const size_t at = pattern.find("%s");
    return std::string(pattern.substr(0, at)) + text + std::string(pattern.substr(at + 2));
}

}  // namespace

const char* OutOfMemoryText() { return text::kEditorOutOfMemory; }

TFrmEdit::TFrmEdit(EditorWindow& window, Picture& picture, ToolPanel& panel)
    : window_(window), picture_(picture), panel_(panel) {}

TFrmEdit::~TFrmEdit() = default;

void TFrmEdit::FormCreate() {
    dragging_ = shapeActive_ = resizing_ = moving_ = panelDragging_ = false;
    ClearShape();
    undoIndex_ = undoCount_ = redoCount_ = 0;
    currentTool_ = EditTool::Arrow;
    lineWidth_ = kInitialLineWidth;
    penColor_ = kRed;
    textColor_ = kBlue;
    panel_.SetUndoEnabled(false);
    panel_.ShowFontPanel(false);
    panel_.SetCurrentColor(penColor_);
    window_.SetWindowCursor(CursorId::Default);
}

void TFrmEdit::FormDestroy() { textBox_.reset(); }

void TFrmEdit::FormMouseDown(const MouseEvent& e) {
    if (e.button != MouseButton::Left) return;
    if (IsShapeTool(currentTool_)) return ShapeMouseDown(e.pos);
    switch (currentTool_) {
        case EditTool::Arrow:
            return ArrowMouseDown(e.pos);
        case EditTool::Pen:
            return PenMouseDown(e.pos);
        case EditTool::Text:
            // Every press ends the previous box and starts a new one.
            CommitTextBox();
            return OpenTextBox(e.pos);
        default:
            return;
    }
}

void TFrmEdit::FormMouseMove(const MouseEvent& e) {
    if (IsShapeTool(currentTool_)) return ShapeMouseMove(e.pos);
    if (!dragging_) return;
    if (currentTool_ == EditTool::Arrow) ArrowMouseMove(e.pos);
    if (currentTool_ == EditTool::Pen) PenMouseMove(e.pos);
}

void TFrmEdit::FormMouseUp(const MouseEvent&) {
    if (IsShapeTool(currentTool_)) return ShapeMouseUp();
    // A release without a drag (after a right press, say) must not draw the last arrow again.
    if (!dragging_) return;
    dragging_ = false;
    if (currentTool_ == EditTool::Arrow) ArrowMouseUp();
}

void TFrmEdit::FormCaptureLost() {
    // The release will not come; what it would have done is done now, so that no drag stays
    // half-way and Ctrl+Z works again at once.
    if (IsShapeTool(currentTool_)) {
        if (dragging_ || resizing_ || moving_) ShapeMouseUp();
        return;
    }
    FormMouseUp({});
}

void TFrmEdit::ArrowMouseDown(Point p) {
    RecordUndoStep();
    dragging_ = true;
    arrowStart_ = arrowTip_ = p;
    arrowBarbs_ = {{-1, -1}, {-1, -1}};
    arrowShown_ = false;
}

void TFrmEdit::ArrowMouseMove(Point p) {
    Surface& w = window_.WindowSurface();
    w.SetMix(PenMix::NotXor);
    w.SetPenColor(penColor_);
    w.SetPenWidth(lineWidth_);
    // Drawing the old arrow again erases it; before the first move nothing was drawn.
    if (arrowShown_) DrawArrowStrokes(w, arrowStart_, arrowTip_, arrowBarbs_);
    arrowTip_ = p;
    arrowBarbs_ = editor::ArrowBarbs(arrowStart_, arrowTip_);
    DrawArrowStrokes(w, arrowStart_, arrowTip_, arrowBarbs_);
    arrowShown_ = true;
}

void TFrmEdit::ArrowMouseUp() {
    if (arrowTip_ == arrowStart_) {
        // The undo step of the press stays; a head left on the window by a drag that came
        // back to its start is not in the picture, so it goes.
        if (arrowShown_) window_.Repaint();
        arrowShown_ = false;
        return;
    }
    Surface& c = picture_.Canvas();
    c.SetMix(PenMix::Copy);
    c.SetPenColor(penColor_);
    c.SetPenWidth(lineWidth_);
    c.MoveTo(arrowStart_);
    c.LineTo(arrowTip_);
    c.LineTo(arrowBarbs_.barb1);
    c.MoveTo(arrowTip_);
    c.LineTo(arrowBarbs_.barb2);
    arrowShown_ = false;
    window_.Repaint();
}

void TFrmEdit::PenMouseDown(Point p) {
    RecordUndoStep();
    dragging_ = true;
    picture_.Canvas().MoveTo(p);
}

void TFrmEdit::PenMouseMove(Point p) {
    Surface& c = picture_.Canvas();
    c.SetMix(PenMix::Copy);
    c.SetPenColor(penColor_);
    c.SetPenWidth(lineWidth_);
    c.LineTo(p);
    window_.Repaint();
}

void TFrmEdit::OpenTextBox(Point at) {
    const std::string sizeText = panel_.FontSizeText();
    int32_t sizePt = 0;
    // Refused, no box opens; the next press with the text tool tries again.
    switch (ParseFontSize(sizeText, sizePt)) {
        case FontSizeCheck::NotWholeNumber:
            return window_.ShowError(InvalidIntegerText(sizeText));
        case FontSizeCheck::OutOfRange:
            return window_.ShowError(text::kEditFontSizeRange);
        case FontSizeCheck::Ok:
            break;
    }
    textBoxFont_ = {kTextBoxFace, sizePt, textColor_};
    textBox_ = window_.CreateTextBox(
        {at.x, at.y, at.x + kTextBoxSize.width, at.y + kTextBoxSize.height}, textBoxFont_);
}

void TFrmEdit::TextBoxChange() {
    if (!textBox_) return;
    Surface& c = picture_.Canvas();
    c.SetFont(textBoxFont_);
    const std::vector<std::string> lines = textBox_->Lines();
    if (lines.empty()) return;
    const size_t caret = std::clamp<size_t>(static_cast<size_t>(std::max(0, textBox_->CaretLine())),
                                            0, lines.size() - 1);
    const int32_t neededWidth = c.TextExtent(lines[caret] + "WW").width;
    const int32_t neededHeight =
        c.TextExtent(lines.front()).height * (static_cast<int32_t>(lines.size()) + 1);
    const Rect b = textBox_->Bounds();
    const Size now{b.right - b.left, b.bottom - b.top};
    // A box only ever grows.
    if (now.width < neededWidth || now.height < neededHeight) {
        textBox_->Resize({std::max(now.width, neededWidth), std::max(now.height, neededHeight)});
    }
}

void TFrmEdit::CommitTextBox(Step step) {
    if (!textBox_) return;
    if (!textBox_->Text().empty()) {
        if (step == Step::Record) RecordUndoStep();
        // Where the box shows its first line, so that the text stays where it was typed.
        const Rect b = textBox_->Bounds();
        const Point origin = textBox_->TextOrigin();
        DrawTextLines(picture_.Canvas(), textBoxFont_, {b.left + origin.x, b.top + origin.y},
                      textBox_->Lines());
    }
    textBox_.reset();
}

void TFrmEdit::RecordUndoStep() {
    // A slot that was not written must not count as a step: a later undo would bring back
    // whatever it held before. The caller's action is not carried out either.
    if (!picture_.SaveToSlot(undoIndex_)) throw std::runtime_error(text::kEditUndoSaveFailed);
    panel_.SetUndoEnabled(true);
    undoIndex_ = (undoIndex_ + 1) % kUndoSlots;
    undoCount_ = std::min(undoCount_ + 1, kUndoSlots);
    redoCount_ = 0;  // a new step makes what undo took back unreachable
}

void TFrmEdit::ToolButton8Click() {
    if (undoCount_ == 0) return;  // the button is disabled
    // Pending work is committed and at once undone, so undo discards it.
    if (IsShapeTool(currentTool_)) EndActiveShape();
    if (currentTool_ == EditTool::Text) CommitTextBox();
    undoIndex_ = (undoIndex_ + kUndoSlots - 1) % kUndoSlots;
    --undoCount_;
    panel_.SetUndoEnabled(undoCount_ > 0);
    // The slot takes the picture as it was, which is what a redo brings back.
    picture_.ExchangeWithSlot(undoIndex_);
    ++redoCount_;
    window_.Repaint();
}

void TFrmEdit::Redo() {
    if (redoCount_ == 0 || GestureUnderWay()) return;
    // Pending work is about to become a step of its own, which ends the redo.
    if (shapeActive_ || (textBox_ && !textBox_->Text().empty())) return;
    picture_.ExchangeWithSlot(undoIndex_);
    undoIndex_ = (undoIndex_ + 1) % kUndoSlots;
    ++undoCount_;
    --redoCount_;
    panel_.SetUndoEnabled(true);
    window_.Repaint();
}

void TFrmEdit::ToolButton1Click(int32_t tag) {
    const std::optional<EditTool> tool = ToolForTag(tag);
    if (!tool) return;
    if (currentTool_ == EditTool::Text) {
        CommitTextBox();
    } else if (IsShapeTool(currentTool_) && EndActiveShape()) {
        window_.Repaint();
    }
    currentTool_ = *tool;
    panel_.ShowFontPanel(currentTool_ == EditTool::Text);
    panel_.SetCurrentColor(currentTool_ == EditTool::Text ? textColor_ : penColor_);
}

void TFrmEdit::ToolButton11Click(int32_t tag) {
    if (std::find(kLineWidthTags.begin(), kLineWidthTags.end(), tag) != kLineWidthTags.end()) {
        lineWidth_ = tag;
    }
}

void TFrmEdit::Shape2MouseDown(int32_t shapeNumber, MouseButton) {
    const std::optional<Color> color = SwatchColor(shapeNumber);
    if (!color) return;
    panel_.SetCurrentColor(*color);
    (currentTool_ == EditTool::Text ? textColor_ : penColor_) = *color;
}

void TFrmEdit::SpeedButton1Click() { window_.EndModal(EditResult::Cancel); }

void TFrmEdit::SpeedButton2Click() {
    // What the user can see is what goes into the recording: the shape being adjusted and the
    // text being typed are committed first, without an undo step that nobody could use.
    if (IsShapeTool(currentTool_)) EndActiveShape(Step::Skip);
    if (currentTool_ == EditTool::Text) CommitTextBox(Step::Skip);
    panel_.HidePanel();
    window_.Repaint();
    window_.EndModal(EditResult::Ok);
}

void TFrmEdit::Panel1MouseDown(DragTarget target, const MouseEvent& e) {
    if (e.button != MouseButton::Left) return;
    if (target == DragTarget::TextBox && !textBox_) return;
    dragOrigin_ = e.pos;
    panelDragging_ = true;
    window_.SetAppCursor(CursorId::SizeAll);
}

void TFrmEdit::Panel1MouseMove(DragTarget target, const MouseEvent& e) {
    if (!panelDragging_) return;
    if (target == DragTarget::TextBox && !textBox_) return EndPanelDrag();
    const Rect b = target == DragTarget::Panel ? panel_.PanelBounds() : textBox_->Bounds();
    const Point inWindow{b.left + e.pos.x, b.top + e.pos.y};
    const Size client = window_.ClientSize();
    if (inWindow.x <= 0 || inWindow.x >= client.width || inWindow.y <= 0 ||
        inWindow.y >= client.height) {
        return EndPanelDrag();
    }
    // Keeps the grabbed point under the pointer.
    const Point to{b.left + e.pos.x - dragOrigin_.x, b.top + e.pos.y - dragOrigin_.y};
    if (target == DragTarget::Panel) {
        panel_.MovePanel(to);
    } else {
        textBox_->MoveTo(to);
    }
}

void TFrmEdit::Panel1MouseUp(DragTarget, const MouseEvent&) {
    if (panelDragging_) EndPanelDrag();
}

void TFrmEdit::EndPanelDrag() {
    panelDragging_ = false;
    window_.SetAppCursor(CursorId::Default);
}

bool TFrmEdit::GestureUnderWay() const {
    return dragging_ || resizing_ || moving_ || panelDragging_;
}

bool TFrmEdit::FormKeyDown(const KeyEvent& e) {
    // Keys typed into a text box or a panel control are its own: Ctrl+Z there undoes typing,
    // Esc in the font-size box closes its list, and neither touches the drawing.
    if (e.focus != KeyFocus::Window || e.mods.alt) return false;
    if (e.key == Key::Escape && !e.mods.ctrl) {
        SpeedButton1Click();
        return true;
    }
    if (!e.mods.ctrl || e.mods.shift) return false;
    if (e.key == Key::Z) {
        // As the undo button would, which cannot be pressed during a drag or while disabled.
        if (!GestureUnderWay()) ToolButton8Click();
        return true;
    }
    if (e.key == Key::Y) {
        Redo();
        return true;
    }
    return false;
}

}  // namespace mrv::editor
