// The area's frame strips and the countdown window.
#include "app/win32/AreaOverlays.h"

#include <algorithm>
#include <string>

#include "app/Countdown.h"
#include "app/win32/AreaSystem.h"
#include "common/Texts.h"
#include "common/win32/WinText.h"
#include "recorder/win32/DpiAwareness.h"

namespace mrv::win {

namespace {

constexpr wchar_t kFrameClass[] = L"MorvantaAreaFrame";
constexpr wchar_t kCountdownClass[] = L"MorvantaCountdown";
constexpr COLORREF kFrameColour = RGB(230, 30, 30);
constexpr int kFrameThickness = 2;
constexpr int kCountdownSize = 180;
constexpr UINT_PTR kSecondTimer = 1;

bool RegisterOnce(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HBRUSH background) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Clicks go through the frame to what lies below it.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCHITTEST) return HTTRANSPARENT;
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

// The countdown window's state, bound at WM_NCCREATE.
struct CountdownWindow {
    app::Countdown countdown;
    UniqueFont font;
};

LRESULT CALLBACK CountdownProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        ::SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    }
    auto* self = reinterpret_cast<CountdownWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_TIMER:
            self->countdown.SecondPassed();
            ::InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_KEYDOWN:
            if (wp == VK_ESCAPE) self->countdown.Escape();
            return 0;
        case WM_CLOSE:
            self->countdown.Escape();
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hwnd, &ps);
            RECT r{};
            ::GetClientRect(hwnd, &r);
            ScopedSelect font(dc, self->font.get());
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, RGB(255, 255, 255));
            const std::wstring number = std::to_wstring(self->countdown.shown());
            ::DrawTextW(dc, number.c_str(), static_cast<int>(number.size()), &r,
                        DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            ::EndPaint(hwnd, &ps);
            return 0;
        }
        default:
            return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace

void AreaFrame::Show(const mrv::Rect& area) {
    Hide();
    static UniqueBrush brush(::CreateSolidBrush(kFrameColour));
    if (!RegisterOnce(instance_, kFrameClass, FrameProc, brush.get())) return;
    // Made per-monitor aware, so that the strips sit at the area's real pixels.
    ScopedPerMonitorDpi dpi;
    const mrv::Rect vs = VirtualScreenRect();
    const int t = kFrameThickness;
    const mrv::Rect sides[4] = {{area.left - t, area.top - t, area.right + t, area.top},
                                {area.left - t, area.bottom, area.right + t, area.bottom + t},
                                {area.left - t, area.top, area.left, area.bottom},
                                {area.right, area.top, area.right + t, area.bottom}};
    for (size_t i = 0; i < strips_.size(); ++i) {
        const mrv::Rect s{std::max(sides[i].left, vs.left), std::max(sides[i].top, vs.top),
                          std::min(sides[i].right, vs.right), std::min(sides[i].bottom, vs.bottom)};
        if (s.right <= s.left || s.bottom <= s.top) continue;
        strips_[i].reset(::CreateWindowExW(
            WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT | WS_EX_LAYERED,
            kFrameClass, L"", WS_POPUP, s.left, s.top, s.right - s.left, s.bottom - s.top, nullptr,
            nullptr, instance_, nullptr));
        if (!strips_[i]) continue;
        // Layered and transparent, clicks reach the windows below, also those of other programs.
        ::SetLayeredWindowAttributes(strips_[i].get(), 0, 255, LWA_ALPHA);
        ExcludeFromCapture(strips_[i].get());
        ::ShowWindow(strips_[i].get(), SW_SHOWNOACTIVATE);
    }
}

void AreaFrame::Hide() {
    for (UniqueWindow& strip : strips_) strip.reset();
}

bool RunCountdown(HINSTANCE instance, const mrv::Rect& area) {
    static UniqueBrush brush(::CreateSolidBrush(RGB(32, 32, 32)));
    if (!RegisterOnce(instance, kCountdownClass, CountdownProc, brush.get())) return true;
    ScopedPerMonitorDpi dpi;
    int screenDpi = 96;
    {
        WindowDC screen(nullptr);
        if (screen) screenDpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    CountdownWindow state;
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(96, screenDpi, 96);
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    state.font.reset(::CreateFontIndirectW(&lf));
    const int size = ::MulDiv(kCountdownSize, screenDpi, 96);
    const int x = (area.left + area.right) / 2 - size / 2;
    const int y = (area.top + area.bottom) / 2 - size / 2;
    UniqueWindow window(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCountdownClass,
                                          Widen(text::kAppTitle).c_str(), WS_POPUP, x, y, size,
                                          size, nullptr, nullptr, instance, &state));
    if (!window) return true;
    ExcludeFromCapture(window.get());
    ::ShowWindow(window.get(), SW_SHOW);
    ::SetForegroundWindow(window.get());
    ::SetFocus(window.get());
    ::SetTimer(window.get(), kSecondTimer, 1000, nullptr);
    MSG msg;
    while (!state.countdown.finished()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
            state.countdown.Escape();
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::KillTimer(window.get(), kSecondTimer);
    ::SetWindowLongPtrW(window.get(), GWLP_USERDATA, 0);
    window.reset();
    LetTheScreenRepaint();
    return !state.countdown.cancelled();
}

}  // namespace mrv::win
