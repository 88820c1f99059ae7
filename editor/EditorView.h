// What the editor form asks of its window, picture, text boxes, cursor and tool panel, and
// the plain events the window hands it. All coordinates are pixels of the window, which
// covers the screen from its origin, so they equal picture and screen coordinates.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/Geometry.h"
#include "editor/Surface.h"

namespace mrv::editor {

enum class MouseButton { Left, Right, Middle };

struct Modifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

struct MouseEvent {
    MouseButton button = MouseButton::Left;
    Point pos;  // relative to the control that received it (window, Panel1 or the text box)
    Modifiers mods;
};

// Only the keys the form acts on; everything else is Other.
enum class Key { Other, Escape, Z, Y };

// Where the keyboard focus was when the key was pressed.
enum class KeyFocus { Window, PanelControl, TextBox };

struct KeyEvent {
    Key key = Key::Other;
    Modifiers mods;
    KeyFocus focus = KeyFocus::Window;
};

enum class EditResult { Ok = 1, Cancel = 2 };

// Cursors the view maps to the platform's. SplitUpDown (hot spot 14, 12) and SplitLeftRight
// (hot spot 16, 14) are the program's own 32 x 32 monochrome cursors; the rest are standard:
// Default IDC_ARROW, Cross IDC_CROSS, SizeNwse IDC_SIZENWSE, SizeNesw IDC_SIZENESW,
// SizeAll IDC_SIZEALL (the four-way move cursor of a panel drag).
enum class CursorId { Default, Cross, SizeNwse, SizeNesw, SplitUpDown, SplitLeftRight, SizeAll };

// The working picture, a screen-size bitmap, and the four undo slots beside it.
class Picture {
  public:
    virtual ~Picture() = default;
    virtual Surface& Canvas() = 0;
    // Copies the picture into undo slot 0..3; false when the copy could not be made, in which
    // case the slot holds what it held before.
    virtual bool SaveToSlot(int32_t slot) = 0;
    // Exchanges the picture's pixels with those of slot 0..3 (undo and redo); swapping the
    // bitmaps is enough. The canvas keeps its pen, font and current position.
    virtual void ExchangeWithSlot(int32_t slot) = 0;
};

// An open text box: a borderless multi-line edit control, child of the window. Destroying the
// object destroys the control. Its change event goes to TFrmEdit::TextBoxChange, its mouse
// events to Panel1MouseDown/Move/Up with DragTarget::TextBox.
class TextBox {
  public:
    virtual ~TextBox() = default;
    virtual Rect Bounds() = 0;  // in window pixels
    virtual void MoveTo(Point topLeft) = 0;
    virtual void Resize(Size size) = 0;
    virtual std::string Text() = 0;  // UTF-8
    // The lines as the box shows them, and the index of the one holding the caret.
    virtual std::vector<std::string> Lines() = 0;
    virtual int32_t CaretLine() = 0;
    // Where the box draws the top-left corner of its first line, relative to its own top-left
    // corner (its margins and scrolling included).
    virtual Point TextOrigin() = 0;
};

// The editor window. The view also: captures the mouse while a button is down on the window,
// Panel1 or the text box, so that moves and the release reach the same handlers; paints the
// picture at (0, 0) in WM_PAINT and nothing else (the children clip themselves); and leaves
// the repaint of the place of a destroyed text box to the platform (DestroyWindow invalidates
// it). Committed text is drawn into the picture by the form, through Picture::Canvas.
class EditorWindow {
  public:
    virtual ~EditorWindow() = default;
    // Draws straight onto the window (previews); what it draws vanishes at the next repaint.
    virtual Surface& WindowSurface() = 0;
    // Paints the picture at (0, 0) now, synchronously (FormPaint draws nothing else).
    virtual void Repaint() = 0;
    virtual Size ClientSize() = 0;
    // The window's own cursor, and the application-wide one (Default: none set).
    virtual void SetWindowCursor(CursorId cursor) = 0;
    virtual void SetAppCursor(CursorId cursor) = 0;
    // Creates, shows and focuses a text box with silver background at `bounds`.
    virtual std::unique_ptr<TextBox> CreateTextBox(const Rect& bounds, const TextFont& font) = 0;
    // Ends the modal loop with this result.
    virtual void EndModal(EditResult result) = 0;
    // The application's default error report for an error that ends a handler.
    virtual void ShowError(const std::string& message) = 0;
};

// The tool panel's controls that the form changes or reads.
class ToolPanel {
  public:
    virtual ~ToolPanel() = default;
    virtual void SetUndoEnabled(bool enabled) = 0;  // ToolButton8
    virtual void ShowFontPanel(bool visible) = 0;   // Panel2, over ToolBar2 while shown
    virtual void SetCurrentColor(Color color) = 0;  // Shape17's fill
    virtual void HidePanel() = 0;                   // Panel1
    virtual Rect PanelBounds() = 0;                 // Panel1 in window pixels
    virtual void MovePanel(Point topLeft) = 0;
    virtual std::string FontSizeText() = 0;  // ComboBox1's text, UTF-8
};

enum class DragTarget { Panel, TextBox };

}  // namespace mrv::editor
