// Drives the player's dialogs for its end-to-end tests, as a user fills them in.
//
// Usage: mrv_e2e_player ACTION [ARGS]
//   file NAME [TYPE [skip]]  waits for the Save As (or open) dialog, types NAME, picks the
//                            TYPE-th type (0-based) and ticks the skip-idle option, then Save
//   answer yes|no|retry|cancel|ok
//                            waits for the player's message box, prints its text, presses
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

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/win32/WinText.h"

namespace {

constexpr int kWaitMs = 20000;
constexpr int kIdFileName = 1148;  // the name box (ComboBoxEx32) of the common file dialogs
constexpr int kIdFileType = 1136;  // the list of types
constexpr int kIdSkipIdle = 1200;  // the player's own option below the dialog
constexpr int kIdMessageText = 0xFFFF;

struct Search {
    HWND found = nullptr;
    bool fileDialog = false;
};

BOOL CALLBACK FindDialog(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    wchar_t cls[16] = {};
    ::GetClassNameW(w, cls, 16);
    if (!::IsWindowVisible(w) || std::wstring(cls) != L"#32770") return TRUE;
    const bool hasName = ::GetDlgItem(w, kIdFileName) != nullptr;
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

// The option sits in a child dialog of the file dialog.
BOOL CALLBACK FindSkipIdle(HWND w, LPARAM lp) {
    if (::GetDlgCtrlID(w) != kIdSkipIdle) return TRUE;
    *reinterpret_cast<HWND*>(lp) = w;
    return FALSE;
}

int FillFileDialog(int argc, char** argv) {
    if (argc < 3) return 2;
    HWND dialog = WaitForDialog(true);
    if (!dialog) return 1;
    if (argc >= 4) {
        HWND types = ::GetDlgItem(dialog, kIdFileType);
        ::SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(argv[3])), 0);
        // As a pick from the list ends: some dialogs act on the change, some on the end.
        for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK}) {
            ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kIdFileType, code),
                           reinterpret_cast<LPARAM>(types));
        }
    }
    if (argc >= 5 && std::string(argv[4]) == "skip") {
        HWND skip = nullptr;
        ::EnumChildWindows(dialog, FindSkipIdle, reinterpret_cast<LPARAM>(&skip));
        if (!skip) return 1;
        ::SendMessageW(skip, BM_SETCHECK, BST_CHECKED, 0);
    }
    ::SetDlgItemTextW(dialog, kIdFileName, mrv::win::Widen(argv[2]).c_str());
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
    HWND player = ::FindWindowW(L"MorvantaPlayer", nullptr);
    if (!player) return 1;
    if (action == "close") return ::PostMessageW(player, WM_CLOSE, 0, 0) ? 0 : 1;
    if (action == "char" && argc == 3) {
        return ::PostMessageW(player, WM_CHAR, static_cast<unsigned char>(argv[2][0]), 0) ? 0 : 1;
    }
    if (action == "logoff") return LogOff(player);
    return 2;
}
