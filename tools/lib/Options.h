// The tools' command lines: each command's known options, and the parser that refuses others.
#pragma once

#include <cstdint>
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
struct KnownOptions {
    std::vector<std::string> valued;  // "--name value"
    std::vector<std::string> flags;   // "--name"
};

// Splits a command's arguments into positionals, options and flags (a valued option given
// without its value counts as a flag). False, with `error` set, for an option the command does
// not know.
bool ParseArguments(const std::vector<std::string>& arguments, const KnownOptions& known,
                    Args& args, std::string& error);

// A time as [[hh:]mm:]ss[.mmm] in milliseconds: "90", "1:30", "0:01:30.5" and "1:30.250" are
// all well formed; minutes and seconds after a colon are below 60. Nothing for anything else.
std::optional<int64_t> ParseClockTime(const std::string& text);

}  // namespace mrv::tools
