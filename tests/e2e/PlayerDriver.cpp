// Drives the player's dialogs for its end-to-end tests, as a user fills them in.
//
// Usage: mrv_e2e_player ACTION [ARGS]
//   file NAME [TYPE] [skip] [speed=I] [width=I]
//                            waits for the Save As (or open) dialog, types NAME, picks the
//                            TYPE-th type (0-based), ticks the skip-idle option and picks the
//                            I-th speed and width, then Save; prints the estimate shown
//   where                    waits for the Save As dialog and prints its place: X Y W H
//   answer yes|no|retry|cancel|ok
//                            waits for the player's message box, prints its text, presses that
//                            button
//   close                    asks the player window to close, as its close box would
//   char C                   posts the character C to the player, with no key behind it
//   logoff                   sends the player what a log-off sends, and prints its answer
//   closetitle TITLE         asks the top-level window called TITLE to close
//   clipboard                prints the files on the clipboard ("file NAME" lines) and the
//                            drop effect a paste is asked for ("effect N")
#include <windows.h>
// After windows.h, which they build on.
#include <shellapi.h>
#include <shlobj.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/win32/WinText.h"
#include "player/win32/PlayerResources.h"

namespace {

constexpr int kWaitMs = 20000;
constexpr int kIdFileName = 1148;      // the name box (ComboBoxEx32) of the older file dialog
constexpr int kIdItemFileName = 1152;  // the name's Edit in Wine's Common Item Dialog
constexpr int kIdFileType = 1136;      // the list of types, in both
constexpr int kIdMessageText = 0xFFFF;

std::wstring ClassOf(HWND w) {
    wchar_t cls[32] = {};
    ::GetClassNameW(w, cls, 32);
    return cls;
}

struct Search {
    HWND found = nullptr;
    bool fileDialog = false;
};

BOOL CALLBACK FindDialog(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    if (!::IsWindowVisible(w) || ClassOf(w) != L"#32770") return TRUE;
    const bool hasName =
        ::GetDlgItem(w, kIdFileName) != nullptr || ::GetDlgItem(w, kIdItemFileName) != nullptr;
    if (hasName != search->fileDialog) return TRUE;
    search->found = w;
    return FALSE;
}

HWND WaitForDialog(bool fileDialog) {
    for (int waited = 0; waited < kWaitMs; waited += 50) {
        Search search{nullptr, fileDialog};
        ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            ::Sleep(300);  // let it finish opening
            return search.found;
        }
        ::Sleep(50);
    }
    return nullptr;
}

// The options, in the order skip idle, speed, width, estimate: in the older dialog by their ids;
// in Wine's Common Item Dialog (each control in a FloatNotifySink, with ids Wine gives) in the
// order they were added, the estimate's text last.
using Options = std::array<HWND, 4>;

BOOL CALLBACK FindOptions(HWND w, LPARAM lp) {
    Options& o = *reinterpret_cast<Options*>(lp);
    const int id = ::GetDlgCtrlID(w);
    if (id >= IDC_SKIP_IDLE && id <= IDC_SAVE_ESTIMATE) {
        o[static_cast<size_t>(id - IDC_SKIP_IDLE)] = w;
    } else if (ClassOf(::GetParent(w)) == L"FloatNotifySink") {
        const std::wstring cls = ClassOf(w);
        if (cls == L"Button") o[0] = w;
        if (cls == L"ComboBox") o[o[1] ? 2 : 1] = w;
        if (cls == L"Static") o[3] = w;
    }
    return TRUE;
}

// Changes a control as a click would, telling its parent so that the dialog follows.
void Pick(HWND control, int index) {
    const bool list = ClassOf(control) == L"ComboBox";
    ::SendMessageW(control, list ? CB_SETCURSEL : BM_SETCHECK, static_cast<WPARAM>(index), 0);
    ::SendMessageW(::GetParent(control), WM_COMMAND,
                   MAKEWPARAM(::GetDlgCtrlID(control), list ? CBN_SELCHANGE : BN_CLICKED),
                   reinterpret_cast<LPARAM>(control));
}

