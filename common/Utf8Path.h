// UTF-8 file names to and from std::filesystem paths, so that Windows opens them with the wide
// API instead of the ANSI code page.
#pragma once

#include <filesystem>
#include <string>

namespace mrv {

inline std::filesystem::path Utf8Path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string PathUtf8(const std::filesystem::path& path) {
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

}  // namespace mrv
