// Morvanta.exe: the application title, the main window and the message loop.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include "app/win32/MainWindowView.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_HOTKEY_CLASS |
                                                       ICC_UPDOWN_CLASS | ICC_TAB_CLASSES |
                                                       ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    mrv::win::MainWindowView window(instance);
    if (!window.Create(showCommand)) return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
