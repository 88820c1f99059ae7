// Option parsing for the tools: known options only, each valued one with its value.
#include "tools/lib/Options.h"

#include <algorithm>

namespace mrv::tools {

bool Args::Flag(const std::string& name) const {
    return std::find(flags.begin(), flags.end(), name) != flags.end();
}

std::optional<std::string> Args::Option(const std::string& name) const {
    const auto it = options.find(name);
    if (it == options.end()) return std::nullopt;
    return it->second;
}

bool ParseArguments(const std::vector<std::string>& arguments, const KnownOptions& known,
                    Args& args, std::string& error) {
    const auto listed = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    // Values never start with "--"; an option that silently did nothing would let a mistyped
    // name pass for a run with the defaults.
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a.rfind("--", 0) != 0) {
            args.positional.push_back(a);
            continue;
        }
        const std::string name = a.substr(2);
        if (listed(known.flags, name)) {
            args.flags.push_back(name);
        } else if (!listed(known.valued, name)) {
            error = "unknown option " + a;
            return false;
        } else if (i + 1 < arguments.size() && arguments[i + 1].rfind("--", 0) != 0) {
            args.options[name] = arguments[++i];
        } else {
            // Given without its value: the command says what the value should be.
            args.flags.push_back(name);
        }
    }
    return true;
}

}  // namespace mrv::tools
