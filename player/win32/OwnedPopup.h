// A small captioned window over the middle of the player window that owns it, as the
// progress and after-save windows are.
#pragma once

#include <windows.h>

#include <string>

namespace mrv::player::win {

// Registers `windowClass` (once; later calls fail harmlessly) with `proc`, and creates the
// window with a client area of `clientWidth` x `clientHeight` pixels, `self` for WM_NCCREATE.
HWND CreateOwnedPopup(HWND owner, const wchar_t* windowClass, WNDPROC proc,
                      const std::string& title, int clientWidth, int clientHeight, void* self);

}  // namespace mrv::player::win
