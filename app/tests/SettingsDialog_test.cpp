// The settings form's rules: filling, copying back, prompt boxes and the path marker.
#include "app/SettingsDialog.h"

#include <gtest/gtest.h>

#include "common/Texts.h"

namespace mrv::app {
namespace {

TEST(SettingsForm, DefaultsShowWhatAFirstStartShows) {
    SettingsForm form;
    form.FillFrom(CaptureSettings{});
    EXPECT_EQ(form.ComboBox1, 5);  // "6"
    EXPECT_EQ(form.RadioGroup1, 1);
    EXPECT_EQ(form.RadioGroup2, 0);
    EXPECT_EQ(form.RadioGroup3, 0);
    EXPECT_EQ(form.RadioGroup4, 0);
    EXPECT_EQ(form.UpDown1, 20);  // not the form's own 23
    EXPECT_TRUE(form.CheckBox4.checked && form.CheckBox1.checked && form.CheckBox2.checked);
    EXPECT_FALSE(form.CheckBox5.checked);
    for (const CheckBox* box : {&form.CheckBox3, &form.CheckBox6, &form.CheckBox7}) {
        EXPECT_TRUE(box->checked);
        EXPECT_FALSE(box->enabled);
    }
    EXPECT_EQ(form.EdtPath, text::kSetPathMarker);
    EXPECT_EQ(form.edtPathColor, kPathMarkerColor);
}

TEST(SettingsForm, HotKeyChangeEnablesOnlyTheMatchingPromptAndKeepsTheTick) {
    SettingsForm form;
    CaptureSettings s;
    s.HotKey1 = 0x6078;
    s.BeginTips = false;
    s.HotKey4 = 0x41;  // the edit key has no prompt box
    form.FillFrom(s);
    EXPECT_TRUE(form.CheckBox3.enabled);
    EXPECT_FALSE(form.CheckBox6.enabled);
    EXPECT_FALSE(form.CheckBox7.enabled);

    form.HotKey1 = 0;
    form.HotKey1Change();
    EXPECT_FALSE(form.CheckBox3.enabled);
    EXPECT_FALSE(form.CheckBox3.checked);
    form.HotKey1 = 0x70;
    form.HotKey3 = 0x71;
    form.HotKey1Change();
    EXPECT_TRUE(form.CheckBox3.enabled);
    EXPECT_TRUE(form.CheckBox7.enabled);
    EXPECT_FALSE(form.CheckBox3.checked);
}

TEST(SettingsForm, HotKeyBoxesHoldOnlyWhatTheControlShows) {
    SettingsForm form;
    CaptureSettings s;
    s.HotKey1 = 0x2000;  // Shift without a key, from a hand-edited file
    s.HotKey2 = 0x6078;
    s.HotKey3 = 0x8000 | 0x1F41;  // key bits above the low byte
    form.FillFrom(s);
    EXPECT_EQ(form.HotKey1, 0);
    EXPECT_FALSE(form.CheckBox3.enabled);
    EXPECT_EQ(form.HotKey2, 0x6078);
    EXPECT_EQ(form.HotKey3, 0x8041);
}

TEST(SettingsForm, CopyBackLeavesHotKeysToTheirOwnStep) {
    SettingsForm form;
    form.FillFrom(CaptureSettings{});
    form.ComboBox1 = 19;
    form.RadioGroup2 = 2;
    form.UpDown1 = 100;
    form.CheckBox7.checked = false;  // a disabled box's state is saved too
    form.HotKey2 = 0x42;
    CaptureSettings s;
    form.CopyBackTo(s);
    EXPECT_EQ(s.Frame, 19);
    EXPECT_EQ(s.Samples, 2);
    EXPECT_EQ(s.EditSleep, 100);
    EXPECT_FALSE(s.EndTips);
    EXPECT_EQ(s.HotKey2, 0);
    form.CopyHotKeysTo(s);
    EXPECT_EQ(s.HotKey2, 0x42);
}

TEST(SettingsForm, UpDownStaysInItsRange) {
    SettingsForm form;
    CaptureSettings s;
    s.EditSleep = 65536 + 50;  // only the low 16 bits reach the up-down
    form.FillFrom(s);
    EXPECT_EQ(form.UpDown1, 50);
    s.EditSleep = 1;
    form.FillFrom(s);
    EXPECT_EQ(form.UpDown1, kEditSleepMin);
}

TEST(SettingsForm, PathMarkerComesBackOnlyForAnEmptyBox) {
    SettingsForm form;
    form.FolderChosen("D:\\rec");
    EXPECT_EQ(form.edtPathColor, kPathTextColor);
    EXPECT_FALSE(form.PathIsMarker());

    form.PathEdited("E:\\x");
    form.EdtPathExit();
    EXPECT_EQ(form.EdtPath, "E:\\x");
    EXPECT_EQ(form.edtPathColor, kPathTextColor);

    form.PathEdited("");
    form.EdtPathExit();
    EXPECT_TRUE(form.PathIsMarker());
    EXPECT_EQ(form.edtPathColor, kPathMarkerColor);

    // Typed text keeps the grey; exiting with text leaves it as it is.
    form.PathEdited("F:\\y");
    form.EdtPathExit();
    EXPECT_EQ(form.edtPathColor, kPathMarkerColor);
    EXPECT_FALSE(form.PathIsMarker());
}

TEST(SettingsForm, TheNameFollowsTheRecordingTypeOnlyWhenItEndsInTheOtherExtension) {
    SettingsForm form;
    form.EdtName = "MRV_250303_140509.exe";
    form.FileTypeChange(1);
    EXPECT_EQ(form.EdtName, "MRV_250303_140509.mrv");
    form.FileTypeChange(1);
    EXPECT_EQ(form.EdtName, "MRV_250303_140509.mrv");
    form.FileTypeChange(0);
    EXPECT_EQ(form.EdtName, "MRV_250303_140509.exe");
    form.EdtName = "LESSON.EXE";
    form.FileTypeChange(1);
    EXPECT_EQ(form.EdtName, "LESSON.mrv");
    for (const char* own : {"lesson", "lesson.avi", "mrv"}) {
        form.EdtName = own;
        form.FileTypeChange(0);
        form.FileTypeChange(1);
        EXPECT_EQ(form.EdtName, own);
    }
    CaptureSettings s;
    form.CopyBackTo(s);
    EXPECT_EQ(s.FileType, 1);
}

TEST(SettingsForm, DerivedValuesComeFromTheControls) {
    SettingsForm form;
    form.ComboBox1 = 0;
    form.RadioGroup1 = 0;
    form.RadioGroup3 = 2;
    form.CheckBox1.checked = true;
    EXPECT_EQ(form.Derived(), (DerivedValues{4, 7, 0x40CC0020, 1000}));
}

// The drop-down lists the monitors by the system's numbers, the primary marked; a monitor that
// is gone shows as the primary screen, and the choice goes back as its number.
TEST(SettingsForm, AreaDropDownFollowsTheMonitorsByNumber) {
    SettingsForm form;
    form.monitors = {{{0, 0, 1920, 1080}, 2, true}, {{-1280, 0, 0, 1024}, 1, false}};
    EXPECT_EQ(form.AreaItems(), (std::vector<std::string>{"主屏幕", "选择区域", "选择窗口",
                                                          "显示器 2 (主)", "显示器 1"}));
    CaptureSettings s;
    s.Area = kAreaMonitor + 1;
    s.Countdown = true;
    form.FillFrom(s);
    EXPECT_EQ(form.ComboArea, 4);
    EXPECT_TRUE(form.CheckBoxCountdown.checked);
    form.ComboArea = 3;
    form.CopyBackTo(s);
    EXPECT_EQ(s.Area, kAreaMonitor + 2);
    s.Area = kAreaMonitor + 7;
    form.FillFrom(s);
    EXPECT_EQ(form.ComboArea, 0);
    form.ComboArea = 1;
    form.CheckBoxCountdown.checked = false;
    form.CopyBackTo(s);
    EXPECT_EQ(s.Area, kAreaRegion);
    EXPECT_FALSE(s.Countdown);
}

TEST(HotKeyControlValue, ConvertsModifiersBothWays) {
    EXPECT_EQ(ShortcutToHotKeyControl(0x6078), 0x0378);  // Ctrl+Shift+F9
    EXPECT_EQ(HotKeyControlToShortcut(0x0378), 0x6078);
    EXPECT_EQ(ShortcutToHotKeyControl(0x8041), 0x0441);  // Alt+A
    EXPECT_EQ(HotKeyControlToShortcut(0x0841), 0x0041);  // the extended-key flag is dropped
    // Arrow and editing keys carry it into the control, or the box names the number-pad key.
    EXPECT_EQ(ShortcutToHotKeyControl(0x4027), 0x0A27);  // Ctrl+Right
    EXPECT_EQ(HotKeyControlToShortcut(0x0A27), 0x4027);
    EXPECT_EQ(ShortcutToHotKeyControl(0x002E), 0x082E);  // Delete
    EXPECT_EQ(ShortcutToHotKeyControl(0x0066), 0x0066);  // number-pad 6
    EXPECT_EQ(ShortcutToHotKeyControl(0), 0);
    EXPECT_EQ(HotKeyControlToShortcut(0x0300), 0);  // modifiers without a key are no key
}

}  // namespace
}  // namespace mrv::app
