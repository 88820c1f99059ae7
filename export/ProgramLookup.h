// How helper programs are found and handed arguments: the PATH's folders, Windows quoting and
// ffmpeg's file names that cannot pass for options.
#pragma once

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

}  // namespace mrv::exporting