int FillFileDialog(int argc, char** argv) {
    if (argc < 3) return 2;
    HWND dialog = WaitForDialog(true);
    if (!dialog) return 1;
    Options options{};
    ::EnumChildWindows(dialog, FindOptions, reinterpret_cast<LPARAM>(&options));
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "skip" || arg.rfind("speed=", 0) == 0 || arg.rfind("width=", 0) == 0) {
            HWND control = options[arg == "skip" ? 0 : arg[1] == 'p' ? 1 : 2];
            if (!control) return 1;
            Pick(control, arg == "skip" ? BST_CHECKED : std::atoi(arg.c_str() + 6));
            continue;
        }
        HWND types = ::GetDlgItem(dialog, kIdFileType);
        ::SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(arg.c_str())), 0);
        // As a pick from the list ends: some dialogs act on the change, some on the end.
        for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK}) {
            ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kIdFileType, code),
                           reinterpret_cast<LPARAM>(types));
        }
    }
    if (options[3]) {
        wchar_t text[256] = {};
        ::GetWindowTextW(options[3], text, 256);
        std::printf("estimate %s\n", mrv::win::Narrow(text).c_str());
    }
    const int nameId = ::GetDlgItem(dialog, kIdFileName) ? kIdFileName : kIdItemFileName;
    ::SetDlgItemTextW(dialog, nameId, mrv::win::Widen(argv[2]).c_str());
    ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return 0;
}

int Answer(const std::string& how) {
    HWND box = WaitForDialog(false);
    if (!box) return 1;
    wchar_t text[1024] = {};
    ::GetDlgItemTextW(box, kIdMessageText, text, 1024);
    std::printf("%s\n", mrv::win::Narrow(text).c_str());
    const int id = how == "yes"      ? IDYES
                   : how == "no"     ? IDNO
                   : how == "retry"  ? IDRETRY
                   : how == "cancel" ? IDCANCEL
                                     : IDOK;
    ::PostMessageW(::GetDlgItem(box, id), BM_CLICK, 0, 0);
    return 0;
}

int Clipboard() {
    bool open = false;
    for (int waited = 0; !open && waited < kWaitMs; waited += 100) {
        open = ::OpenClipboard(nullptr) != FALSE;
        if (!open) ::Sleep(100);
    }
    if (!open) return 1;
    int code = 1;
    if (auto drop = static_cast<HDROP>(::GetClipboardData(CF_HDROP))) {
        const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::wstring name(::DragQueryFileW(drop, i, nullptr, 0), L'\0');
            ::DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size() + 1));
            std::printf("file %s\n", mrv::win::Narrow(name).c_str());
        }
        code = 0;
    }
    const UINT format = ::RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT);
    if (HANDLE effect = ::GetClipboardData(format)) {
        if (const auto* value = static_cast<const DWORD*>(::GlobalLock(effect))) {
            std::printf("effect %lu\n", static_cast<unsigned long>(*value));
            ::GlobalUnlock(effect);
        }
    }
    ::CloseClipboard();
    return code;
}

// As the system does: the question first, then the end, each waited for.
int LogOff(HWND player) {
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(player, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK,
                               kWaitMs, &answer)) {
        return 1;
    }
    std::printf("query %d\n", answer ? 1 : 0);
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(player, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK,
                                 kWaitMs, &ignored)
               ? 0
               : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string action = argv[1];
    if (action == "file") return FillFileDialog(argc, argv);
    if (action == "answer" && argc == 3) return Answer(argv[2]);
    if (action == "clipboard") return Clipboard();
    if (action == "closetitle" && argc == 3) {
        HWND w = ::FindWindowW(nullptr, mrv::win::Widen(argv[2]).c_str());
        return w && ::PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (action == "where") {
        HWND dialog = WaitForDialog(true);
        RECT r{};
        if (!dialog || !::GetWindowRect(dialog, &r)) return 1;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    HWND player = ::FindWindowW(L"MorvantaPlayer", nullptr);
    if (!player) return 1;
    if (action == "close") return ::PostMessageW(player, WM_CLOSE, 0, 0) ? 0 : 1;
    if (action == "char" && argc == 3) {
        return ::PostMessageW(player, WM_CHAR, static_cast<unsigned char>(argv[2][0]), 0) ? 0 : 1;
    }
    if (action == "logoff") return LogOff(player);
    return 2;
}
