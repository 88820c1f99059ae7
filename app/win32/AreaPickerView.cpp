// The picker window: the still and its dimmed copy as 32-bit DIBs, a back buffer, and one
// handler per message calling the portable picker.
#include "app/win32/AreaPickerView.h"

#include <windowsx.h>

#include <string>

#include "app/win32/AreaSystem.h"
#include "common/Texts.h"
#include "common/win32/Handles.h"
#include "common/win32/WinText.h"
#include "recorder/win32/DpiAwareness.h"

namespace mrv::win {

namespace {

constexpr COLORREF kFrameColour = RGB(0, 120, 215);
constexpr COLORREF kHighlightColour = RGB(255, 160, 0);
constexpr COLORREF kLabelBack = RGB(32, 32, 32);
constexpr COLORREF kLabelText = RGB(255, 255, 255);

// A 32-bit top-down DIB section with its own memory DC.
struct Still {
    UniqueMemoryDC dc;
    UniqueBitmap bitmap;
    uint32_t* pixels = nullptr;
    std::optional<ScopedSelect> selected;

    bool Create(HDC like, int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap.reset(::CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        dc.reset(::CreateCompatibleDC(like));
        if (!bitmap || !dc) return false;
        pixels = static_cast<uint32_t*>(bits);
        selected.emplace(dc.get(), bitmap.get());
        return true;
    }
};

class PickerWindow {
  public:
    PickerWindow(HINSTANCE instance, app::PickerSetup setup)
        : instance_(instance), vs_(setup.virtualScreen), picker_(std::move(setup)) {}
    ~PickerWindow() {
        if (hwnd_) ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    }
    PickerWindow(const PickerWindow&) = delete;
    PickerWindow& operator=(const PickerWindow&) = delete;

    std::optional<mrv::Rect> Run();

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

    bool TakeStill();
    Point ToScreen(LPARAM lp) const {
        return {GET_X_LPARAM(lp) + vs_.left, GET_Y_LPARAM(lp) + vs_.top};
    }
    RECT ToClient(const mrv::Rect& r) const {
        const Point a = ToStill({r.left, r.top}, vs_);
        const Point b = ToStill({r.right, r.bottom}, vs_);
        return {a.x, a.y, b.x, b.y};
    }
    void OnMouseDown(LPARAM lp);
    void OnMouseMove(LPARAM lp);
    void OnMouseUp(LPARAM lp);
    void OnDoubleClick(LPARAM lp);
    void OnKeyDown(WPARAM key);
    bool OnSetCursor();
    void OnPaint();
    void Changed() { ::InvalidateRect(hwnd_, nullptr, FALSE); }
    void DrawFrame(HDC dc, const mrv::Rect& r, COLORREF colour, int thickness);
    void DrawLabel(HDC dc);

