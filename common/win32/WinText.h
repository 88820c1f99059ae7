// Conversions between the program's UTF-8 texts and the UTF-16 of the W APIs.
#pragma once

#include <windows.h>

#include <string>

namespace mrv::win {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
// The system's text for an error code, without its trailing line break.
std::string ErrorText(DWORD code);
// The user's decimal separator, "." when it cannot be read.
std::string DecimalSeparator();
// Full path of the running program and its folder (with a trailing backslash).
std::wstring ProgramPath();
std::wstring ProgramFolder();

}  // namespace mrv::win
