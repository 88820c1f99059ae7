// The start command with no recording open: the settings dialog, the output path, the hot keys,
// the recording start and the saving of the options.
#pragma once

#include <cstdint>
#include <string>

#include "app/AreaPicker.h"
#include "app/Settings.h"
#include "app/SettingsDialog.h"
#include "desktop/HotKeys.h"
#include "recorder/Recorder.h"

namespace mrv::app {

struct LocalTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

using desktop::HotKeyCommand;

// "MRV_yymmdd_hhmmss.exe", or ".mrv" for a recording file.
std::string DefaultOutputName(const LocalTime& time,
                              RecordingKind kind = RecordingKind::SelfPlaying);

// What choosing the area, counting down and marking it need of the system.
class AreaSystem {
  public:
    virtual ~AreaSystem() = default;
    // The monitors as the system numbers them, and the virtual screen.
    virtual std::vector<Monitor> Monitors() { return {}; }
    virtual mrv::Rect VirtualScreen() { return {}; }
    // Shows the picker over a still of the virtual screen; the area chosen (already brought
    // into the recordable range), or none when the user cancelled.
    virtual std::optional<mrv::Rect> PickArea(PickMode mode,
                                              const std::optional<mrv::Rect>& lastRegion,
                                              int bitsPerPixel) {
        (void)mode, (void)lastRegion, (void)bitsPerPixel;
        return std::nullopt;
    }
    // Counts 3-2-1 in the middle of the area (none: the primary screen); false when the user
    // cancelled with Esc.
    virtual bool RunCountdown(const std::optional<mrv::Rect>& area) {
        (void)area;
        return true;
    }
    // The frame just outside the area while it is recorded.
    virtual void ShowAreaFrame(const mrv::Rect& area) { (void)area; }
    virtual void HideAreaFrame() {}
};

// What the start sequence needs of the main window and the system.
class StartHost {
  public:
    virtual ~StartHost() = default;
    virtual LocalTime Now() = 0;
    // Shows the dialog modally on `form`; closing it by its frame is Cancel.
    virtual ModalResult ShowSettingsDialog(SettingsForm& form) = 0;
    // The program's folder with its trailing backslash.
    virtual std::string ProgramFolder() = 0;
    // Where new recordings go when the program's folder cannot take them; empty: that folder.
    virtual std::string RecordingsFolder() { return {}; }
    virtual bool FolderExists(const std::string& path) = 0;
    // Creates one folder level; the error text when that fails.
    virtual ErrorText CreateFolder(const std::string& path) = 0;
    // Registers one command's hot key, stores its id and shows the key in the menu.
    virtual void RegisterCommandHotKey(HotKeyCommand command, uint16_t value) = 0;
    // The minimise-to-tray command (tray icon added, main window hidden).
    virtual void SpeedButton5Click() = 0;
    // Starts the recording with the options now in force. For StubMissing the host has shown
    // its message and closes the main window; the sequence then only saves the options.
    virtual StartResult StartRecording(const std::string& outputPath,
                                       const CaptureSettings& settings,
                                       const DerivedValues& derived) = 0;
    // RecordingIcon into TrayIconData, NIM_MODIFY.
    virtual void ShowRecordingIcon() = 0;
    virtual void SetEditEnabled(bool enabled) = 0;
    // Presses the tool bar's Stop button (the group shows the stopped state).
    virtual void PressStopButton() = 0;

    // The system's side of choosing the area; none offers only the primary screen.
    virtual AreaSystem& Areas();
    // The area the next StartRecording records; none is the primary screen.
    virtual void SetRecordingArea(const std::optional<mrv::Rect>& area) { (void)area; }
};

struct StartOutcome {
    enum class Kind { Started, Cancelled, Failed, StubMissing };
    Kind kind = Kind::Failed;
    // For the general error box: a failed folder, StartRecording's error or a failed INI write
    // (the recording then goes on).
    ErrorText error;
    std::string outputPath;
};

// Computes the output path from the dialog's name and path boxes, creating a missing folder
// one level deep; the error text when the folder cannot be made.
ErrorText OutputPathFor(StartHost& host, const SettingsForm& form, std::string& outputPath);

// What the Area option asks for at this start: `area` is set for anything but the primary
// screen. Cancelled when the user left the picker with Esc; the error text for a monitor that is
// no longer there. A region or window chosen becomes the last region.
enum class AreaChoice { Chosen, Cancelled, Failed };
AreaChoice ChooseArea(StartHost& host, CaptureSettings& settings, int bitsPerPixel,
                      std::optional<mrv::Rect>& area, ErrorText& error);

// The whole start sequence. `settings` and `derived` belong to the main window.
StartOutcome RunStartSequence(StartHost& host, IniStore& ini, CaptureSettings& settings,
                              DerivedValues& derived);

}  // namespace mrv::app
