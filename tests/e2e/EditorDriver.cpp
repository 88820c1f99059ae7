// Drives the running annotation editor of Morvanta.exe for the editor's end-to-end tests.
//
// Usage: mrv_e2e_editor ACTION
//   wait-open       waits for the editor window; prints "editor X Y W H" and "panel X Y W H"
//   wait-closed     waits until the editor window is hidden or gone
//   panel hide|show hides or shows the tool panel (for a screenshot of the picture alone)
//   apply           presses the apply button ("完成") as its click would
//   title           prints the window's title and whether it is top-level and unowned
//   tooltip         waits for a shown tooltip and prints its text
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/win32/WinText.h"

namespace {

constexpr int kWaitMs = 15000;
constexpr int kIdApply = 602;

HWND Editor() { return ::FindWindowW(L"TFrmEdit", nullptr); }
HWND Panel(HWND editor) { return ::FindWindowExW(editor, nullptr, L"TMrvEditPanel", nullptr); }

void PrintRect(const char* name, HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    std::printf("%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

int Run(const std::string& action, const std::string& arg) {
    if (action == "wait-open") {
        for (int waited = 0; waited < kWaitMs; waited += 50) {
            HWND editor = Editor();
            if (editor && ::IsWindowVisible(editor)) {
                ::Sleep(300);  // let it paint
                PrintRect("editor", editor);
                PrintRect("panel", Panel(editor));
                return 0;
            }
            ::Sleep(50);
        }
        return 1;
    }
    if (action == "wait-closed") {
        for (int waited = 0; waited < kWaitMs; waited += 50) {
            HWND editor = Editor();
            if (!editor || !::IsWindowVisible(editor)) return 0;
            ::Sleep(50);
        }
        return 1;
    }
    if (action == "tooltip") {
        for (int waited = 0; waited < kWaitMs; waited += 50) {
            for (HWND tip = ::FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); tip;
                 tip = ::FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)) {
                wchar_t text[64] = {};
                DWORD_PTR length = 0;
                if (::IsWindowVisible(tip) &&
                    ::SendMessageTimeoutW(tip, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text),
                                          SMTO_ABORTIFHUNG, 2000, &length) &&
                    length > 0) {
                    std::printf("%s\n", mrv::win::Narrow(text).c_str());
                    return 0;
                }
            }
            ::Sleep(50);
        }
        return 1;
    }
    if (action == "main-enabled") {
        std::printf("%d\n", ::IsWindowEnabled(::FindWindowW(L"TFrmMain", nullptr)) ? 1 : 0);
        return 0;
    }
    HWND editor = Editor();
    if (!editor) return 1;
    HWND panel = Panel(editor);
    if (action == "panel" && (arg == "hide" || arg == "show")) {
        ::ShowWindow(panel, arg == "hide" ? SW_HIDE : SW_SHOW);
        ::UpdateWindow(editor);
        ::Sleep(300);
        return 0;
    }
    if (action == "close") {  // as the task bar or Alt+F4 would close it
        ::PostMessageW(editor, WM_CLOSE, 0, 0);
        return 0;
    }
    if (action == "apply") {
        HWND button = ::GetDlgItem(panel, kIdApply);
        ::PostMessageW(panel, WM_COMMAND, MAKEWPARAM(kIdApply, BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
        return 0;
    }
    if (action == "title") {
        wchar_t title[64] = {};
        ::GetWindowTextW(editor, title, 64);
        const LONG style = ::GetWindowLongW(editor, GWL_STYLE);
        std::printf("title %s toplevel %d owner %d caption %d\n", mrv::win::Narrow(title).c_str(),
                    ::GetParent(editor) == nullptr ? 1 : 0,
                    ::GetWindow(editor, GW_OWNER) != nullptr ? 1 : 0,
                    (style & WS_CAPTION) != 0 ? 1 : 0);
        return 0;
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const int rc = Run(argv[1], argc > 2 ? argv[2] : "");
    std::fflush(stdout);
    return rc;
}
