// Win32 edge of TFrmEdit: creates the window, the panel and its controls, turns messages into
// the form's handlers and carries out what the form asks of its window, panel and text box.
#include "editor/win32/EditorWindowView.h"

#include <windowsx.h>

#include <exception>
#include <new>
#include <vector>

#include "common/Texts.h"
#include "common/win32/WinText.h"
#include "editor/PanelLayout.h"
#include "editor/win32/EditorResources.h"

namespace mrv::win {

namespace {

using editor::CursorId;
using editor::MouseButton;

constexpr wchar_t kClassName[] = L"TFrmEdit";
constexpr wchar_t kPanelClass[] = L"TMrvEditPanel";
constexpr wchar_t kFontPanelClass[] = L"TMrvEditFontPanel";

// Control ids: ToolButtonN is kIdToolButton + N, SpeedButtonN is kIdSpeedButton + N.
constexpr int kIdToolButton = 500;
constexpr int kIdSpeedButton = 600;
constexpr int kIdToolBar1 = 701;
constexpr int kIdToolBar2 = 702;
constexpr int kIdComboBox1 = 703;
constexpr int kIdLabel1 = 704;
constexpr int kIdTextBox = 705;
constexpr int kImageSize = 16;
constexpr int kImages = 12;
constexpr int kImageCancel = 7;
constexpr int kImageApply = 8;

// Places in Panel1, 96-DPI units.
constexpr RECT kPanel1{160, 88, 160 + 265, 88 + 62};
constexpr RECT kToolBar1{1, 1, 1 + 178, 1 + 26};
constexpr RECT kSpeedButton1{179, 3, 179 + 23, 3 + 22};
constexpr RECT kSpeedButton2{202, 3, 202 + 52, 3 + 22};
constexpr RECT kBevel5{-2, 27, -2 + 267, 27 + 2};
constexpr RECT kToolBar2{1, 32, 1 + 78, 32 + 26};
constexpr RECT kPanel2{1, 29, 1 + 72, 29 + 30};
constexpr RECT kLabel1{6, 3, 6 + 16, 3 + 24};  // in Panel2
constexpr RECT kComboBox1{25, 6, 25 + 47, 6 + 200};
constexpr RECT kShape17{79, 34, 79 + 22, 34 + 22};
constexpr int kSwatchSize = 15;
constexpr COLORREF kSwatchOutline = RGB(0xC0, 0xDC, 0xC0);
constexpr COLORREF kGrey = RGB(0x80, 0x80, 0x80);

bool Inside(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

editor::Modifiers ModifiersNow() {
    return {(::GetKeyState(VK_SHIFT) & 0x8000) != 0, (::GetKeyState(VK_CONTROL) & 0x8000) != 0,
            (::GetKeyState(VK_MENU) & 0x8000) != 0};
}

editor::MouseEvent MouseAt(MouseButton button, WPARAM wParam, LPARAM lParam) {
    editor::MouseEvent e;
    e.button = button;
    e.pos = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    e.mods = {(wParam & MK_SHIFT) != 0, (wParam & MK_CONTROL) != 0,
              (::GetKeyState(VK_MENU) & 0x8000) != 0};
    return e;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    lines.push_back(text.substr(start));
    return lines;
}

// The open text box: a borderless multi-line edit control that dies with this object.
class WinTextBox final : public editor::TextBox {
  public:
    WinTextBox(HWND box, UniqueFont font, HWND& slot)
        : box_(box), font_(std::move(font)), slot_(slot) {}
    ~WinTextBox() override {
        slot_ = nullptr;
        // The keys go back to the editor window, not to nowhere, once the box has gone.
        HWND parent = ::GetParent(box_.get());
        const bool focused = ::GetFocus() == box_.get();
        box_.reset();
        if (focused) ::SetFocus(parent);
    }
    editor::Rect Bounds() override {
        RECT r{};
        ::GetWindowRect(box_.get(), &r);
        ::MapWindowPoints(nullptr, ::GetParent(box_.get()), reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right, r.bottom};
    }
    void MoveTo(editor::Point p) override {
        ::SetWindowPos(box_.get(), nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    void Resize(editor::Size s) override {
        ::SetWindowPos(box_.get(), nullptr, 0, 0, s.width, s.height, SWP_NOMOVE | SWP_NOZORDER);
    }
    std::string Text() override {
        const int length = ::GetWindowTextLengthW(box_.get());
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        ::GetWindowTextW(box_.get(), text.data(), length + 1);
        text.resize(static_cast<size_t>(length));
        return Narrow(text);
    }
    std::vector<std::string> Lines() override { return SplitLines(Text()); }
    int32_t CaretLine() override {
        return static_cast<int32_t>(::SendMessageW(box_.get(), EM_LINEFROMCHAR, -1, 0));
    }
    editor::Point TextOrigin() override {
        // The edit control's own answer, with its margins and any scrolling in it.
        const LRESULT at = ::SendMessageW(box_.get(), EM_POSFROMCHAR, 0, 0);
        if (at != -1) {
            return {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
        }
        RECT format{};
        ::SendMessageW(box_.get(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        return {format.left, format.top};
    }

  private:
    UniqueWindow box_;
    UniqueFont font_;
    HWND& slot_;
};

}  // namespace

EditorWindowView::EditorWindowView(HINSTANCE instance, GdiPicture& picture)
    : instance_(instance), picture_(picture) {}

EditorWindowView::~EditorWindowView() {
    surface_.reset();
    if (hwnd_) {
        if (windowDc_) ::ReleaseDC(hwnd_, windowDc_);
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

template <typename F>
void EditorWindowView::Guarded(F handler) {
    if (!form_ || ended_) return;
    editor::RunHandler(*this, [&] { handler(*form_); });
}

bool EditorWindowView::Create(std::string& error) {
    static const bool registered = [this] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = WndProc;
        wc.hInstance = instance_;
        wc.lpszClassName = kClassName;
        // The cursor is the window's own, set on every WM_SETCURSOR.
        bool ok = ::RegisterClassExW(&wc) != 0;
        wc.style = 0;
        wc.lpfnWndProc = PanelProc;
        wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kPanelClass;
        ok = ::RegisterClassExW(&wc) != 0 && ok;
        wc.lpfnWndProc = FontPanelProc;
        wc.lpszClassName = kFontPanelClass;
        return ::RegisterClassExW(&wc) != 0 && ok;
    }();
    {
        WindowDC screen(nullptr);
        dpi_ = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    }
    if (!registered) {
        error = text::kEditorFailed;
        return false;
    }
    // A top-level window of its own, owned by no other window, covering the screen.
    hwnd_ =
        ::CreateWindowExW(0, kClassName, Widen(text::kEditCaption).c_str(),
                          WS_POPUP | WS_CLIPCHILDREN, picture_.origin().x, picture_.origin().y,
                          picture_.width(), picture_.height(), nullptr, nullptr, instance_, this);
    if (!hwnd_) {
        error = text::kEditorFailed;
        return false;
    }
    windowDc_ = ::GetDC(hwnd_);
    if (!windowDc_) {
        error = text::kEditorFailed;
        return false;
    }
    surface_ = std::make_unique<GdiSurface>(windowDc_);
    silver_.reset(::CreateSolidBrush(editor::kSilver.ref));
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(8, dpi_, 72);
    lf.lfCharSet = ANSI_CHARSET;
    wcscpy(lf.lfFaceName, L"Tahoma");
    font_.reset(::CreateFontIndirectW(&lf));
    lf.lfHeight = -Scale(20);
    lf.lfWeight = FW_BOLD;
    wcscpy(lf.lfFaceName, L"Georgia");
    labelFont_.reset(::CreateFontIndirectW(&lf));
    splitUpDown_ = ::LoadCursorW(instance_, MRV_CURSOR_SPLIT_UPDOWN);
    splitLeftRight_ = ::LoadCursorW(instance_, MRV_CURSOR_SPLIT_LEFTRIGHT);
    images_.reset(::ImageList_Create(kImageSize, kImageSize, ILC_COLOR24 | ILC_MASK, kImages, 0));
    UniqueBitmap strip(static_cast<HBITMAP>(
        ::LoadImageW(instance_, MRV_EDITOR_IMAGES, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ::ImageList_AddMasked(images_.get(), strip.get(), RGB(255, 0, 255));
    CreatePanel();
    return true;
}

HWND EditorWindowView::Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style,
                             int x, int y, int width, int height, int id) {
    HWND child = ::CreateWindowExW(
        0, cls, text, WS_CHILD | WS_VISIBLE | style, Scale(x), Scale(y), Scale(width),
        Scale(height), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, this);
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return child;
}

void EditorWindowView::AddTip(HWND control, UINT_PTR id, const RECT* rect, const std::string& tip) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    const std::wstring wide = Widen(tip);
    info.uFlags = TTF_SUBCLASS | (rect ? 0 : TTF_IDISHWND);
    info.hwnd = rect ? control : panel_;
    info.uId = rect ? id : reinterpret_cast<UINT_PTR>(control);
    if (rect) {
        info.rect =
            RECT{Scale(rect->left), Scale(rect->top), Scale(rect->right), Scale(rect->bottom)};
    }
    info.lpszText = const_cast<wchar_t*>(wide.c_str());
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void EditorWindowView::CreatePanel() {
    const RECT& p = kPanel1;
    panel_ = Child(hwnd_, kPanelClass, L"", WS_CLIPCHILDREN | WS_CLIPSIBLINGS, p.left, p.top,
                   p.right - p.left, p.bottom - p.top, 0);
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                                 nullptr, instance_, nullptr);

    const DWORD barStyle = TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                           CCS_NOPARENTALIGN | WS_CLIPSIBLINGS;
    auto makeBar = [&](const RECT& r, int id) {
        HWND bar = Child(panel_, TOOLBARCLASSNAMEW, L"", barStyle, r.left, r.top, r.right - r.left,
                         r.bottom - r.top, id);
        ::SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        ::SendMessageW(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.get()));
        ::SendMessageW(bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(Scale(23), Scale(22)));
        return bar;
    };
    auto button = [](int image, int id, BYTE state, BYTE style) {
        TBBUTTON b{};
        b.iBitmap = image;
        b.idCommand = id;
        b.fsState = state;
        b.fsStyle = style;
        return b;
    };
    auto separator = [this] {
        TBBUTTON b{};
        b.iBitmap = Scale(8);
        b.fsStyle = BTNS_SEP;
        return b;
    };

    // ToolBar1: the six tools (ToolButtonN has Tag N - 1, its image), undo between separators.
    toolBar1_ = makeBar(kToolBar1, kIdToolBar1);
    std::vector<TBBUTTON> tools;
    for (const editor::ToolButtonInfo& info : editor::kToolButtons) {
        const BYTE state = TBSTATE_ENABLED | (info.tag == 0 ? TBSTATE_CHECKED : 0);
        tools.push_back(button(info.tag, kIdToolButton + info.number, state, BTNS_CHECKGROUP));
    }
    tools.push_back(separator());
    tools.push_back(button(6, kIdToolButton + 8, 0, BTNS_BUTTON));
    tools.push_back(separator());
    ::SendMessageW(toolBar1_, TB_ADDBUTTONSW, tools.size(), reinterpret_cast<LPARAM>(tools.data()));

    // ToolBar2: the line widths 1, 3, 5 (ToolButton11..13, images 9..11), 3 down at start.
    toolBar2_ = makeBar(kToolBar2, kIdToolBar2);
    std::vector<TBBUTTON> widths;
    for (int i = 0; i < 3; ++i) {
        const BYTE state = TBSTATE_ENABLED | (i == 1 ? TBSTATE_CHECKED : 0);
        widths.push_back(button(9 + i, kIdToolButton + 11 + i, state, BTNS_CHECKGROUP));
    }
    widths.push_back(separator());
    ::SendMessageW(toolBar2_, TB_ADDBUTTONSW, widths.size(),
                   reinterpret_cast<LPARAM>(widths.data()));

    // The two speed buttons, drawn by the panel.
    auto speed = [&](const RECT& r, int number, const char* hint) {
        HWND b = Child(panel_, L"BUTTON", L"", BS_OWNERDRAW, r.left, r.top, r.right - r.left,
                       r.bottom - r.top, kIdSpeedButton + number);
        AddTip(b, 0, nullptr, hint);
    };
    speed(kSpeedButton1, 1, text::kEditHintCancel);
    speed(kSpeedButton2, 2, text::kEditHintApply);

    // Panel2 lies over ToolBar2 and is shown with the text tool only.
    fontPanel_ =
        ::CreateWindowExW(0, kFontPanelClass, L"", WS_CHILD | WS_CLIPSIBLINGS, Scale(kPanel2.left),
                          Scale(kPanel2.top), Scale(kPanel2.right - kPanel2.left),
                          Scale(kPanel2.bottom - kPanel2.top), panel_, nullptr, instance_, this);
    ::SetWindowPos(fontPanel_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    HWND label =
        Child(fontPanel_, L"STATIC", Widen(text::kEditFontLabel).c_str(), SS_LEFT, kLabel1.left,
              kLabel1.top, kLabel1.right - kLabel1.left, kLabel1.bottom - kLabel1.top, kIdLabel1);
    ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), FALSE);
    comboBox_ = Child(fontPanel_, L"COMBOBOX", L"", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP,
                      kComboBox1.left, kComboBox1.top, kComboBox1.right - kComboBox1.left,
                      kComboBox1.bottom - kComboBox1.top, kIdComboBox1);
    for (std::string_view size : editor::kFontSizes) {
        ::SendMessageW(comboBox_, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(Widen(std::string(size)).c_str()));
    }
    ::SendMessageW(comboBox_, CB_SETCURSEL, editor::kInitialFontSizeIndex, 0);

    // Shape17 and the swatches are drawn by the panel; their hints are tools of their own.
    AddTip(panel_, 17, &kShape17, text::kEditHintCurrentColor);
    for (const editor::SwatchInfo& s : editor::kSwatches) {
        const RECT r{s.x, s.y, s.x + kSwatchSize, s.y + kSwatchSize};
        AddTip(panel_, static_cast<UINT_PTR>(s.number), &r, s.hint);
    }
}

editor::EditResult EditorWindowView::ShowModal() {
    // The other windows of the program take no input while the editor is open.
    std::vector<HWND> disabled;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM list) -> BOOL {
            auto* windows = reinterpret_cast<std::vector<HWND>*>(list);
            if (::IsWindowVisible(w) && ::IsWindowEnabled(w)) windows->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&disabled));
    std::erase(disabled, hwnd_);
    std::erase(disabled, tooltip_);
    for (HWND w : disabled) ::EnableWindow(w, FALSE);

    ::ShowWindow(hwnd_, SW_SHOWMAXIMIZED);
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(hwnd_);
    ::UpdateWindow(hwnd_);
    MSG msg;
    while (!ended_) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the editor closes as cancelled and the quit goes on.
            if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
            EndModal(editor::EditResult::Cancel);
            break;
        }
        if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && OnKeyDown(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    for (HWND w : disabled) ::EnableWindow(w, TRUE);
    // Showing modally ends by hiding the window.
    ::ShowWindow(hwnd_, SW_HIDE);
    return result_;
}

bool EditorWindowView::OnKeyDown(const MSG& msg) {
    if (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd)) return false;
    editor::KeyEvent e;
    // Keys go to the focused window (or, with none focused, to the editor window itself).
    e.focus = msg.hwnd == hwnd_      ? editor::KeyFocus::Window
              : msg.hwnd == textBox_ ? editor::KeyFocus::TextBox
                                     : editor::KeyFocus::PanelControl;
    switch (msg.wParam) {
        case VK_ESCAPE:
            e.key = editor::Key::Escape;
            break;
        case 'Z':
            e.key = editor::Key::Z;
            break;
        case 'Y':
            e.key = editor::Key::Y;
            break;
        default:
            return false;
    }
    e.mods = ModifiersNow();
    bool used = false;
    Guarded([&](editor::TFrmEdit& form) { used = form.FormKeyDown(e); });
    return used;
}

LRESULT CALLBACK EditorWindowView::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<EditorWindowView*>(
            reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<EditorWindowView*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || self->hwnd_ != hwnd) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->HandleMessage(msg, wParam, lParam);
}

LRESULT EditorWindowView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    using editor::TFrmEdit;
    switch (msg) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_GETMINMAXINFO: {
            // Maximised, the window covers the whole screen.
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMaxPosition = {0, 0};
            info->ptMaxSize = {picture_.width(), picture_.height()};
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const MouseButton button = msg == WM_LBUTTONDOWN   ? MouseButton::Left
                                       : msg == WM_RBUTTONDOWN ? MouseButton::Right
                                                               : MouseButton::Middle;
            ::SetCapture(hwnd_);
            if (!textBox_) ::SetFocus(hwnd_);
            Guarded([&](TFrmEdit& f) { f.FormMouseDown(MouseAt(button, wParam, lParam)); });
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            ::SetCapture(hwnd_);
            Guarded([&](TFrmEdit& f) {
                const editor::MouseEvent e = MouseAt(MouseButton::Left, wParam, lParam);
                f.FormDblClick(e);
                f.FormMouseDown(e);
            });
            return 0;
        case WM_MOUSEMOVE:
            Guarded(
                [&](TFrmEdit& f) { f.FormMouseMove(MouseAt(MouseButton::Left, wParam, lParam)); });
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const MouseButton button = msg == WM_LBUTTONUP   ? MouseButton::Left
                                       : msg == WM_RBUTTONUP ? MouseButton::Right
                                                             : MouseButton::Middle;
            // The release first, so that the capture change it brings finds nothing to end.
            Guarded([&](TFrmEdit& f) { f.FormMouseUp(MouseAt(button, wParam, lParam)); });
            if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && ::GetCapture() == hwnd_) {
                ::ReleaseCapture();
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hwnd_) {
                Guarded([](TFrmEdit& f) { f.FormCaptureLost(); });
            }
            return 0;
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
            return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            return 0;
        case WM_CTLCOLOREDIT:
            if (reinterpret_cast<HWND>(lParam) == textBox_) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                ::SetTextColor(dc, textBoxColor_.ref);
                ::SetBkColor(dc, editor::kSilver.ref);
                return reinterpret_cast<LRESULT>(silver_.get());
            }
            return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
        case WM_CLOSE:
            // Any close other than apply is a cancel.
            EndModal(editor::EditResult::Cancel);
            return 0;
        default:
            return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

void EditorWindowView::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd_, &ps);
    ::BitBlt(dc, 0, 0, picture_.width(), picture_.height(), picture_.dc(), 0, 0, SRCCOPY);
    DrawOutline(dc);
    ::EndPaint(hwnd_, &ps);
}

