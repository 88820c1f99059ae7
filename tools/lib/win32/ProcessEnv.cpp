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

BOOL WINAPI OnConsoleControl(DWORD) {
    interrupted = true;
    return TRUE;  // handled: the export stops between pieces and cleans up
}

}  // namespace

std::string SelfDirectory() { return win::Narrow(win::ProgramFolder()); }

std::string PathVariable() {
    const wchar_t* path = ::_wgetenv(L"PATH");
    return path ? win::Narrow(path) : std::string();
}

void CatchInterrupts() { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

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
