// A hook DLL for the app driver: loaded into Morvanta.exe, it reads the open popup menu there,
// since Wine keeps a menu's items in the process that made it.
//
// The driver hooks WH_CALLWNDPROC on the menu window's thread and sends it the registered
// message "MorvantaMenuProbe"; the hook writes one line per item into menu-probe.txt beside
// this DLL: "separator", or "item enabled|grayed TEXT" with TABs written as \t.
#include <windows.h>

#include <string>

#include "common/win32/WinText.h"

namespace {

HMODULE gModule = nullptr;

std::string Describe(HMENU menu) {
    const int count = ::GetMenuItemCount(menu);
    if (count < 0) return "unreadable\n";
    std::string out;
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
            out += "unreadable\n";
            continue;
        }
        if (info.fType & MFT_SEPARATOR) {
            out += "separator\n";
            continue;
        }
        wchar_t text[256] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        std::wstring escaped;
        for (const wchar_t* c = text; *c; ++c) {
            if (*c == L'\t') {
                escaped += L"\\t";
            } else {
                escaped += *c;
            }
        }
        const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        out += std::string("item ") + ((state & MF_GRAYED) ? "grayed " : "enabled ") +
               mrv::win::Narrow(escaped) + "\n";
    }
    return out;
}

void WriteBesideModule(const std::string& text) {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(gModule, path, MAX_PATH);
    std::wstring file(path, n);
    file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"menu-probe.txt";
    HANDLE out = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(out);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    MenuProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT probe = ::RegisterWindowMessageW(L"MorvantaMenuProbe");
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent && sent->message == probe) {
        HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(sent->hwnd, MN_GETHMENU, 0, 0));
        WriteBesideModule(menu ? Describe(menu) : "no menu\n");
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) gModule = instance;
    return TRUE;
}
