// Monitors, virtual screen and window frames read per-monitor DPI aware; DWM and the display
// affinity looked up at run time, so that older Windows still runs.
#include "app/win32/AreaSystem.h"

#include <algorithm>
#include <cwctype>
#include <string>

#include "recorder/win32/DpiAwareness.h"

namespace mrv::win {

namespace {

constexpr DWORD kDwmExtendedFrameBounds = 9;  // DWMWA_EXTENDED_FRAME_BOUNDS
constexpr DWORD kDwmCloaked = 14;             // DWMWA_CLOAKED
constexpr DWORD kExcludeFromCapture = 0x11;   // WDA_EXCLUDEFROMCAPTURE

using DwmGetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
using SetWindowDisplayAffinityFn = BOOL(WINAPI*)(HWND, DWORD);

template <typename Fn>
Fn Lookup(const wchar_t* module, const char* name, bool load) {
    HMODULE m = load ? ::LoadLibraryW(module) : ::GetModuleHandleW(module);
    return m ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(m, name)))
             : nullptr;
}

DwmGetWindowAttributeFn DwmAttribute() {
    // Loaded once and kept for the life of the process.
    static const auto fn =
        Lookup<DwmGetWindowAttributeFn>(L"dwmapi.dll", "DwmGetWindowAttribute", true);
    return fn;
}

// The monitor's number from its device name, "\\.\DISPLAY2" giving 2; 0 when it has none.
int DisplayNumber(const wchar_t* device) {
    std::wstring name(device);
    size_t end = name.size();
    size_t start = end;
    while (start > 0 && std::iswdigit(name[start - 1])) --start;
    if (start == end || end - start > 4) return 0;
    return std::stoi(name.substr(start));
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, RECT*, LPARAM data) {
    auto& monitors = *reinterpret_cast<std::vector<Monitor>*>(data);
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    monitors.push_back({{r.left, r.top, r.right, r.bottom},
                        DisplayNumber(info.szDevice),
                        (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    return TRUE;
}

struct FrameSearch {
    std::vector<mrv::Rect> frames;
};

BOOL CALLBACK AddWindow(HWND window, LPARAM data) {
    if (!::IsWindowVisible(window) || ::IsIconic(window)) return TRUE;
    const DwmGetWindowAttributeFn dwm = DwmAttribute();
    if (dwm) {
        // Windows of suspended store apps and other desktops are visible but not shown.
        DWORD cloaked = 0;
        if (SUCCEEDED(dwm(window, kDwmCloaked, &cloaked, sizeof cloaked)) && cloaked) return TRUE;
    }
    RECT r{};
    if (!dwm || FAILED(dwm(window, kDwmExtendedFrameBounds, &r, sizeof r))) {
        if (!::GetWindowRect(window, &r)) return TRUE;
    }
    if (r.right > r.left && r.bottom > r.top) {
        reinterpret_cast<FrameSearch*>(data)->frames.push_back({r.left, r.top, r.right, r.bottom});
    }
    return TRUE;
}

}  // namespace

std::vector<Monitor> EnumerateMonitors() {
    ScopedPerMonitorDpi dpi;
    std::vector<Monitor> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    // Monitors without a number in their name are numbered after the others, in the system's
    // order.
    int next = 1;
    for (const Monitor& m : monitors) next = std::max(next, m.number + 1);
    for (Monitor& m : monitors)
        if (m.number == 0) m.number = next++;
    std::stable_sort(monitors.begin(), monitors.end(),
                     [](const Monitor& a, const Monitor& b) { return a.number < b.number; });
    return monitors;
}

mrv::Rect VirtualScreenRect() {
    ScopedPerMonitorDpi dpi;
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::vector<mrv::Rect> WindowFrames() {
    ScopedPerMonitorDpi dpi;
    FrameSearch search;
    // EnumWindows gives the top-level windows in their z-order, the topmost first.
    ::EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&search));
    return std::move(search.frames);
}

// Lets the windows below a closed overlay repaint before the screen is read.
void LetTheScreenRepaint() {
    const DWORD until = ::GetTickCount() + 150;
    MSG msg;
    while (static_cast<int32_t>(until - ::GetTickCount()) > 0) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
}

void ExcludeFromCapture(HWND window) {
    static const auto fn =
        Lookup<SetWindowDisplayAffinityFn>(L"user32.dll", "SetWindowDisplayAffinity", false);
    // Before Windows 10 2004 the value is refused and the window stays capturable.
    if (fn) fn(window, kExcludeFromCapture);
}

}  // namespace mrv::win