    HINSTANCE instance_;
    mrv::Rect vs_;
    app::AreaPicker picker_;
    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    Still still_;
    Still dimmed_;
    Still back_;
    UniqueFont font_;
};

bool PickerWindow::TakeStill() {
    const int width = vs_.right - vs_.left;
    const int height = vs_.bottom - vs_.top;
    WindowDC screen(nullptr);
    if (!screen || !still_.Create(screen.get(), width, height) ||
        !dimmed_.Create(screen.get(), width, height) || !back_.Create(screen.get(), width, height))
        return false;
    dpi_ = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    // A plain copy, as the editor takes it: the picture of what is on the screen now.
    ::BitBlt(still_.dc.get(), 0, 0, width, height, screen.get(), vs_.left, vs_.top, SRCCOPY);
    ::GdiFlush();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) {
        // Half the brightness, all three channels at once.
        dimmed_.pixels[i] = (still_.pixels[i] >> 1) & 0x007F7F7F;
    }
    return true;
}

void PickerWindow::DrawFrame(HDC dc, const mrv::Rect& area, COLORREF colour, int thickness) {
    const RECT r = ToClient(area);
    UniqueBrush brush(::CreateSolidBrush(colour));
    // Outside the rectangle, so that every pixel of it stays in view.
    const RECT sides[4] = {
        {r.left - thickness, r.top - thickness, r.right + thickness, r.top},
        {r.left - thickness, r.bottom, r.right + thickness, r.bottom + thickness},
        {r.left - thickness, r.top, r.left, r.bottom},
        {r.right, r.top, r.right + thickness, r.bottom}};
    for (const RECT& side : sides) ::FillRect(dc, &side, brush.get());
}

void PickerWindow::DrawLabel(HDC dc) {
    const std::wstring label = Widen(picker_.SizeText());
    if (label.empty()) return;
    SIZE size{};
    ::GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
    const int pad = ::MulDiv(4, dpi_, 96);
    const Point at = picker_.LabelPlace(size.cx + 2 * pad, size.cy + 2 * pad);
    RECT box{at.x - vs_.left, at.y - vs_.top, at.x - vs_.left + size.cx + 2 * pad,
             at.y - vs_.top + size.cy + 2 * pad};
    UniqueBrush back(::CreateSolidBrush(kLabelBack));
    ::FillRect(dc, &box, back.get());
    ::SetTextColor(dc, kLabelText);
    ::TextOutW(dc, box.left + pad, box.top + pad, label.c_str(), static_cast<int>(label.size()));
}

void PickerWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC target = ::BeginPaint(hwnd_, &ps);
    HDC dc = back_.dc.get();
    const int width = vs_.right - vs_.left;
    const int height = vs_.bottom - vs_.top;
    ::BitBlt(dc, 0, 0, width, height, dimmed_.dc.get(), 0, 0, SRCCOPY);
    ScopedSelect useFont(dc, font_.get());
    ::SetBkMode(dc, TRANSPARENT);
    // What would be recorded shows at full brightness.
    const auto undimmed = [&](const mrv::Rect& area) {
        const RECT r = ToClient(area);
        ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, still_.dc.get(), r.left,
                 r.top, SRCCOPY);
    };
    if (const auto& h = picker_.highlight()) {
        undimmed(*h);
        DrawFrame(dc, *h, kHighlightColour, ::MulDiv(3, dpi_, 96));
    }
    if (const auto& s = picker_.selection()) {
        undimmed(*s);
        DrawFrame(dc, *s, kFrameColour, ::MulDiv(2, dpi_, 96));
        UniqueBrush white(::CreateSolidBrush(RGB(255, 255, 255)));
        UniqueBrush blue(::CreateSolidBrush(kFrameColour));
        for (const mrv::Rect& handle : picker_.Handles()) {
            const RECT r = ToClient(handle);
            ::FillRect(dc, &r, blue.get());
            const RECT inner{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
            ::FillRect(dc, &inner, white.get());
        }
        DrawLabel(dc);
    }
    // The hint along the top of the primary monitor.
    const std::wstring hint =
        Widen(picker_.mode() == app::PickMode::Window ? text::kPickerHintWindow
                                                      : text::kPickerHintRegion);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, hint.c_str(), static_cast<int>(hint.size()), &size);
    const int pad = ::MulDiv(6, dpi_, 96);
    const mrv::Rect primary = picker_.primaryBounds();
    RECT box{(primary.left + primary.right) / 2 - size.cx / 2 - pad - vs_.left,
             primary.top - vs_.top,
             (primary.left + primary.right) / 2 + size.cx / 2 + pad - vs_.left,
             primary.top - vs_.top + size.cy + 2 * pad};
    UniqueBrush back(::CreateSolidBrush(kLabelBack));
    ::FillRect(dc, &box, back.get());
    ::SetTextColor(dc, kLabelText);
    ::TextOutW(dc, box.left + pad, box.top + pad, hint.c_str(), static_cast<int>(hint.size()));
    ::BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    ::EndPaint(hwnd_, &ps);
}

void PickerWindow::OnMouseDown(LPARAM lp) {
    ::SetCapture(hwnd_);
    picker_.MouseDown(ToScreen(lp));
    Changed();
}

void PickerWindow::OnMouseMove(LPARAM lp) {
    picker_.MouseMove(ToScreen(lp));
    Changed();
}

void PickerWindow::OnMouseUp(LPARAM lp) {
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    picker_.MouseUp(ToScreen(lp));
    Changed();
}

void PickerWindow::OnDoubleClick(LPARAM lp) {
    picker_.DoubleClick(ToScreen(lp));
    Changed();
}