void EditorWindowView::Repaint() {
    ::BitBlt(windowDc_, 0, 0, picture_.width(), picture_.height(), picture_.dc(), 0, 0, SRCCOPY);
    DrawOutline(windowDc_);
    ::GdiFlush();
}

// A dashed line just outside the area: what is inside goes into the recording.
void EditorWindowView::DrawOutline(HDC dc) {
    if (!outline_) return;
    UniquePen pen(::CreatePen(PS_DOT, 1, RGB(230, 30, 30)));
    ScopedSelect usePen(dc, pen.get());
    ScopedSelect useBrush(dc, ::GetStockObject(NULL_BRUSH));
    const RECT& r = *outline_;
    ::Rectangle(dc, r.left - 1, r.top - 1, r.right + 1, r.bottom + 1);
}

editor::Size EditorWindowView::ClientSize() {
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    return {r.right, r.bottom};
}

HCURSOR EditorWindowView::CursorHandle(CursorId cursor) {
    auto standard = [](LPCWSTR id) { return ::LoadCursorW(nullptr, id); };
    switch (cursor) {
        case CursorId::Cross:
            return standard(IDC_CROSS);
        case CursorId::SizeNwse:
            return standard(IDC_SIZENWSE);
        case CursorId::SizeNesw:
            return standard(IDC_SIZENESW);
        case CursorId::SizeAll:
            return standard(IDC_SIZEALL);
        case CursorId::SplitUpDown:
            return splitUpDown_;
        case CursorId::SplitLeftRight:
            return splitLeftRight_;
        case CursorId::Default:
            break;
    }
    return standard(IDC_ARROW);
}

