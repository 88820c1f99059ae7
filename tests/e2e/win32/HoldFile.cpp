// Holds a file open as a viewer or a sync client does, reading and writing shared but not
// delete: nobody can replace or remove it meanwhile. `mrv_e2e_holdfile FILE MS` lets go after MS
// milliseconds, `mrv_e2e_holdfile FILE RELEASE` once the file RELEASE exists. Prints "held".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/win32/Handles.h"
#include "common/win32/WinText.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const mrv::win::UniqueFile file(::CreateFileW(mrv::win::Widen(argv[1]).c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return 1;
    std::printf("held\n");
    std::fflush(stdout);
    char* end = nullptr;
    const long ms = std::strtol(argv[2], &end, 10);
    if (*end == '\0') {
        ::Sleep(static_cast<DWORD>(ms));
        return 0;
    }
    const std::wstring release = mrv::win::Widen(argv[2]);
    while (::GetFileAttributesW(release.c_str()) == INVALID_FILE_ATTRIBUTES) ::Sleep(50);
    return 0;
}
