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

bool Args::Flag(const std::string& name) const {
    for (const std::string& f : flags) {
        if (f == name) return true;
    }
    return false;
}

std::optional<std::string> Args::Option(const std::string& name) const {
    const auto it = options.find(name);
    if (it == options.end()) return std::nullopt;
    return it->second;
}

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

// Values never start with "--", so an option followed by another option (or nothing) is a flag.
Args Parse(const std::vector<std::string>& argv) {
    Args args;
    const auto isOption = [](const std::string& a) { return a.rfind("--", 0) == 0; };
    for (size_t i = 2; i < argv.size(); ++i) {
        if (!isOption(argv[i])) {
            args.positional.push_back(argv[i]);
        } else if (i + 1 < argv.size() && !isOption(argv[i + 1])) {
            args.options[argv[i].substr(2)] = argv[i + 1];
            ++i;
        } else {
            args.flags.push_back(argv[i].substr(2));
        }
    }
    return args;
}

int Run(const std::vector<std::string>& argv) {
    if (argv.size() < 2) return PrintUsage();
    for (const Command& c : Commands()) {
        if (argv[1] == c.name) return c.run(Parse(argv));
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
