// Tray icon presence and picture; Shell_NotifyIcon lives behind TrayShell.
#include "desktop/Tray.h"

namespace mrv::desktop {

void TrayIcon::SetTrayIcon(TrayPicture picture) {
    picture_ = picture;
    // An absent icon keeps the picture for its next NIM_ADD.
    if (shown_) shell_.Modify(picture_);
}

bool TrayIcon::Show() {
    if (!shown_) shown_ = shell_.Add(picture_);
    return shown_;
}

void TrayIcon::Remove() {
    shell_.Delete();
    shown_ = false;
}

bool TrayIcon::TaskbarCreated() {
    // Without this a recording running while the window is hidden could not be reached.
    if (!shown_) return true;
    shown_ = shell_.Add(picture_);
    return shown_;
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
