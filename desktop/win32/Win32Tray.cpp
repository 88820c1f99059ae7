// The tray record is filled once; only its icon changes afterwards.
#include "desktop/win32/Win32Tray.h"

#include <cwchar>

#include "common/Texts.h"
#include "common/win32/WinText.h"

namespace mrv::win {

Win32Tray::Win32Tray(HWND window, HINSTANCE instance) {
    // The tray shows small icons: LoadIcon would give the 32-pixel image, shrunk blurry by the
    // shell. At 125 to 200 % the small size is 20 to 32 pixels; the icon files hold those.
    const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
    const wchar_t* const names[] = {L"ico1", L"ico2", L"ico3"};
    for (int i = 0; i < 3; ++i) {
        icons_[i].reset(
            static_cast<HICON>(::LoadImageW(instance, names[i], IMAGE_ICON, cx, cy, 0)));
    }
    // The first layout (icon, message, tip) is all the program uses.
    data_.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data_.hWnd = window;
    data_.uID = desktop::kTrayIconId;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = desktop::kTrayCallbackMessage;
    data_.hIcon = icons_[0].get();
    const std::wstring tip = Widen(text::kTrayTip);
    std::wcsncpy(data_.szTip, tip.c_str(), 63);
}

bool Win32Tray::Notify(DWORD message, desktop::TrayPicture picture) {
    data_.hIcon = icons_[static_cast<int>(picture)].get();
    return ::Shell_NotifyIconW(message, &data_) != FALSE;
}

bool Win32Tray::Add(desktop::TrayPicture picture) {
    // A busy shell can time out and report failure for an icon it did add; a modify then
    // tells whether it is there.
    return Notify(NIM_ADD, picture) || Notify(NIM_MODIFY, picture);
}
void Win32Tray::Modify(desktop::TrayPicture picture) { Notify(NIM_MODIFY, picture); }
void Win32Tray::Delete() { ::Shell_NotifyIconW(NIM_DELETE, &data_); }

}  // namespace mrv::win
