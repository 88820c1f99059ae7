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

std::optional<int64_t> ParseClockTime(const std::string& text) {
    // At most three fields of digits, the last with up to three decimals.
    std::vector<int64_t> fields{0};
    int digits = 0;
    int64_t fraction = 0;
    int decimals = -1;  // none yet
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (decimals >= 0) {
                if (++decimals > 3) return std::nullopt;
                fraction = fraction * 10 + (c - '0');
                continue;
            }
            // A day of seconds at most in any field: no overflow, no absurd input.
            if (++digits > 6) return std::nullopt;
            fields.back() = fields.back() * 10 + (c - '0');
        } else if (c == ':' && decimals < 0 && digits > 0 && fields.size() < 3) {
            fields.push_back(0);
            digits = 0;
        } else if (c == '.' && decimals < 0 && digits > 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || decimals == 0) return std::nullopt;
    for (size_t i = 1; i < fields.size(); ++i) {
        if (fields[i] >= 60) return std::nullopt;
    }
    int64_t seconds = 0;
    for (const int64_t f : fields) seconds = seconds * 60 + f;
    while (decimals >= 0 && decimals < 3) fraction *= 10, ++decimals;
    return seconds * 1000 + fraction;
}

}  // namespace mrv::tools
