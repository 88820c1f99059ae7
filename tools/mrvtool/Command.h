// mrvtool's commands: parsed arguments and the registry each command file adds itself to.
#pragma once

#include <string>
#include <vector>

#include "tools/lib/Options.h"

namespace mrv::tools {

// Exit codes shared by all commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitInvalid = 1;   // the input is not what it should be
inline constexpr int kExitUsage = 2;     // bad command line or an unreadable/unwritable file
inline constexpr int kExitNoMemory = 3;  // the recording needs more memory than there is

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const Args&);
    KnownOptions options;  // anything else on its command line is refused
};

// A command file registers itself with one line:
//   const CommandRegistration kInfo{{"info", "info REC [--stub FILE]", RunInfo, {{"stub"}, {}}}};
struct CommandRegistration {
    explicit CommandRegistration(Command command);
};

const std::vector<Command>& Commands();
int UsageError(const std::string& message);

}  // namespace mrv::tools
