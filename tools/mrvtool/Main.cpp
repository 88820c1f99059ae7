// mrvtool: inspects recordings, exports their frames and replays frames through the engine.
#include <cstdio>
#include <cstring>

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
Args Parse(int argc, char** argv) {
    Args args;
    for (int i = 2; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) != 0) {
            args.positional.push_back(argv[i]);
        } else if (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0) {
            args.options[argv[i] + 2] = argv[i + 1];
            ++i;
        } else {
            args.flags.push_back(argv[i] + 2);
        }
    }
    return args;
}

}  // namespace
}  // namespace mrv::tools

int main(int argc, char** argv) {
    using namespace mrv::tools;
    if (argc < 2) return PrintUsage();
    for (const Command& c : Commands()) {
        if (std::strcmp(argv[1], c.name) == 0) return c.run(Parse(argc, argv));
    }
    std::fprintf(stderr, "mrvtool: unknown command \"%s\"\n", argv[1]);
    return PrintUsage();
}