bool EditorWindowView::OnSetCursor(HWND over, UINT hitTest) {
    // A panel drag's cursor holds everywhere; else the window's own one over the picture.
    if (appCursor_ != CursorId::Default) {
        ::SetCursor(CursorHandle(appCursor_));
        return true;
    }
    if (over == hwnd_ && hitTest == HTCLIENT) {
        ::SetCursor(CursorHandle(windowCursor_));
        return true;
    }
    return false;
}

void EditorWindowView::ApplyCursor(CursorId cursor) {
    POINT at{};
    ::GetCursorPos(&at);
    HWND under = ::WindowFromPoint(at);
    if (under == hwnd_ || ::GetCapture() == hwnd_ || ::GetCapture() == panel_) {
        ::SetCursor(CursorHandle(cursor));
    }
}

void EditorWindowView::SetWindowCursor(CursorId cursor) {
    windowCursor_ = cursor;
    if (appCursor_ == CursorId::Default) ApplyCursor(cursor);
}

void EditorWindowView::SetAppCursor(CursorId cursor) {
    appCursor_ = cursor;
    ApplyCursor(cursor == CursorId::Default ? windowCursor_ : cursor);
}

std::unique_ptr<editor::TextBox> EditorWindowView::CreateTextBox(const editor::Rect& b,
                                                                 const editor::TextFont& font) {
    HWND box = ::CreateWindowExW(
        0, L"EDIT", L"",
        WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_CLIPSIBLINGS,
        b.left, b.top, b.right - b.left, b.bottom - b.top, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdTextBox)), instance_, nullptr);
    if (!box) throw std::bad_alloc();
    UniqueFont made(CreateTextFont(windowDc_, font));
    ::SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), FALSE);
    // The standard margins; the commit asks the box where its text stands.
    ::SendMessageW(box, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                   MAKELPARAM(EC_USEFONTINFO, EC_USEFONTINFO));
    ::SetWindowSubclass(box, TextBoxProc, 1, reinterpret_cast<DWORD_PTR>(this));
    // Over the panel, as the newest control.
    ::SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    textBox_ = box;
    textBoxColor_ = font.color;
    ::SetFocus(box);
    return std::make_unique<WinTextBox>(box, std::move(made), textBox_);
}

