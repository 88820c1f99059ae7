// Texts from the system: error texts, the decimal separator, the program's own path (and the
// UTF-8 <-> UTF-16 conversion of common/PathText.h, for the W APIs).
#pragma once

#include <windows.h>

#include <string>

#include "common/PathText.h"

namespace mrv::win {

using mrv::Narrow;
using mrv::Widen;
// The system's text for an error code, without its trailing line break.
std::string ErrorText(DWORD code);
// The user's decimal separator, "." when it cannot be read.
std::string DecimalSeparator();
// Full path of the running program and its folder (with a trailing backslash).
std::wstring ProgramPath();
std::wstring ProgramFolder();

}  // namespace mrv::win