void PickerWindow::OnKeyDown(WPARAM key) {
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    using app::PickerKey;
    switch (key) {
        case VK_ESCAPE:
            picker_.Key(PickerKey::Escape);
            break;
        case VK_RETURN:
            picker_.Key(PickerKey::Enter);
            break;
        case VK_SPACE:
            picker_.Key(PickerKey::Space);
            break;
        case VK_LEFT:
            picker_.Key(PickerKey::Left, 0, shift, ctrl);
            break;
        case VK_RIGHT:
            picker_.Key(PickerKey::Right, 0, shift, ctrl);
            break;
        case VK_UP:
            picker_.Key(PickerKey::Up, 0, shift, ctrl);
            break;
        case VK_DOWN:
            picker_.Key(PickerKey::Down, 0, shift, ctrl);
            break;
        default:
            if (key >= '1' && key <= '9') {
                picker_.Key(PickerKey::Digit, static_cast<int>(key - '0'));
            } else if (key >= VK_NUMPAD1 && key <= VK_NUMPAD9) {
                picker_.Key(PickerKey::Digit, static_cast<int>(key - VK_NUMPAD0));
            } else {
                return;
            }
    }
    Changed();
}

bool PickerWindow::OnSetCursor() {
    POINT p{};
    ::GetCursorPos(&p);
    const Point at{p.x, p.y};
    const LPCWSTR kSizes[8] = {IDC_SIZENWSE, IDC_SIZENS, IDC_SIZENESW, IDC_SIZEWE,
                               IDC_SIZENWSE, IDC_SIZENS, IDC_SIZENESW, IDC_SIZEWE};
    const int handle = picker_.HandleAt(at);
    LPCWSTR cursor = IDC_CROSS;
    if (handle >= 0) {
        cursor = kSizes[handle];
    } else if (const auto& s = picker_.selection(); s && picker_.mode() == app::PickMode::Region &&
                                                    at.x >= s->left && at.x < s->right &&
                                                    at.y >= s->top && at.y < s->bottom) {
        cursor = IDC_SIZEALL;
    }
    ::SetCursor(::LoadCursorW(nullptr, cursor));
    return true;
}

LRESULT CALLBACK PickerWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<PickerWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PickerWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->Handle(msg, wp, lp) : ::DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT PickerWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONDOWN:
            OnMouseDown(lp);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(lp);
            return 0;
        case WM_LBUTTONUP:
            OnMouseUp(lp);
            return 0;
        case WM_LBUTTONDBLCLK:
            OnDoubleClick(lp);
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wp);
            return 0;
        case WM_SETCURSOR:
            return OnSetCursor();
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_CLOSE:
            picker_.Key(app::PickerKey::Escape);
            return 0;
        default:
            return ::DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

std::optional<mrv::Rect> PickerWindow::Run() {
    static const bool registered = [this] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = WndProc;
        wc.hInstance = instance_;
        wc.lpszClassName = kAreaPickerClass;
        return ::RegisterClassExW(&wc) != 0;
    }();
    if (!registered || !TakeStill()) return std::nullopt;
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(10, dpi_, 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    font_.reset(::CreateFontIndirectW(&lf));

    UniqueWindow window(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kAreaPickerClass,
                                          Widen(text::kAppTitle).c_str(), WS_POPUP, vs_.left,
                                          vs_.top, vs_.right - vs_.left, vs_.bottom - vs_.top,
                                          nullptr, nullptr, instance_, this));
    if (!window) return std::nullopt;
    ExcludeFromCapture(hwnd_);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(hwnd_);
    MSG msg;
    while (!picker_.finished()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // leave the quit to the main loop
            picker_.Key(app::PickerKey::Escape);
            break;
        }
        if (got < 0) break;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    window.reset();
    hwnd_ = nullptr;
    LetTheScreenRepaint();
    if (picker_.state() != app::AreaPicker::State::Done) return std::nullopt;
    return picker_.result();
}

}  // namespace

std::optional<mrv::Rect> RunAreaPicker(HINSTANCE instance, app::PickerSetup setup) {
    // The window is made per-monitor aware, so that its pixels are the screens' own.
    ScopedPerMonitorDpi dpi;
    PickerWindow window(instance, std::move(setup));
    return window.Run();
}

}  // namespace mrv::win
