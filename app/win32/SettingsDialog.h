// The settings dialog TFrmSet as a real window; its rules live in app::SettingsForm.
#pragma once

#include <windows.h>

#include "app/SettingsDialog.h"

namespace mrv::win {

// Control ids, for the window and for programs that drive it.
enum SettingsControlId : int {
    kIdTabs = 100,
    kIdOk = 101,  // not IDOK: Enter must not close the dialog
    kIdCancel = 102,
    kIdCheckBox1 = 111,
    kIdCheckBox2,
    kIdCheckBox3,
    kIdCheckBox4,
    kIdCheckBox5,
    kIdCheckBox6,
    kIdCheckBox7,
    kIdEdtName = 121,
    kIdEdtPath,
    kIdButton3,
    kIdHotKey1 = 131,
    kIdHotKey2,
    kIdHotKey3,
    kIdHotKey4,
    kIdComboBox1 = 141,
    kIdEdit1,
    kIdUpDown1,
    kIdRadioGroup1 = 150,  // first item; the items follow
    kIdRadioGroup2 = 160,
    kIdRadioGroup3 = 170,
    kIdRadioGroup4 = 180,
    kIdComboArea = 190,  // 录制范围
    kIdCheckCountdown,
    kIdFileType = 195,  // the recording type's drop-down
};

// Shows the dialog modally, owned by `owner`, on `form`; the form holds the user's values
// afterwards. Closing by the frame is Cancel.
app::ModalResult ShowSettingsDialog(HWND owner, app::SettingsForm& form);

}  // namespace mrv::win
