// Quoting after the rules of CommandLineToArgvW, and the PATH's folders in order.
#include "export/ProgramLookup.h"

namespace mrv::exporting {

std::vector<std::string> SplitPathVariable(const std::string& pathValue, char separator) {
    std::vector<std::string> dirs;
    size_t start = 0;
    while (start <= pathValue.size()) {
        size_t end = pathValue.find(separator, start);
        if (end == std::string::npos) end = pathValue.size();
        std::string dir = pathValue.substr(start, end - start);
        if (dir.size() >= 2 && dir.front() == '"' && dir.back() == '"') {
            dir = dir.substr(1, dir.size() - 2);
        }
        if (!dir.empty()) dirs.push_back(dir);
        start = end + 1;
    }
    return dirs;
}

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

std::string FfmpegFileArgument(const std::string& path) { return "file:" + path; }

}  // namespace mrv::exporting
