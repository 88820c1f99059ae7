// The after-save window's class and control ids, and the strip menu's, shared with the
// end-to-end driver.
#pragma once

namespace mrv::player::win {

inline constexpr wchar_t kSavedWindowClass[] = L"MorvantaSaved";
enum SavedId {
    kIdSavedName = 301,
    kIdSavedSize,
    kIdSavedOpen,
    kIdSavedOpenFolder,
    kIdSavedCopy,
    kIdSavedClose,
    kIdMenuCopyRecording = 401,
};

}  // namespace mrv::player::win
