// Drives the running Morvanta.exe as a user would, one action per call, for the app_* tests.
//
// Usage: mrv_e2e_app ACTION [ARGS]
//   wait-main                 waits for the main window
//   state                     visible, place, pressed button, Edit enabled, clock, size
//   click start|pause|edit|stop       a tool-bar command
//   press about|minimise|exit         a picture button
//   menu about|start|pause|edit|stop|exit   a tray-menu command
//   tray left|right           a click on the tray icon
//   menu-items                waits for the open popup menu; prints one line per item:
//                             "separator" or "item <enabled|grayed> <text, \t escaped>"
//   box                       waits for a message box; prints caption and text (\t, \r escaped)
//   answer ok|yes|no          presses a button of the message box
//   no-box                    fails when a message box is open
//   dialog                    waits for the settings dialog; prints its outer left and top
//   dialog-ok | dialog-cancel
//   dialog-path TEXT | dialog-name TEXT
//   dialog-hotkey 1..4 VALUE  VALUE as the hot-key control holds it (vk | modifiers << 8)
//   dialog-check ID 0|1       a check box by control id
//   dialog-combo INDEX [ID]   the frame-rate item, or the item of the drop-down ID
//   dialog-text ID            prints a control's text
//   dialog-tab 0|1
//   dialog-area INDEX         the 录制范围 item; prints the drop-down's items, one a line
//   close                     WM_CLOSE from outside
//   end-session               log-off as the system does it: WM_QUERYENDSESSION (the answer must
//                             be yes), then WM_ENDSESSION
//   wait-gone                 waits until the main window has gone
//   wait-picker               waits until the area picker shows
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/win32/AreaPickerView.h"
#include "app/win32/SettingsDialog.h"
#include "common/Texts.h"
#include "common/win32/WinText.h"

namespace {

using mrv::win::Narrow;
using mrv::win::Widen;

constexpr int kWaitMs = 15000;

HWND MainWindow() { return ::FindWindowW(L"TFrmMain", nullptr); }

template <typename F>
HWND WaitFor(F find, int ms = kWaitMs) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (HWND w = find()) return w;
        ::Sleep(50);
    }
    return nullptr;
}

std::string TextOf(HWND w) {
    wchar_t buf[1024] = {};
    ::GetWindowTextW(w, buf, 1024);
    return Narrow(buf);
}

std::string Escaped(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// A visible top-level window of the program's process of class `cls` that `accept` takes.
HWND ProgramWindow(const wchar_t* cls, bool (*accept)(HWND)) {
    HWND main = MainWindow();
    if (!main) return nullptr;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(main, &pid);
    struct Search {
        DWORD pid;
        const wchar_t* cls;
        bool (*accept)(HWND);
        HWND found;
    } search{pid, cls, accept, nullptr};
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(w, &owner);
            wchar_t cls[64] = {};
            ::GetClassNameW(w, cls, 64);
            if (owner == s->pid && std::wstring(cls) == s->cls && ::IsWindowVisible(w) &&
                s->accept(w)) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A message box of the program: a dialog-class window with a static id 0xFFFF.
HWND MessageBoxWindow() {
    return ProgramWindow(L"#32770", [](HWND w) { return ::GetDlgItem(w, 0xFFFF) != nullptr; });
}

// The program's open popup menu.
HWND PopupMenuWindow() {
    return ProgramWindow(L"#32768", [](HWND) { return true; });
}

HWND SettingsDialog() {
    HWND w = ::FindWindowW(nullptr, Widen(mrv::text::kSetCaption).c_str());
    return (w && ::IsWindowVisible(w)) ? w : nullptr;
}

int Fail(const char* what) {
    std::fprintf(stderr, "driver: %s\n", what);
    return 1;
}

void Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

int CommandId(const std::string& name, const char* const names[], int count, int first) {
    for (int i = 0; i < count; ++i) {
        if (name == names[i]) return first + i;
    }
    return -1;
}

// Reads the open popup menu through the probe DLL beside this program (see MenuProbe.cpp).
int MenuItems() {
    HWND window = WaitFor(PopupMenuWindow);
    if (!window) return Fail("no popup menu");
    wchar_t self[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, n);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1);
    const std::wstring result = folder + L"menu-probe.txt";
    ::DeleteFileW(result.c_str());
    HMODULE probe = ::LoadLibraryW((folder + L"mrv_e2e_menuprobe.dll").c_str());
    // Through void*: FARPROC and HOOKPROC differ in their parameters.
    auto* proc = probe ? reinterpret_cast<HOOKPROC>(
                             reinterpret_cast<void*>(::GetProcAddress(probe, "MenuProbeHook")))
                       : nullptr;
    if (!proc) return Fail("no menu probe DLL");
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, proc, probe,
                                     ::GetWindowThreadProcessId(window, nullptr));
    if (!hook) return Fail("cannot hook the menu's thread");
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, ::RegisterWindowMessageW(L"MorvantaMenuProbe"), 0, 0,
                          SMTO_ABORTIFHUNG, kWaitMs, &ignored);
    ::UnhookWindowsHookEx(hook);
    HANDLE file = ::CreateFileW(result.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("the probe wrote nothing");
    char buffer[4096];
    DWORD read = 0;
    ::ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    ::CloseHandle(file);
    std::fwrite(buffer, 1, read, stdout);
    return 0;
}

