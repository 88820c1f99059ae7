// The tray record is filled once; only its icon changes afterwards.
#include "desktop/win32/Win32Tray.h"

#include <cwchar>

#include "common/Texts.h"
#include "common/win32/WinText.h"

namespace mrv::win {

Win32Tray::Win32Tray(HWND window, HINSTANCE instance) {
    // Icons loaded by LoadIcon are shared resources and are not destroyed.
    icons_[0] = ::LoadIconW(instance, L"ico1");
    icons_[1] = ::LoadIconW(instance, L"ico2");
    icons_[2] = ::LoadIconW(instance, L"ico3");
    // The first layout (icon, message, tip) is all the program uses.
    data_.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data_.hWnd = window;
    data_.uID = desktop::kTrayIconId;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = desktop::kTrayCallbackMessage;
    data_.hIcon = icons_[0];
    const std::wstring tip = Widen(text::kTrayTip);
    std::wcsncpy(data_.szTip, tip.c_str(), 63);
}

void Win32Tray::Notify(DWORD message, desktop::TrayPicture picture) {
    data_.hIcon = icons_[static_cast<int>(picture)];
    ::Shell_NotifyIconW(message, &data_);
}

void Win32Tray::Add(desktop::TrayPicture picture) { Notify(NIM_ADD, picture); }
void Win32Tray::Modify(desktop::TrayPicture picture) { Notify(NIM_MODIFY, picture); }
void Win32Tray::Delete() { ::Shell_NotifyIconW(NIM_DELETE, &data_); }

}  // namespace mrv::win
