// The tools' command lines: option parsing, program lookup and Windows argument quoting.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mrv::tools {

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--name value", stored without the dashes
    std::vector<std::string> flags;              // "--name" with no value
    bool Flag(const std::string& name) const;
    std::optional<std::string> Option(const std::string& name) const;
};

// The options one command knows, without their dashes.
struct OptionSpec {
    std::vector<std::string> valued;  // "--name value"
    std::vector<std::string> flags;   // "--name"
};

// Splits a command's arguments into positionals, options and flags. False, with `error` set,
// for an option the command does not know or one given without its value.
bool ParseArguments(const std::vector<std::string>& arguments, const OptionSpec& known, Args& args,
                    std::string& error);

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
