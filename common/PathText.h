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
inline std::wstring Widen(const std::string& utf8) {
    std::wstring wide;
    wide.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int extra = b < 0x80   ? 0
                          : b < 0xC2 ? -1
                          : b < 0xE0 ? 1
                          : b < 0xF0 ? 2
                          : b < 0xF5 ? 3
                                     : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
        int taken = 0;
        bool valid = extra >= 0;
        while (valid && taken < extra) {
            const size_t at = i + 1 + static_cast<size_t>(taken);
            const auto n = at < utf8.size() ? static_cast<unsigned char>(utf8[at]) : 0;
            valid = (n & 0xC0) == 0x80;
            if (!valid) break;
            c = (c << 6) | (n & 0x3F);
            ++taken;
        }
        // Overlong three- and four-byte forms, encoded surrogates and code points past U+10FFFF.
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (valid && (c < kLeast[extra] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)) {
            valid = false;
        }
        // A broken sequence is one U+FFFD; the byte that broke it starts the next.
        i += valid ? static_cast<size_t>(extra) + 1 : static_cast<size_t>(taken) + 1;
        if (!valid) c = 0xFFFD;
        if (c >= 0x10000 && sizeof(wchar_t) == 2) {
            wide.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
            wide.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            wide.push_back(static_cast<wchar_t>(c));
        }
    }
    return wide;
}

inline std::string Narrow(const std::wstring& wide) {
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char32_t>(wide[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() &&
            static_cast<char32_t>(wide[i + 1]) >= 0xDC00 &&
            static_cast<char32_t>(wide[i + 1]) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(wide[++i]) - 0xDC00);
        } else if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// The names SaveAsUi.cpp and export/win32/FileOps.cpp still use while they are being reworked
// on other branches; to go once those have moved over to Widen and Narrow.
inline std::wstring Utf8ToWide(const std::string& utf8) { return Widen(utf8); }
inline std::string WideToUtf8(const std::wstring& wide) { return Narrow(wide); }

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
