// Program lookup and Windows command-line quoting: the portable rules behind ChildProcess.
#pragma once

#include <functional>
#include <string>

namespace mrv::tools {

// One argument as CommandLineToArgvW and the C runtime split it back, byte for byte (UTF-8
// passes through: only ASCII quotes, backslashes and blanks are special). No shell sees it.
std::string QuoteWindowsArgument(const std::string& arg);

// `name` in `selfDir` (the folder of the running program) first, then in each folder of
// `pathValue` in order; empty when `isFile` accepts none.
std::string FindProgram(const std::string& name, const std::string& selfDir,
                        const std::string& pathValue, char separator,
                        const std::function<bool(const std::string&)>& isFile);

// A path the child cannot take for an option or another protocol ("-x", "name:"): ffmpeg's
// "file:" prefix.
std::string FfmpegFileArgument(const std::string& path);

}  // namespace mrv::tools
