// Tray icon presence and picture; Shell_NotifyIcon lives behind TrayShell.
#include "desktop/Tray.h"

namespace mrv::desktop {

void TrayIcon::SetTrayIcon(TrayPicture picture) {
    picture_ = picture;
    // An absent icon keeps the picture for its next NIM_ADD.
    if (shown_) shell_.Modify(picture_);
}

void TrayIcon::Show() {
    if (shown_) return;
    shell_.Add(picture_);
    shown_ = true;
}

void TrayIcon::Remove() {
    shell_.Delete();
    shown_ = false;
}

void TrayIcon::TaskbarCreated() {
    // Without this a recording running while the window is hidden could not be reached.
    if (shown_) shell_.Add(picture_);
}

TrayAction TrayIcon::TrayMessage(uint32_t mouseMessage) {
    switch (mouseMessage) {
        case kWmLButtonUp:
            Remove();
            return TrayAction::RestoreWindow;
        case kWmRButtonUp:
            return TrayAction::OpenMenu;
        default:
            return TrayAction::None;
    }
}

}  // namespace mrv::desktop
