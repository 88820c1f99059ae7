// The picker as a window: a dimmed still of the whole virtual screen, topmost, routing the
// pointer and keys to app::AreaPicker and drawing what it holds.
#pragma once

#include <windows.h>

#include <optional>

#include "app/AreaPicker.h"

namespace mrv::win {

// The picker's window class, for the window and for programs that drive it.
inline constexpr wchar_t kAreaPickerClass[] = L"MorvantaAreaPicker";

// Runs the picker modally; the area chosen (in the recordable range), none after Esc.
std::optional<mrv::Rect> RunAreaPicker(HINSTANCE instance, app::PickerSetup setup);

}  // namespace mrv::win
