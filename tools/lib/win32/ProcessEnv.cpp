// mrvtool's program environment on Windows.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <atomic>
#include <cwchar>

#include "common/win32/WinText.h"
#include "tools/lib/ProcessEnv.h"

namespace mrv::tools {

namespace {

std::atomic<bool> interrupted{false};
// Set once the command has removed its staged and temporary files.
HANDLE cleanedUp = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event) {
    interrupted = true;
    // Ctrl+C and Ctrl+Break: handled, the export stops between pieces and cleans up. Closing
    // the console, logging off and shutting down end the process as soon as this returns, so
    // it waits for the cleanup first (the system allows about five seconds).
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        if (cleanedUp) ::WaitForSingleObject(cleanedUp, 4500);
    }
    return TRUE;
}

}  // namespace

std::string SelfDirectory() { return win::Narrow(win::ProgramFolder()); }

std::string PathVariable() {
    const wchar_t* path = ::_wgetenv(L"PATH");
    return path ? win::Narrow(path) : std::string();
}

void CatchInterrupts() {
    // Never closed: the handler may run until the process ends.
    if (!cleanedUp) cleanedUp = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void CleanedUp() {
    if (cleanedUp) ::SetEvent(cleanedUp);
}

bool Interrupted() { return interrupted; }

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int n = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &n);
    if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(win::Narrow(wide[i]));
    ::LocalFree(wide);
    return out;
}

}  // namespace mrv::tools
