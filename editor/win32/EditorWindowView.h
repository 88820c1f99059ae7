// TFrmEdit as a Win32 window: the full-screen picture, the tool panel and the text box, routing
// every message to editor::TFrmEdit, which holds the rules.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

#include "common/win32/Handles.h"
#include "editor/EditorView.h"
#include "editor/FrmEdit.h"
#include "editor/win32/GdiPicture.h"
#include "editor/win32/GdiSurface.h"

namespace mrv::win {

inline void DestroyEditorImageList(HIMAGELIST list) { ::ImageList_Destroy(list); }
using EditorImageList = UniqueHandle<HIMAGELIST, DestroyEditorImageList>;

class EditorWindowView final : public editor::EditorWindow, public editor::ToolPanel {
  public:
    EditorWindowView(HINSTANCE instance, GdiPicture& picture);
    ~EditorWindowView() override;
    EditorWindowView(const EditorWindowView&) = delete;
    EditorWindowView& operator=(const EditorWindowView&) = delete;

    // Creates the hidden window with its panel; false with `error` when it cannot be made.
    bool Create(std::string& error);
    // Outlines the recording's area (window pixels) over the picture; never drawn into it.
    void OutlineArea(const RECT& area) { outline_ = area; }
    void AttachForm(editor::TFrmEdit& form) { form_ = &form; }
    // Shows the window maximised and runs its modal loop.
    editor::EditResult ShowModal();
    HWND hwnd() const { return hwnd_; }

    // EditorWindow
    editor::Surface& WindowSurface() override { return *surface_; }
    void Repaint() override;
    editor::Size ClientSize() override;
    void SetWindowCursor(editor::CursorId cursor) override;
    void SetAppCursor(editor::CursorId cursor) override;
    std::unique_ptr<editor::TextBox> CreateTextBox(const editor::Rect& bounds,
                                                   const editor::TextFont& font) override;
    void EndModal(editor::EditResult result) override;
    void ShowError(const std::string& message) override;

    // ToolPanel
    void SetUndoEnabled(bool enabled) override;
    void ShowFontPanel(bool visible) override;
    void SetCurrentColor(editor::Color color) override;
    void HidePanel() override;
    editor::Rect PanelBounds() override;
    void MovePanel(editor::Point topLeft) override;
    std::string FontSizeText() override;

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FontPanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK TextBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandlePanelMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // Runs a handler of the form; an error that escapes it is shown and the editor goes on.
    template <typename F>
    void Guarded(F handler);

    void CreatePanel();
    void OnPaint();
    void DrawOutline(HDC dc);
    void OnPanelPaint();
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnPanelMouseDown(editor::MouseButton button, WPARAM wParam, LPARAM lParam);
    bool OnSetCursor(HWND over, UINT hitTest);
    void OnToolTipText(NMTTDISPINFOW& info);
    bool OnKeyDown(const MSG& msg);
    void OnDrawButton(const DRAWITEMSTRUCT& item);
    void ApplyCursor(editor::CursorId cursor);
    HCURSOR CursorHandle(editor::CursorId cursor);
    int Scale(int units) const { return ::MulDiv(units, dpi_, 96); }
    int Unscale(int pixels) const { return ::MulDiv(pixels, 96, dpi_); }
    HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y,
               int width, int height, int id);
    void AddTip(HWND control, UINT_PTR id, const RECT* rect, const std::string& tip);

    HINSTANCE instance_;
    GdiPicture& picture_;
    std::optional<RECT> outline_;
    editor::TFrmEdit* form_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND panel_ = nullptr;
    HWND toolBar1_ = nullptr;
    HWND toolBar2_ = nullptr;
    HWND fontPanel_ = nullptr;
    HWND comboBox_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND textBox_ = nullptr;  // the open one, owned by the form's TextBox object
    int dpi_ = 96;
    HDC windowDc_ = nullptr;  // the class's own DC, kept for the window's life
    std::unique_ptr<GdiSurface> surface_;
    UniqueFont font_;
    UniqueFont labelFont_;
    UniqueBrush silver_;
    EditorImageList images_;
    HCURSOR splitUpDown_ = nullptr;
    HCURSOR splitLeftRight_ = nullptr;
    editor::CursorId windowCursor_ = editor::CursorId::Default;
    editor::CursorId appCursor_ = editor::CursorId::Default;
    editor::Color currentColor_;
    editor::Color textBoxColor_;
    bool panelCapture_ = false;
    bool ended_ = false;
    editor::EditResult result_ = editor::EditResult::Cancel;
};

}  // namespace mrv::win
