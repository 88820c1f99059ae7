// File operations on POSIX.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "common/PathText.h"
#include "export/FileOps.h"

namespace mrv::exporting::files {

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Same(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

int Rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void Remove(const std::string& path) { ::unlink(path.c_str()); }

int MakeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0700) == 0 ? 0 : errno; }

void RemoveFolder(const std::string& path) {
    if (DIR* dir = ::opendir(path.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") ::unlink(path::Join(path, name).c_str());
        }
        ::closedir(dir);
    }
    ::rmdir(path.c_str());
}

std::FILE* CreateNew(const std::string& path) { return std::fopen(path.c_str(), "wbx"); }

std::FILE* OpenRead(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

}  // namespace mrv::exporting::files