LRESULT CALLBACK EditorWindowView::TextBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<EditorWindowView*>(data);
    using editor::DragTarget;
    using editor::TFrmEdit;
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN: {
            const MouseButton button =
                msg == WM_LBUTTONDOWN ? MouseButton::Left : MouseButton::Right;
            self->Guarded([&](TFrmEdit& f) {
                f.Panel1MouseDown(DragTarget::TextBox, MouseAt(button, wParam, lParam));
            });
            break;
        }
        case WM_MOUSEMOVE:
            self->Guarded([&](TFrmEdit& f) {
                f.Panel1MouseMove(DragTarget::TextBox, MouseAt(MouseButton::Left, wParam, lParam));
            });
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            self->Guarded([&](TFrmEdit& f) {
                f.Panel1MouseUp(DragTarget::TextBox, MouseAt(MouseButton::Left, wParam, lParam));
            });
            break;
        case WM_CAPTURECHANGED:
            // A drag of the box ends when the box loses the mouse, as at a release.
            self->Guarded([](TFrmEdit& f) {
                if (f.PanelDragging()) f.Panel1MouseUp(DragTarget::TextBox, {});
            });
            break;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(hwnd, TextBoxProc, 1);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

void EditorWindowView::EndModal(editor::EditResult result) {
    if (ended_) return;
    ended_ = true;
    result_ = result;
    // Wakes the modal loop if this came from outside a message of ours.
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void EditorWindowView::ShowError(const std::string& message) {
    // The box takes the mouse: a drag under way ends here, as at a release.
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    std::string textWithStop = message;
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') textWithStop += ".";
    ::MessageBoxW(hwnd_, Widen(textWithStop).c_str(), Widen(text::kAppTitle).c_str(),
                  MB_OK | MB_ICONERROR);
}

void EditorWindowView::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    using editor::TFrmEdit;
    if (reinterpret_cast<HWND>(lParam) == textBox_ && textBox_ && HIWORD(wParam) == EN_CHANGE) {
        Guarded([](TFrmEdit& f) { f.TextBoxChange(); });
        return;
    }
    if (id > kIdToolButton && id <= kIdToolButton + 6) {
        const int tag = editor::kToolButtons[static_cast<size_t>(id - kIdToolButton - 1)].tag;
        Guarded([tag](TFrmEdit& f) { f.ToolButton1Click(tag); });
    } else if (id == kIdToolButton + 8) {
        Guarded([](TFrmEdit& f) { f.ToolButton8Click(); });
    } else if (id >= kIdToolButton + 11 && id <= kIdToolButton + 13) {
        const int tag = editor::kLineWidthTags[static_cast<size_t>(id - kIdToolButton - 11)];
        Guarded([tag](TFrmEdit& f) { f.ToolButton11Click(tag); });
    } else if (id == kIdSpeedButton + 1) {
        Guarded([](TFrmEdit& f) { f.SpeedButton1Click(); });
    } else if (id == kIdSpeedButton + 2) {
        Guarded([](TFrmEdit& f) { f.SpeedButton2Click(); });
    }
}

