// Shell_NotifyIcon with the main window's tray record and the three state icons.
#pragma once

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "common/win32/Handles.h"
#include "desktop/Tray.h"

namespace mrv::win {

class Win32Tray final : public desktop::TrayShell {
  public:
    // Loads "ico1".."ico3" from the program's resources at the small-icon size.
    Win32Tray(HWND window, HINSTANCE instance);
    bool Add(desktop::TrayPicture picture) override;
    void Modify(desktop::TrayPicture picture) override;
    void Delete() override;

  private:
    bool Notify(DWORD message, desktop::TrayPicture picture);

    NOTIFYICONDATAW data_{};
    UniqueIcon icons_[3];
};

}  // namespace mrv::win
