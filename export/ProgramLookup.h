// How helper programs are found, handed arguments and heard: the PATH's folders, the folder
// never trusted, Windows quoting, ffmpeg's file names that cannot pass for options, and the
// last line of what a child wrote to its error output.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace mrv::exporting {

// The folders of a PATH value in order; empty entries dropped (not the current folder here),
// Windows' quoted entries unquoted.
std::vector<std::string> SplitPathVariable(const std::string& pathValue, char separator);

// One argument as CommandLineToArgvW and the C runtime split it back, byte for byte (UTF-8
// passes through: only ASCII quotes, backslashes and blanks are special). No shell sees it.
std::string QuoteWindowsArgument(const std::string& arg);

// A path the child cannot take for an option or another protocol ("-x", "name:"): ffmpeg's
// "file:" prefix.
std::string FfmpegFileArgument(const std::string& path);

// True when `file` lies directly in `folder` (Windows: '\\' or '/', case ignored for ASCII
// letters, a trailing separator or none). A program found in a received recording's own folder
// (Downloads, a mail attachment's) is never run: anyone could have put it there.
bool InFolder(const std::string& file, const std::string& folder);

// The end of a child's error output, fed from the thread that drains it: its last line is what
// a failure shows (a window program has no console where ffmpeg's words would appear).
class ErrorTail {
  public:
    void Append(std::span<const uint8_t> bytes);
    // The last line that is not blank, without its line end, at most kMaxLineBytes.
    std::string LastLine() const;
    static constexpr size_t kMaxLineBytes = 300;

  private:
    mutable std::mutex mutex_;
    std::string tail_;
};

}  // namespace mrv::exporting
