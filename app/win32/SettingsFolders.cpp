// Trial writes, known folders and folder creation for the INI file's place.
#include "app/win32/SettingsFolders.h"

#include <windows.h>
// After windows.h, which they build on.
#include <knownfolders.h>
#include <shlobj.h>

#include "app/win32/IniFile.h"
#include "common/win32/Handles.h"
#include "common/win32/WinText.h"

namespace mrv::win {

namespace {

void FreeTaskMemory(wchar_t* p) { ::CoTaskMemFree(p); }
using UniqueTaskString = UniqueHandle<wchar_t*, FreeTaskMemory>;

std::string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* raw = nullptr;
    const HRESULT hr = ::SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &raw);
    const UniqueTaskString path(raw);  // freed even when the call failed
    return SUCCEEDED(hr) && path ? Narrow(path.get()) : std::string();
}

}  // namespace

bool Win32SettingsFolders::FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32SettingsFolders::CanWriteFile(const std::string& path) {
    // Opened for writing and closed again: nothing in it changes.
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

bool Win32SettingsFolders::CanCreateIn(const std::string& folder) {
    // Permissions, a read-only medium and Controlled Folder Access all show only in a real
    // write; the trial file goes when its handle closes.
    std::wstring trial = Widen(folder);
    if (!trial.empty() && trial.back() != L'\\' && trial.back() != L'/') trial += L'\\';
    trial += L"~morvanta-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    UniqueFile file(::CreateFileW(trial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(file);
}

std::string Win32SettingsFolders::AppDataFolder() { return KnownFolder(FOLDERID_RoamingAppData); }

std::string Win32SettingsFolders::VideosFolder() { return KnownFolder(FOLDERID_Videos); }

bool Win32SettingsFolders::MakeFolders(const std::string& path) {
    const int result = ::SHCreateDirectoryExW(nullptr, Widen(path).c_str(), nullptr);
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS;
}

app::SettingsPlace SettingsPlaceForProgram() {
    const std::wstring ini = IniPathBesideProgram();
    const std::wstring folder = ProgramFolder();
    Win32SettingsFolders folders;
    return app::ChooseSettingsPlace(folders, Narrow(folder), Narrow(ini.substr(folder.size())));
}

}  // namespace mrv::win
