// The settings dialog's rules: filling from the options, copying back, the prompt boxes that
// follow the hot keys, and the path box with its grey current-folder marker.
#include "app/SettingsDialog.h"

#include <algorithm>

#include "common/Texts.h"
#include "desktop/HotKeys.h"

namespace mrv::app {

SettingsForm::SettingsForm() : EdtPath(text::kSetPathMarker) {}

void SettingsForm::FillFrom(const CaptureSettings& s) {
    ComboBox1 = std::clamp(s.Frame, 0, kFrameItems - 1);
    RadioGroup1 = s.Color;
    RadioGroup2 = s.Samples;
    RadioGroup3 = s.ScanDeep;
    RadioGroup4 = s.EditMode;
    // The up-down holds a 16-bit position and never leaves its range.
    UpDown1 = std::clamp(static_cast<int32_t>(static_cast<int16_t>(s.EditSleep)), kEditSleepMin,
                         kEditSleepMax);
    CheckBox1.checked = s.Captureblt;
    CheckBox2.checked = s.DynamicTray;
    CheckBox4.checked = s.ShowClick;
    CheckBox5.checked = s.Sound;
    CheckBox3.checked = s.BeginTips;
    CheckBox6.checked = s.PauseTips;
    CheckBox7.checked = s.EndTips;
    // A box holds what the hot-key control can show, so that a hand-edited value such as a
    // modifier without a key enables no prompt box for a box that shows nothing.
    const auto boxValue = [](int32_t value) {
        return HotKeyControlToShortcut(ShortcutToHotKeyControl(static_cast<uint16_t>(value)));
    };
    HotKey1 = boxValue(s.HotKey1);
    HotKey2 = boxValue(s.HotKey2);
    HotKey3 = boxValue(s.HotKey3);
    HotKey4 = boxValue(s.HotKey4);
    HotKey1Change();
    // A monitor no longer connected shows as the primary screen.
    ComboArea = s.Area >= kAreaPrimaryScreen && s.Area <= kAreaWindow ? s.Area : 0;
    for (size_t i = 0; i < monitors.size(); ++i)
        if (s.Area == kAreaMonitor + monitors[i].number)
            ComboArea = kAreaWindow + 1 + static_cast<int32_t>(i);
    CheckBoxCountdown.checked = s.Countdown;
    FileType = s.FileType;
}

void SettingsForm::CopyBackTo(CaptureSettings& s) const {
    s.Frame = ComboBox1;
    s.Color = RadioGroup1;
    s.Samples = RadioGroup2;
    s.ScanDeep = RadioGroup3;
    s.EditMode = RadioGroup4;
    s.EditSleep = UpDown1;
    s.ShowClick = CheckBox4.checked;
    s.Captureblt = CheckBox1.checked;
    s.Sound = CheckBox5.checked;
    s.DynamicTray = CheckBox2.checked;
    s.BeginTips = CheckBox3.checked;
    s.PauseTips = CheckBox6.checked;
    s.EndTips = CheckBox7.checked;
    const size_t monitor = static_cast<size_t>(ComboArea - (kAreaWindow + 1));
    if (ComboArea > kAreaWindow && monitor < monitors.size()) {
        s.Area = kAreaMonitor + monitors[monitor].number;
    } else if (ComboArea >= kAreaPrimaryScreen && ComboArea <= kAreaWindow) {
        s.Area = ComboArea;
    }
    s.Countdown = CheckBoxCountdown.checked;
    s.FileType = FileType;
}

std::vector<std::string> SettingsForm::AreaItems() const {
    std::vector<std::string> items{text::kAreaPrimaryScreen, text::kAreaRegion, text::kAreaWindow};
    for (const Monitor& m : monitors) {
        items.push_back(text::kAreaMonitor + std::to_string(m.number) +
                        (m.primary ? text::kAreaPrimaryMark : ""));
    }
    return items;
}

void SettingsForm::CopyHotKeysTo(CaptureSettings& s) const {
    s.HotKey1 = HotKey1;
    s.HotKey2 = HotKey2;
    s.HotKey3 = HotKey3;
    s.HotKey4 = HotKey4;
}

DerivedValues SettingsForm::Derived() const {
    return {BitsPerPixelFor(RadioGroup1), ScanStepFor(RadioGroup3), RasterOpFor(CheckBox1.checked),
            TickIntervalFor(ComboBox1)};
}

// A disabled prompt box keeps its tick; the tick is saved as it stands.
void SettingsForm::HotKey1Change() {
    CheckBox3.enabled = HotKey1 != 0;
    CheckBox6.enabled = HotKey2 != 0;
    CheckBox7.enabled = HotKey3 != 0;
}

void SettingsForm::EdtPathExit() {
    if (!EdtPath.empty()) return;
    EdtPath = text::kSetPathMarker;
    edtPathColor = kPathMarkerColor;
}

void SettingsForm::FolderChosen(const std::string& path) {
    EdtPath = path;
    edtPathColor = kPathTextColor;
}

// Typing keeps the colour: the marker's grey goes only with the folder browser.
void SettingsForm::PathEdited(const std::string& text) { EdtPath = text; }

bool SettingsForm::PathIsMarker() const { return EdtPath == text::kSetPathMarker; }

void SettingsForm::FileTypeChange(int32_t index) {
    const std::string before = ExtensionOf(KindOf(FileType));
    FileType = std::clamp(index, 0, 1);
    // Only the extension this form would have given is swapped; a name of the user's own
    // making ("lesson.avi", no extension at all) is left as typed.
    const auto endsWith = [&](const std::string& ext) {
        if (EdtName.size() < ext.size()) return false;
        for (size_t i = 0; i < ext.size(); ++i) {
            const char c = EdtName[EdtName.size() - ext.size() + i];
            if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != ext[i]) return false;
        }
        return true;
    };
    if (endsWith(before))
        EdtName = EdtName.substr(0, EdtName.size() - before.size()) + ExtensionOf(KindOf(FileType));
}

namespace {
using desktop::kShortcutAlt;
using desktop::kShortcutCtrl;
using desktop::kShortcutShift;
constexpr uint16_t kControlShift = 0x0100;
constexpr uint16_t kControlCtrl = 0x0200;
constexpr uint16_t kControlAlt = 0x0400;
constexpr uint16_t kControlExtended = 0x0800;
}  // namespace

// The control names a key by its scan code; without the extended flag a stored arrow key would
// show as its number-pad twin.
uint16_t ShortcutToHotKeyControl(uint16_t shortcut) {
    uint16_t value = shortcut & 0xFF;
    if (value == 0) return 0;
    if (shortcut & kShortcutShift) value |= kControlShift;
    if (shortcut & kShortcutCtrl) value |= kControlCtrl;
    if (shortcut & kShortcutAlt) value |= kControlAlt;
    if (desktop::IsExtendedKey(value & 0xFF)) value |= kControlExtended;
    return value;
}

// The control's extended-key flag has no place in a shortcut value and is dropped.
uint16_t HotKeyControlToShortcut(uint16_t value) {
    uint16_t shortcut = value & 0xFF;
    if (shortcut == 0) return 0;
    if (value & kControlShift) shortcut |= kShortcutShift;
    if (value & kControlCtrl) shortcut |= kShortcutCtrl;
    if (value & kControlAlt) shortcut |= kShortcutAlt;
    return shortcut;
}

}  // namespace mrv::app
