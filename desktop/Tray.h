// The tray icon: its picture by recording state, its presence, and what its clicks mean.
#pragma once

#include <cstdint>

namespace mrv::desktop {

inline constexpr uint32_t kTrayCallbackMessage = 0x4E6;
inline constexpr uint32_t kTrayIconId = 0xDEDB;
inline constexpr uint32_t kWmLButtonUp = 0x202;
inline constexpr uint32_t kWmRButtonUp = 0x205;

// IdleIcon "ico1", RecordingIcon "ico2", PausedIcon "ico3".
enum class TrayPicture { Idle, Recording, Paused };

// Shell_NotifyIcon with the main window's record. Only a failed add matters: a window hidden
// to the tray without an icon could never be reached again.
class TrayShell {
  public:
    virtual ~TrayShell() = default;
    // False when the shell has no icon afterwards (no taskbar yet, Explorer restarting).
    virtual bool Add(TrayPicture picture) = 0;
    virtual void Modify(TrayPicture picture) = 0;
    virtual void Delete() = 0;
};

enum class TrayAction { None, RestoreWindow, OpenMenu };

class TrayIcon {
  public:
    explicit TrayIcon(TrayShell& shell) : shell_(shell) {}

    // The state's picture; the shell only hears of it while the icon is shown.
    void SetTrayIcon(TrayPicture picture);
    // NIM_ADD; an icon already shown stays the one icon. False when there is no icon.
    bool Show();
    // NIM_DELETE, whether or not the icon is shown.
    void Remove();
    // The shell restarted: its icons are gone, so a shown icon is added again. False when it
    // should be there and could not be added: the window must come back.
    bool TaskbarCreated();
    // The callback message's mouse message.
    TrayAction TrayMessage(uint32_t mouseMessage);

    bool shown() const { return shown_; }
    TrayPicture picture() const { return picture_; }

  private:
    TrayShell& shell_;
    TrayPicture picture_ = TrayPicture::Idle;
    bool shown_ = false;
};

}  // namespace mrv::desktop