// ToolPanel

void EditorWindowView::SetUndoEnabled(bool enabled) {
    ::SendMessageW(toolBar1_, TB_ENABLEBUTTON, kIdToolButton + 8, MAKELPARAM(enabled, 0));
}

void EditorWindowView::ShowFontPanel(bool visible) {
    ::ShowWindow(fontPanel_, visible ? SW_SHOW : SW_HIDE);
    ::ShowWindow(toolBar2_, visible ? SW_HIDE : SW_SHOW);
}

void EditorWindowView::SetCurrentColor(editor::Color color) {
    currentColor_ = color;
    const RECT r{Scale(kShape17.left), Scale(kShape17.top), Scale(kShape17.right),
                 Scale(kShape17.bottom)};
    ::InvalidateRect(panel_, &r, FALSE);
}

void EditorWindowView::HidePanel() { ::ShowWindow(panel_, SW_HIDE); }

editor::Rect EditorWindowView::PanelBounds() {
    RECT r{};
    ::GetWindowRect(panel_, &r);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

void EditorWindowView::MovePanel(editor::Point p) {
    ::SetWindowPos(panel_, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

std::string EditorWindowView::FontSizeText() {
    wchar_t buffer[64] = {};
    ::GetWindowTextW(comboBox_, buffer, 64);
    return Narrow(buffer);
}

// Panel1 and Panel2

LRESULT CALLBACK EditorWindowView::PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        ::SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<EditorWindowView*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || !self->panel_) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->HandlePanelMessage(msg, wParam, lParam);
}

LRESULT EditorWindowView::HandlePanelMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    using editor::DragTarget;
    using editor::TFrmEdit;
    switch (msg) {
        case WM_PAINT:
            OnPanelPaint();
            return 0;
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            return 0;
        case WM_DRAWITEM:
            OnDrawButton(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->code == TTN_GETDISPINFOW) {
                OnToolTipText(*reinterpret_cast<NMTTDISPINFOW*>(lParam));
            }
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            OnPanelMouseDown(MouseButton::Left, wParam, lParam);
            return 0;
        case WM_RBUTTONDOWN:
            OnPanelMouseDown(MouseButton::Right, wParam, lParam);
            return 0;
        case WM_MBUTTONDOWN:
            OnPanelMouseDown(MouseButton::Middle, wParam, lParam);
            return 0;
        case WM_MOUSEMOVE:
            if (panelCapture_) {
                Guarded([&](TFrmEdit& f) {
                    f.Panel1MouseMove(DragTarget::Panel,
                                      MouseAt(MouseButton::Left, wParam, lParam));
                });
                if (form_ && !form_->PanelDragging() && ::GetCapture() == panel_) {
                    panelCapture_ = false;
                    ::ReleaseCapture();
                }
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (panelCapture_) {
                panelCapture_ = false;
                if (::GetCapture() == panel_) ::ReleaseCapture();
                Guarded([&](TFrmEdit& f) {
                    f.Panel1MouseUp(DragTarget::Panel, MouseAt(MouseButton::Left, wParam, lParam));
                });
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (panelCapture_) {
                panelCapture_ = false;
                Guarded([&](TFrmEdit& f) { f.Panel1MouseUp(DragTarget::Panel, {}); });
            }
            return 0;
        default:
            return ::DefWindowProcW(panel_, msg, wParam, lParam);
    }
}

LRESULT CALLBACK EditorWindowView::FontPanelProc(HWND hwnd, UINT msg, WPARAM wParam,
                                                 LPARAM lParam) {
    if (msg == WM_CTLCOLORSTATIC) {
        // Label1's grey "A" on the panel's face.
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, kGrey);
        ::SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

void EditorWindowView::OnPanelMouseDown(MouseButton button, WPARAM wParam, LPARAM lParam) {
    using editor::TFrmEdit;
    const int x = Unscale(GET_X_LPARAM(lParam));
    const int y = Unscale(GET_Y_LPARAM(lParam));
    for (const editor::SwatchInfo& s : editor::kSwatches) {
        if (Inside(RECT{s.x, s.y, s.x + kSwatchSize, s.y + kSwatchSize}, x, y)) {
            Guarded([&](TFrmEdit& f) { f.Shape2MouseDown(s.number, button); });
            return;
        }
    }
    // Shape17 and Bevel5 are controls of their own that do nothing with a press.
    if (Inside(kShape17, x, y) || Inside(kBevel5, x, y)) return;
    Guarded([&](TFrmEdit& f) {
        f.Panel1MouseDown(editor::DragTarget::Panel, MouseAt(button, wParam, lParam));
    });
    if (form_ && form_->PanelDragging()) {
        panelCapture_ = true;
        ::SetCapture(panel_);
    }
}

void EditorWindowView::OnPanelPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(panel_, &ps);
    RECT all{};
    ::GetClientRect(panel_, &all);
    ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(dc, &all, BDR_RAISEDINNER, BF_RECT);
    // Bevel5: a bottom line across the panel under the first row.
    RECT bevel{Scale(kBevel5.left), Scale(kBevel5.top), Scale(kBevel5.right),
               Scale(kBevel5.bottom)};
    ::DrawEdge(dc, &bevel, BDR_SUNKENOUTER, BF_BOTTOM);
    UniquePen grey(::CreatePen(PS_SOLID, 1, kGrey));
    UniquePen swatchPen(::CreatePen(PS_SOLID, 1, kSwatchOutline));
    auto box = [&](const RECT& r, HPEN pen, COLORREF fill) {
        UniqueBrush brush(::CreateSolidBrush(fill));
        ScopedSelect p(dc, pen);
        ScopedSelect b(dc, brush.get());
        ::Rectangle(dc, Scale(r.left), Scale(r.top), Scale(r.right), Scale(r.bottom));
    };
    box(kShape17, grey.get(), currentColor_.ref);
    for (const editor::SwatchInfo& s : editor::kSwatches) {
        box(RECT{s.x, s.y, s.x + kSwatchSize, s.y + kSwatchSize}, swatchPen.get(), s.color.ref);
    }
    ::EndPaint(panel_, &ps);
}

void EditorWindowView::OnDrawButton(const DRAWITEMSTRUCT& item) {
    const bool apply = item.CtlID == static_cast<UINT>(kIdSpeedButton + 2);
    RECT r = item.rcItem;
    ::FillRect(item.hDC, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    if (pressed) ::DrawEdge(item.hDC, &r, BDR_SUNKENOUTER, BF_RECT);
    const int shift = pressed ? 1 : 0;
    const int y = (r.bottom - r.top - kImageSize) / 2 + shift;
    if (!apply) {
        const int x = (r.right - r.left - kImageSize) / 2 + shift;
        ::ImageList_Draw(images_.get(), kImageCancel, item.hDC, x, y, ILD_TRANSPARENT);
        return;
    }
    // The glyph and the caption side by side, centred together.
    const std::wstring caption = Widen(text::kEditApply);
    HGDIOBJ old = ::SelectObject(item.hDC, font_.get());
    SIZE extent{};
    ::GetTextExtentPoint32W(item.hDC, caption.c_str(), static_cast<int>(caption.size()), &extent);
    const int gap = Scale(4);
    const int x = (r.right - r.left - kImageSize - gap - extent.cx) / 2 + shift;
    ::ImageList_Draw(images_.get(), kImageApply, item.hDC, x, y, ILD_TRANSPARENT);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(COLOR_BTNTEXT));
    ::TextOutW(item.hDC, x + kImageSize + gap, (r.bottom - r.top - extent.cy) / 2 + shift,
               caption.c_str(), static_cast<int>(caption.size()));
    ::SelectObject(item.hDC, old);
}

void EditorWindowView::OnToolTipText(NMTTDISPINFOW& info) {
    const int id = static_cast<int>(info.hdr.idFrom);
    const char* hint = nullptr;
    for (const editor::ToolButtonInfo& b : editor::kToolButtons) {
        if (id == kIdToolButton + b.number) hint = b.hint;
    }
    if (id == kIdToolButton + 8) hint = text::kEditHintUndo;
    if (id >= kIdToolButton + 11 && id <= kIdToolButton + 13) hint = text::kEditHintLineWidth;
    if (!hint) return;
    static std::wstring tip;
    tip = Widen(hint);
    info.lpszText = tip.data();
}

}  // namespace mrv::win
