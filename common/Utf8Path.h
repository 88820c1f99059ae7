// UTF-8 file names to and from std::filesystem paths, so that Windows opens them with the wide
// API instead of the ANSI code page. Converted by hand: the standard library's conversions would
// bring its locale machinery (a megabyte) into the player.
#pragma once

#include <filesystem>
#include <string>

namespace mrv {

inline std::filesystem::path Utf8Path(const std::string& utf8) {
#ifndef _WIN32
    return std::filesystem::path(utf8);
#else
    {
        std::wstring wide;
        for (size_t i = 0; i < utf8.size();) {
            const auto b = static_cast<unsigned char>(utf8[i]);
            const int extra = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
            char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
            bool valid = extra >= 0 && i + static_cast<size_t>(extra) < utf8.size() + (extra == 0);
            for (int k = 1; valid && k <= extra; ++k) {
                const auto n = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
                valid = (n & 0xC0) == 0x80;
                c = (c << 6) | (n & 0x3F);
            }
            i += valid ? static_cast<size_t>(extra) + 1 : 1;
            if (!valid || c > 0x10FFFF) c = 0xFFFD;
            if (c >= 0x10000) {
                wide.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
                wide.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                wide.push_back(static_cast<wchar_t>(c));
            }
        }
        return std::filesystem::path(wide);
    }
#endif
}

inline std::string PathUtf8(const std::filesystem::path& path) {
#ifndef _WIN32
    return path.native();
#else
    {
        const auto& wide = path.native();
        std::string out;
        for (size_t i = 0; i < wide.size(); ++i) {
            char32_t c = static_cast<char16_t>(wide[i]);
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() &&
                static_cast<char16_t>(wide[i + 1]) >= 0xDC00 &&
                static_cast<char16_t>(wide[i + 1]) < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(wide[++i]) - 0xDC00);
            } else if (c >= 0xD800 && c < 0xE000) {
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
#endif
}

}  // namespace mrv
