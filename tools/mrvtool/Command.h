// mrvtool's commands: parsed arguments and the registry each command file adds itself to.
#pragma once

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

// Exit codes shared by all commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitInvalid = 1;   // the input is not what it should be
inline constexpr int kExitUsage = 2;     // bad command line or an unreadable/unwritable file
inline constexpr int kExitNoMemory = 3;  // the recording needs more memory than there is

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const Args&);
};

// A command file registers itself with one line:
//   const CommandRegistration kInfo{{"info", "info REC [--stub FILE]", RunInfo}};
struct CommandRegistration {
    explicit CommandRegistration(Command command);
};

const std::vector<Command>& Commands();
int UsageError(const std::string& message);

}  // namespace mrv::tools
