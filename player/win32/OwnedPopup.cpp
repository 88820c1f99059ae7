// The player's small owned windows: one class registration and one placement for them all.
#include "player/win32/OwnedPopup.h"

#include "common/win32/WinText.h"

namespace mrv::player::win {

HWND CreateOwnedPopup(HWND owner, const wchar_t* windowClass, WNDPROC proc,
                      const std::string& title, int clientWidth, int clientHeight, void* self) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = windowClass;
    ::RegisterClassExW(&wc);

    RECT frame{0, 0, clientWidth, clientHeight};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    RECT over{};
    ::GetWindowRect(owner, &over);
    const int fw = frame.right - frame.left, fh = frame.bottom - frame.top;
    const int x = (over.left + over.right - fw) / 2, y = (over.top + over.bottom - fh) / 2;
    return ::CreateWindowExW(WS_EX_DLGMODALFRAME, windowClass, mrv::win::Widen(title).c_str(),
                             style, x, y, fw, fh, owner, nullptr, instance, self);
}

}  // namespace mrv::player::win
