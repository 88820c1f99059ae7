// INI file access through GetPrivateProfileStringW and WritePrivateProfileStringW.
#include "app/win32/IniFile.h"

#include <vector>

#include "common/win32/WinText.h"

namespace mrv::win {

std::optional<std::string> IniFile::Read(const std::string& section, const std::string& key) {
    std::vector<wchar_t> buf(256);
    for (;;) {
        const DWORD n =
            ::GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), L"", buf.data(),
                                       static_cast<DWORD>(buf.size()), path_.c_str());
        // n == size - 1 means the value was cut; no option needs that much, but read it whole.
        if (n + 1 < buf.size()) {
            if (n == 0) return std::nullopt;
            return Narrow(std::wstring(buf.data(), n));
        }
        if (buf.size() >= 65536) return std::nullopt;
        buf.resize(buf.size() * 4);
    }
}

bool IniFile::Write(const std::string& section, const std::string& key, const std::string& value) {
    return ::WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                        Widen(value).c_str(), path_.c_str()) != FALSE;
}

std::string IniFile::Path() const { return Narrow(path_); }

std::wstring IniPathBesideProgram() {
    const std::wstring program = ProgramPath();
    const size_t slash = program.find_last_of(L"\\/");
    const size_t dot = program.find_last_of(L'.');
    const bool hasExtension =
        dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
    return (hasExtension ? program.substr(0, dot) : program) + L".ini";
}

}  // namespace mrv::win
