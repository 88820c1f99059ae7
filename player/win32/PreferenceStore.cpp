// The player's preferences as string values under HKCU. A received recording's folder is no
// place for them (it may be read-only, shared, or someone else's), and the registry needs no
// file of our own. Every failure leaves the defaults: remembering is a convenience.
#include "player/win32/PreferenceStore.h"

#include <cwchar>

#include "common/win32/Handles.h"
#include "common/win32/WinText.h"

namespace mrv::player::win {

namespace {

// Longer values are no preference this player wrote.
constexpr DWORD kMaxValueBytes = 65536;

bool ReadString(HKEY key, const std::wstring& name, std::string& out) {
    DWORD bytes = 0;
    if (::RegGetValueW(key, nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        bytes > kMaxValueBytes) {
        return false;
    }
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegGetValueW(key, nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, text.data(), &bytes) !=
        ERROR_SUCCESS) {
        return false;
    }
    text.resize(::wcsnlen(text.c_str(), text.size()));
    out = mrv::win::Narrow(text);
    return true;
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(monitor, &info)) {
        const RECT& r = info.rcWork;
        reinterpret_cast<std::vector<ScreenRect>*>(areas)->push_back(
            ScreenRect{r.left, r.top, r.right, r.bottom});
    }
    return TRUE;
}

constexpr wchar_t kIniSection[] = L"Player";

PreferenceValues ReadIni(const std::wstring& file) {
    PreferenceValues values;
    for (const std::string& name : PreferenceNames()) {
        wchar_t text[1024] = {};
        if (::GetPrivateProfileStringW(kIniSection, mrv::win::Widen(name).c_str(), nullptr, text,
                                       1024, file.c_str()) > 0)
            values[name] = mrv::win::Narrow(text);
    }
    return FolderPreferenceValues(std::move(values));
}

bool WriteIni(const std::wstring& file, const PlayerPreferences& prefs) {
    bool ok = true;
    for (const auto& [name, value] : SerialisePreferences(prefs))
        ok &= ::WritePrivateProfileStringW(kIniSection, mrv::win::Widen(name).c_str(),
                                           mrv::win::Widen(value).c_str(), file.c_str()) != FALSE;
    return ok;
}

}  // namespace

std::wstring PortablePreferenceFile() {
    const std::wstring file = mrv::win::ProgramFolder() + kPortablePreferenceFile;
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)
               ? file
               : std::wstring();
}

PlayerPreferences PreferenceStore::Load(std::span<const ScreenRect> workAreas) const {
    if (!iniFile_.empty()) return ParsePreferences(ReadIni(iniFile_), workAreas);
    PreferenceValues values;
    HKEY opened = nullptr;
    const LSTATUS status =
        ::RegOpenKeyExW(HKEY_CURRENT_USER, subKey_.c_str(), 0, KEY_QUERY_VALUE, &opened);
    const mrv::win::UniqueRegistryKey key(status == ERROR_SUCCESS ? opened : nullptr);
    if (key) {
        for (const std::string& name : PreferenceNames()) {
            std::string value;
            if (ReadString(key.get(), mrv::win::Widen(name), value)) values[name] = value;
        }
    }
    return ParsePreferences(values, workAreas);
}

bool PreferenceStore::Save(const PlayerPreferences& prefs) const {
    if (!iniFile_.empty()) return WriteIni(iniFile_, prefs);
    HKEY created = nullptr;
    const LSTATUS status =
        ::RegCreateKeyExW(HKEY_CURRENT_USER, subKey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, &created, nullptr);
    const mrv::win::UniqueRegistryKey key(status == ERROR_SUCCESS ? created : nullptr);
    if (!key) return false;
    bool ok = true;
    for (const auto& [name, value] : SerialisePreferences(prefs)) {
        const std::wstring text = mrv::win::Widen(value);
        ok &= ::RegSetKeyValueW(
                  key.get(), nullptr, mrv::win::Widen(name).c_str(), REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    return ok;
}

std::vector<ScreenRect> MonitorWorkAreas() {
    std::vector<ScreenRect> areas;
    ::EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

}  // namespace mrv::player::win
