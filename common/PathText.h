// File names as UTF-8 strings: the few name operations the player needs, and the conversion to
// and from the UTF-16 of the wide Windows calls (the program's only one). Done by hand because
// std::filesystem::path and the library's conversions bring its locale machinery (over half a
// megabyte) into the player that every recording carries.
#pragma once

#include <string>

namespace mrv {

// The program's one UTF-8 <-> UTF-16 conversion (UTF-32 where wchar_t is 32 bits, as on the
// native test build). A byte that does not begin a whole, shortest, valid sequence becomes
// U+FFFD, as the system's own conversion does; so do unpaired surrogates.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

namespace path {

#ifdef _WIN32
inline constexpr const char* kSeparators = "\\/";
inline constexpr char kSeparator = '\\';
#else
inline constexpr const char* kSeparators = "/";
inline constexpr char kSeparator = '/';
#endif

// Where the last component starts (after the last separator, or after a drive's "C:").
inline size_t NameStart(const std::string& path) {
    const size_t slash = path.find_last_of(kSeparators);
#ifdef _WIN32
    if (slash == std::string::npos && path.size() >= 2 && path[1] == ':') return 2;
#endif
    return slash == std::string::npos ? 0 : slash + 1;
}

// The root a folder name cannot lose: "/", "C:", "C:\", "\".
inline size_t RootLength(const std::string& path) {
    size_t n = 0;
#ifdef _WIN32
    if (path.size() >= 2 && path[1] == ':') n = 2;
#endif
    if (n < path.size() && std::string(kSeparators).find(path[n]) != std::string::npos) ++n;
    return n;
}

inline std::string FileName(const std::string& path) { return path.substr(NameStart(path)); }

// The folder part, without trailing separators beyond its root; empty for a bare name.
inline std::string Parent(const std::string& path) {
    std::string dir = path.substr(0, NameStart(path));
    const size_t root = RootLength(dir);
    while (dir.size() > root && std::string(kSeparators).find(dir.back()) != std::string::npos) {
        dir.pop_back();
    }
    return dir;
}

// From the last dot of the name, dot included; none for ".", ".." and a leading dot.
inline std::string Extension(const std::string& path) {
    const std::string name = FileName(path);
    if (name == "." || name == "..") return {};
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
}

inline std::string Stem(const std::string& path) {
    const std::string name = FileName(path);
    return name.substr(0, name.size() - Extension(path).size());
}

// `extension` with its dot.
inline std::string ReplaceExtension(const std::string& path, const std::string& extension) {
    return path.substr(0, path.size() - Extension(path).size()) + extension;
}

// `name` in the folder `dir` (a bare name when `dir` is empty).
inline std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    const char last = dir.back();
    const bool ends = std::string(kSeparators).find(last) != std::string::npos
#ifdef _WIN32
                      || (dir.size() == 2 && last == ':')
#endif
        ;
    return ends ? dir + name : dir + kSeparator + name;
}

}  // namespace path

}  // namespace mrv
