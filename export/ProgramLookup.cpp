// Quoting after the rules of CommandLineToArgvW, and the PATH's folders in order.
#include "export/ProgramLookup.h"

#include <cctype>

#include "common/PathText.h"

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

namespace {

// The folder part of a name, separators made one kind and letters one case on Windows, without
// a trailing separator.
std::string FolderKey(std::string name) {
#ifdef _WIN32
    for (char& c : name) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    constexpr char kSeparator = '\\';
#else
    constexpr char kSeparator = '/';
#endif
    while (name.size() > 1 && name.back() == kSeparator) name.pop_back();
    return name;
}

}  // namespace

bool InFolder(const std::string& file, const std::string& folder) {
    return !folder.empty() && FolderKey(path::Parent(file)) == FolderKey(folder);
}

void ErrorTail::Append(std::span<const uint8_t> bytes) {
    // Enough for a few long lines; the rest of a long output is of no use to a message.
    constexpr size_t kKeepBytes = 4096;
    std::lock_guard lock(mutex_);
    tail_.append(bytes.begin(), bytes.end());
    if (tail_.size() > 2 * kKeepBytes) tail_.erase(0, tail_.size() - kKeepBytes);
}

std::string ErrorTail::LastLine() const {
    std::lock_guard lock(mutex_);
    size_t end = tail_.size();
    while (end > 0 && std::isspace(static_cast<unsigned char>(tail_[end - 1]))) --end;
    if (end == 0) return {};
    const size_t start = tail_.find_last_of("\r\n", end - 1);
    const size_t from = start == std::string::npos ? 0 : start + 1;
    std::string line = tail_.substr(from, end - from);
    if (line.size() > kMaxLineBytes) {
        size_t cut = kMaxLineBytes;  // not inside a UTF-8 character
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        line = line.substr(0, cut) + "...";
    }
    return line;
}

}  // namespace mrv::exporting