int State() {
    HWND main = MainWindow();
    if (!main) return Fail("no main window");
    RECT r;
    ::GetWindowRect(main, &r);
    HWND toolBar = ::GetDlgItem(main, 100);
    const char* names[] = {"start", "pause", "edit", "stop"};
    std::string pressed = "none";
    for (int i = 0; i < 4; ++i) {
        if (::SendMessageW(toolBar, TB_ISBUTTONCHECKED, 101 + i, 0)) pressed = names[i];
    }
    const bool edit = ::SendMessageW(toolBar, TB_ISBUTTONENABLED, 103, 0) != 0;
    std::printf(
        "visible %d left %ld top %ld width %ld height %ld pressed %s edit %d clock %s "
        "size %s\n",
        ::IsWindowVisible(main) ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top,
        pressed.c_str(), edit ? 1 : 0, TextOf(::GetDlgItem(main, 302)).c_str(),
        Escaped(TextOf(::GetDlgItem(main, 301))).c_str());
    return 0;
}

int Run(int argc, char** argv) {
    if (argc < 2) return Fail("no action");
    const std::string action = argv[1];
    const std::string arg = argc > 2 ? argv[2] : "";
    if (action == "wait-main") return WaitFor(MainWindow) ? 0 : Fail("no main window");
    if (action == "wait-gone") {
        return WaitFor([] { return MainWindow() ? nullptr : ::GetDesktopWindow(); })
                   ? 0
                   : Fail("main window still there");
    }
    if (action == "wait-picker") {
        return WaitFor([] {
            HWND picker = ::FindWindowW(mrv::win::kAreaPickerClass, nullptr);
            return picker && ::IsWindowVisible(picker) ? picker : nullptr;
        })
                   ? 0
                   : Fail("no area picker");
    }
    if (action == "state") return State();
    if (action == "menu-items") return MenuItems();
    HWND main = MainWindow();
    if (action == "close") {
        if (!main) return Fail("no main window");
        ::PostMessageW(main, WM_CLOSE, 0, 0);
        return 0;
    }
    if (action == "end-session") {
        if (!main) return Fail("no main window");
        DWORD_PTR answer = 0;
        if (!::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                   kWaitMs, &answer)) {
            return Fail("no answer to WM_QUERYENDSESSION");
        }
        if (!answer) return Fail("the program refused to end the session");
        ::PostMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        return 0;
    }
    if (action == "click") {
        static const char* const names[] = {"start", "pause", "edit", "stop"};
        const int id = CommandId(arg, names, 4, 101);
        if (!main || id < 0) return Fail("bad click");
        ::PostMessageW(main, WM_COMMAND, id, 0);
        return 0;
    }
    if (action == "press") {
        static const char* const names[] = {"about", "minimise", "exit"};
        const int id = CommandId(arg, names, 3, 201);
        if (!main || id < 0) return Fail("bad press");
        Click(::GetDlgItem(main, id));
        return 0;
    }
    if (action == "menu") {
        static const char* const names[] = {"about", "start", "pause", "edit", "stop", "exit"};
        const int id = CommandId(arg, names, 6, 401);
        if (!main || id < 0) return Fail("bad menu item");
        ::PostMessageW(main, WM_COMMAND, id, 0);
        return 0;
    }
    if (action == "tray") {
        if (!main) return Fail("no main window");
        ::PostMessageW(main, 0x4E6, 0xDEDB, arg == "right" ? WM_RBUTTONUP : WM_LBUTTONUP);
        return 0;
    }
    if (action == "box") {
        HWND box = WaitFor(MessageBoxWindow);
        if (!box) return Fail("no message box");
        ::Sleep(200);  // let it paint, for screenshots
        std::printf("caption %s\ntext %s\n", Escaped(TextOf(box)).c_str(),
                    Escaped(TextOf(::GetDlgItem(box, 0xFFFF))).c_str());
        return 0;
    }
    if (action == "no-box") return MessageBoxWindow() ? Fail("a message box is open") : 0;
    if (action == "answer") {
        HWND box = WaitFor(MessageBoxWindow);
        const int id = arg == "yes" ? IDYES : arg == "no" ? IDNO : IDOK;
        HWND button = box ? ::GetDlgItem(box, id) : nullptr;
        if (!button) return Fail("no such button");
        Click(button);
        return WaitFor([box] { return ::IsWindow(box) ? nullptr : ::GetDesktopWindow(); })
                   ? 0
                   : Fail("message box still open");
    }
    if (action == "dialog") {
        HWND found = WaitFor(SettingsDialog);
        if (!found) return Fail("no settings dialog");
        RECT r;
        ::GetWindowRect(found, &r);
        std::printf("left %ld top %ld\n", r.left, r.top);
        return 0;
    }
    HWND dialog = SettingsDialog();
    if (action.rfind("dialog-", 0) == 0 && !dialog) return Fail("no settings dialog");
    using namespace mrv::win;
    if (action == "dialog-ok" || action == "dialog-cancel") {
        Click(::GetDlgItem(dialog, action == "dialog-ok" ? kIdOk : kIdCancel));
        return WaitFor([] { return SettingsDialog() ? nullptr : ::GetDesktopWindow(); })
                   ? 0
                   : Fail("dialog still open");
    }
    if (action == "dialog-path" || action == "dialog-name") {
        HWND edit = ::GetDlgItem(dialog, action == "dialog-path" ? kIdEdtPath : kIdEdtName);
        ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Widen(arg).c_str()));
        return 0;
    }
    if (action == "dialog-hotkey" && argc > 3) {
        const int box = std::atoi(argv[2]);
        HWND hot = ::GetDlgItem(dialog, kIdHotKey1 + box - 1);
        ::SendMessageW(hot, HKM_SETHOTKEY, std::strtoul(argv[3], nullptr, 0), 0);
        // The control tells its parent only of the user's typing; do as it would.
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kIdHotKey1 + box - 1, EN_CHANGE),
                       reinterpret_cast<LPARAM>(hot));
        return 0;
    }
    if (action == "dialog-check" && argc > 3) {
        HWND box = ::GetDlgItem(dialog, std::atoi(argv[2]));
        const bool want = std::atoi(argv[3]) != 0;
        if ((::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != want) {
            ::SendMessageW(box, BM_CLICK, 0, 0);
        }
        return 0;
    }
    if (action == "dialog-combo") {
        const int id = argc > 3 ? std::atoi(argv[3]) : kIdComboBox1;
        HWND combo = ::GetDlgItem(dialog, id);
        ::SendMessageW(combo, CB_SETCURSEL, std::atoi(arg.c_str()), 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
        return 0;
    }
    if (action == "dialog-area") {
        HWND combo = ::GetDlgItem(dialog, kIdComboArea);
        const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring item(static_cast<size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1,
                              L'\0');
            item.resize(static_cast<size_t>(
                ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
            std::printf("%s\n", mrv::win::Narrow(item).c_str());
        }
        ::SendMessageW(combo, CB_SETCURSEL, std::atoi(arg.c_str()), 0);
        return 0;
    }
    if (action == "dialog-text") {
        // GetWindowText does not ask a control of another process for its text; the message does.
        wchar_t text[1024] = {};
        ::SendMessageW(::GetDlgItem(dialog, std::atoi(arg.c_str())), WM_GETTEXT, 1024,
                       reinterpret_cast<LPARAM>(text));
        std::printf("%s\n", Narrow(text).c_str());
        return 0;
    }
    if (action == "dialog-tab") {
        ::SendMessageW(::GetDlgItem(dialog, kIdTabs), TCM_SETCURFOCUS, std::atoi(arg.c_str()), 0);
        ::Sleep(300);
        return 0;
    }
    return Fail("unknown action");
}

}  // namespace

int main(int argc, char** argv) {
    const int rc = Run(argc, argv);
    std::fflush(stdout);
    return rc;
}
