// UTF-8 file names to and from std::filesystem paths for the tools, so that Windows opens them
// with the wide API instead of the ANSI code page. The player keeps to PathText.h's strings.
#pragma once

#include <filesystem>
#include <string>

#include "common/PathText.h"

namespace mrv {

inline std::filesystem::path Utf8Path(const std::string& utf8) {
#ifndef _WIN32
    return std::filesystem::path(utf8);
#else
    return std::filesystem::path(Widen(utf8));
#endif
}

inline std::string PathUtf8(const std::filesystem::path& path) {
#ifndef _WIN32
    return path.native();
#else
    return Narrow(path.native());
#endif
}

}  // namespace mrv
