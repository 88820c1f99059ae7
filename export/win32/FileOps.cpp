// File operations on Windows, by wide names.
#include "export/FileOps.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>

#include "common/PathText.h"
#include "common/win32/Handles.h"

namespace mrv::exporting::files {

namespace {

void CloseFind(HANDLE h) { ::FindClose(h); }
using UniqueFind = win::UniqueHandle<HANDLE, CloseFind, -1>;

int Errno(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return ENOENT;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EBUSY;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        default:
            return EIO;
    }
}

}  // namespace

bool IsFile(const std::string& path) {
    const DWORD a = ::GetFileAttributesW(Widen(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Same(const std::string& a, const std::string& b) {
    const auto id = [](const std::string& p, BY_HANDLE_FILE_INFORMATION& info) {
        win::UniqueFile h(::CreateFileW(
            Widen(p).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return h.get() != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(h.get(), &info);
    };
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    return id(a, ia) && id(b, ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

int Rename(const std::string& from, const std::string& to) {
    const std::wstring target = Widen(to);
    if (!::MoveFileExW(Widen(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = ::GetLastError();
        // Replacing a file that another program has open without delete sharing is refused as
        // access denied, as is replacing a read-only file or a folder: only the first passes.
        const DWORD a = ::GetFileAttributesW(target.c_str());
        const bool refused = a != INVALID_FILE_ATTRIBUTES &&
                             (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
        return error == ERROR_ACCESS_DENIED && !refused ? EBUSY : Errno(error);
    }
    // Staged files are hidden; what is moved into place is not.
    const DWORD a = ::GetFileAttributesW(target.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_HIDDEN) != 0) {
        ::SetFileAttributesW(target.c_str(), a & ~FILE_ATTRIBUTE_HIDDEN);
    }
    return 0;
}

void Remove(const std::string& path) { ::DeleteFileW(Widen(path).c_str()); }

int MakeFolder(const std::string& path) {
    const std::wstring name = Widen(path);
    if (!::CreateDirectoryW(name.c_str(), nullptr)) return Errno(::GetLastError());
    // A leading dot hides nothing on Windows: the attribute does.
    ::SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_HIDDEN);
    return 0;
}

void RemoveFolder(const std::string& path) {
    const std::wstring folder = Widen(path::Join(path, ""));
    WIN32_FIND_DATAW found{};
    const UniqueFind find(::FindFirstFileW((folder + L"*").c_str(), &found));
    if (find.get() != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                ::DeleteFileW((folder + found.cFileName).c_str());
            }
        } while (::FindNextFileW(find.get(), &found));
    }
    ::RemoveDirectoryW(Widen(path).c_str());
}

std::FILE* CreateNew(const std::string& path) {
    // CREATE_NEW: never an existing file, not even one made a moment ago by someone else.
    // Hidden: a staged file is not for the user's eyes until it is moved into place.
    const HANDLE h = ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        errno = Errno(::GetLastError());
        return nullptr;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(h);
        return nullptr;
    }
    std::FILE* f = ::_fdopen(fd, "wb");
    if (f == nullptr) ::_close(fd);
    return f;
}

std::FILE* OpenRead(const std::string& path) { return ::_wfopen(Widen(path).c_str(), L"rb"); }

}  // namespace mrv::exporting::files
