// Looks at installed programs as Windows shows them, for the release test.
//
// Usage: mrv_e2e_release ACTION [ARGS]
//   version FILE       prints "file A.B.C.D product TEXT": the fixed file version and the
//                      ProductVersion string of FILE's version resource
//   shortcut LNK       prints the shortcut's target path
//   open FILE          opens FILE as a double-click does (ShellExecute, verb "open")
//   window CLASS       waits for a visible window of CLASS; prints its title
//   close CLASS        asks every window of CLASS to close and waits until none is left
#include <windows.h>
// After windows.h, which they build on.
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/win32/WinText.h"

namespace {

using mrv::win::Narrow;
using mrv::win::Widen;

int Fail(const char* what) {
    std::fprintf(stderr, "driver: %s\n", what);
    return 1;
}

int Version(const std::wstring& file) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return Fail("no version resource");
    std::vector<char> data(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return Fail("unreadable");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length))
        return Fail("no fixed file info");
    wchar_t* product = nullptr;
    if (!::VerQueryValueW(data.data(), L"\\StringFileInfo\\080404b0\\ProductVersion",
                          reinterpret_cast<void**>(&product), &length))
        return Fail("no ProductVersion");
    std::printf("file %u.%u.%u.%u product %s\n", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                LOWORD(fixed->dwFileVersionLS), Narrow(product).c_str());
    return 0;
}

int Shortcut(const std::wstring& lnk) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
        return Fail("no shell link object");
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = {};
    const bool ok =
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(lnk.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0));
    if (file) file->Release();
    link->Release();
    if (!ok) return Fail("cannot read the shortcut");
    std::printf("%s\n", Narrow(target).c_str());
    return 0;
}

HWND VisibleWindow(const std::wstring& cls) {
    for (HWND w = ::FindWindowW(cls.c_str(), nullptr); w;
         w = ::FindWindowExW(nullptr, w, cls.c_str(), nullptr))
        if (::IsWindowVisible(w)) return w;
    return nullptr;
}

// Arguments as UTF-16: a shortcut's name may lie outside the ANSI code page.
int Run() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 3) return Fail("usage: mrv_e2e_release ACTION ARG");
    const std::string action = Narrow(argv[1]);
    const std::wstring arg = argv[2];
    ::LocalFree(argv);
    if (action == "version") return Version(arg);
    if (action == "shortcut") return Shortcut(arg);
    if (action == "open") {
        const auto result = reinterpret_cast<INT_PTR>(
            ::ShellExecuteW(nullptr, L"open", arg.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32 ? 0 : Fail("ShellExecute failed");
    }
    if (action == "window") {
        for (int waited = 0; waited < 20000; waited += 100) {
            if (HWND w = VisibleWindow(arg)) {
                wchar_t title[512] = {};
                ::GetWindowTextW(w, title, 512);
                std::printf("%s\n", Narrow(title).c_str());
                return 0;
            }
            ::Sleep(100);
        }
        return Fail("no such window");
    }
    if (action == "close") {
        for (HWND w = ::FindWindowW(arg.c_str(), nullptr); w;
             w = ::FindWindowExW(nullptr, w, arg.c_str(), nullptr))
            ::PostMessageW(w, WM_CLOSE, 0, 0);
        for (int waited = 0; waited < 20000; waited += 100) {
            if (!::FindWindowW(arg.c_str(), nullptr)) return 0;
            ::Sleep(100);
        }
        return Fail("a window is still open");
    }
    return Fail("unknown action");
}

}  // namespace

int main() {
    const int rc = Run();
    std::fflush(stdout);
    return rc;
}
