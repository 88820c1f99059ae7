// The settings dialog TFrmSet as a real window; its rules live in app::SettingsForm.
#pragma once

#include <windows.h>

#include "app/SettingsDialog.h"

namespace mrv::win {

// Shows the dialog modally, owned by `owner`, on `form`; the form holds the user's values
// afterwards. Closing by the frame is Cancel.
app::ModalResult ShowSettingsDialog(HWND owner, app::SettingsForm& form);

}  // namespace mrv::win
