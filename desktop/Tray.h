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

// Shell_NotifyIcon with the main window's record; failures are of no consequence.
class TrayShell {
  public:
    virtual ~TrayShell() = default;
    virtual void Add(TrayPicture picture) = 0;
    virtual void Modify(TrayPicture picture) = 0;
    virtual void Delete() = 0;
};

enum class TrayAction { None, RestoreWindow, OpenMenu };

class TrayIcon {
  public:
    explicit TrayIcon(TrayShell& shell) : shell_(shell) {}

    // The state's picture; the shell only hears of it while the icon is shown.
    void SetTrayIcon(TrayPicture picture);
    // NIM_ADD; an icon already shown stays the one icon.
    void Show();
    // NIM_DELETE, whether or not the icon is shown.
    void Remove();
    // The shell restarted: its icons are gone, so a shown icon is added again.
    void TaskbarCreated();
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
