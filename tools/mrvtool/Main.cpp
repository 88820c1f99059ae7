// mrvtool: inspects recordings, exports their frames and replays frames through the engine.
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

#include "common/Texts.h"
#include "tools/lib/ProcessEnv.h"
#include "tools/mrvtool/Command.h"

namespace mrv::tools {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}
}  // namespace

CommandRegistration::CommandRegistration(Command command) { Registry().push_back(command); }

const std::vector<Command>& Commands() { return Registry(); }

int UsageError(const std::string& message) {
    std::fprintf(stderr, "mrvtool: %s\n", message.c_str());
    return kExitUsage;
}

namespace {

int PrintUsage() {
    std::fprintf(stderr, "usage:\n");
    for (const Command& c : Commands()) std::fprintf(stderr, "  mrvtool %s\n", c.usage);
    return kExitUsage;
}

int Run(const std::vector<std::string>& argv) {
    if (argv.size() < 2) return PrintUsage();
    for (const Command& c : Commands()) {
        if (argv[1] != c.name) continue;
        Args args;
        std::string error;
        if (!ParseArguments({argv.begin() + 2, argv.end()}, c.options, args, error)) {
            std::fprintf(stderr, "mrvtool: %s\nusage: mrvtool %s\n", error.c_str(), c.usage);
            return kExitUsage;
        }
        return c.run(args);
    }
    std::fprintf(stderr, "mrvtool: unknown command \"%s\"\n", argv[1].c_str());
    return PrintUsage();
}

}  // namespace
}  // namespace mrv::tools

int main(int argc, char** argv) {
    using namespace mrv::tools;
    // A recording can ask for more than the machine has: say so and leave, never crash.
    try {
        return Run(Utf8Arguments(argc, argv));
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "mrvtool: %s\n", mrv::text::kToolOutOfMemory);
    } catch (const std::length_error&) {
        std::fprintf(stderr, "mrvtool: %s\n", mrv::text::kToolOutOfMemory);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mrvtool: %s\n", e.what());
        return kExitInvalid;
    }
    return kExitNoMemory;
}
