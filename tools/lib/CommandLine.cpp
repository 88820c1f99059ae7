// Quoting after the rules of CommandLineToArgvW, and the lookup order of helper programs.
#include "tools/lib/CommandLine.h"

namespace mrv::tools {

std::string QuoteWindowsArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them.
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, '\\');  // they precede the closing quote
    out.push_back('"');
    return out;
}

std::string FindProgram(const std::string& name, const std::string& selfDir,
                        const std::string& pathValue, char separator,
                        const std::function<bool(const std::string&)>& isFile) {
#ifdef _WIN32
    constexpr char kSlash = '\\';
#else
    constexpr char kSlash = '/';
#endif
    // Joined as text: the names are UTF-8, which a narrow std::filesystem::path is not on Windows.
    const auto candidate = [&](const std::string& dir) {
        const char last = dir.back();
        return last == '/' || last == kSlash ? dir + name : dir + kSlash + name;
    };
    if (!selfDir.empty() && isFile(candidate(selfDir))) return candidate(selfDir);
    size_t start = 0;
    while (start <= pathValue.size()) {
        size_t end = pathValue.find(separator, start);
        if (end == std::string::npos) end = pathValue.size();
        std::string dir = pathValue.substr(start, end - start);
        // Windows allows quoted PATH entries; an empty entry is not the current folder here.
        if (dir.size() >= 2 && dir.front() == '"' && dir.back() == '"') {
            dir = dir.substr(1, dir.size() - 2);
        }
        if (!dir.empty() && isFile(candidate(dir))) return candidate(dir);
        start = end + 1;
    }
    return {};
}

std::string FfmpegFileArgument(const std::string& path) { return "file:" + path; }

}  // namespace mrv::tools
