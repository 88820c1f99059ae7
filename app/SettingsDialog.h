// The settings dialog TFrmSet as a portable form model: every control's value and state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "recorder/CaptureArea.h"

namespace mrv::app {

enum class ModalResult { None = 0, Ok = 1, Cancel = 2 };

enum class SettingsTab { General = 0, Advanced = 1 };

inline constexpr uint32_t kPathMarkerColor = 0x808080;  // RGB grey of the marker
inline constexpr uint32_t kPathTextColor = 0x000000;

struct CheckBox {
    bool checked = false;
    bool enabled = true;
};

// The controls keep the form's own initial values until FillFrom overwrites them.
class SettingsForm {
  public:
    SettingsForm();

    // The start sequence's steps 3 and 4: controls from the options, then HotKey1Change.
    void FillFrom(const CaptureSettings& settings);
    // Step 6.4: the options from the controls (hot keys excluded, see CopyHotKeysTo).
    void CopyBackTo(CaptureSettings& settings) const;
    // Step 6.6.
    void CopyHotKeysTo(CaptureSettings& settings) const;
    DerivedValues Derived() const;

    // Any hot-key box changed: each prompt box is enabled while its hot key is set.
    void HotKey1Change();
    // The path box lost the focus.
    void EdtPathExit();
    // The folder browser returned a folder.
    void FolderChosen(const std::string& path);
    // The user typed into the path box.
    void PathEdited(const std::string& text);
    bool PathIsMarker() const;
    // The recording-type drop-down changed: a name ending in the other type's extension follows.
    void FileTypeChange(int32_t index);

    // The 录制范围 drop-down's items: the primary screen, a region, a window, then one per
    // monitor of `monitors` in the system's numbering.
    std::vector<std::string> AreaItems() const;

    SettingsTab activeTab = SettingsTab::General;
    std::string EdtName;
    std::string EdtPath;
    uint32_t edtPathColor = kPathMarkerColor;

    int32_t ComboBox1 = 5;    // item index, 0..19 ("1".."20")
    int32_t RadioGroup1 = 1;  // colour depth
    int32_t RadioGroup2 = 0;  // sample rate
    int32_t RadioGroup3 = 0;  // precision
    int32_t RadioGroup4 = 0;  // entry method
    int32_t UpDown1 = 23;     // held ticks, 3..100

    CheckBox CheckBox1;  // capture transparent windows -> Captureblt
    CheckBox CheckBox2;  // minimise to the tray -> DynamicTray
    CheckBox CheckBox3;  // prompt before starting -> BeginTips
    CheckBox CheckBox4;  // record mouse clicks -> ShowClick
    CheckBox CheckBox5;  // record the microphone -> Sound
    CheckBox CheckBox6;  // prompt after pausing -> PauseTips
    CheckBox CheckBox7;  // prompt after stopping -> EndTips

    uint16_t HotKey1 = 0;  // start
    uint16_t HotKey2 = 0;  // pause
    uint16_t HotKey3 = 0;  // stop
    uint16_t HotKey4 = 0;  // edit

    // Set before FillFrom: the monitors the drop-down offers.
    std::vector<Monitor> monitors;
    int32_t ComboArea = 0;  // item index of AreaItems()
    CheckBox CheckBoxCountdown;
    int32_t FileType = 0;  // recording type drop-down: program (.exe), recording file (.mrv)
};

// A shortcut value (0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt) and the system hot-key control's
// value (key in the low byte, 1 Shift, 2 Ctrl, 4 Alt in the high byte).
uint16_t ShortcutToHotKeyControl(uint16_t shortcut);
uint16_t HotKeyControlToShortcut(uint16_t value);

inline constexpr int32_t kEditSleepMin = 3;
inline constexpr int32_t kEditSleepMax = 100;
inline constexpr int32_t kFrameItems = 20;

}  // namespace mrv::app
