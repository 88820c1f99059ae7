// Loading the recording named on the command line, with or without the stub to skip.
#include "tools/mrvtool/RecordingInput.h"

#include <cstdio>

#include "tools/lib/StreamLocator.h"

namespace mrv::tools {

int LoadRecording(const Args& args, RecordingInput& input) {
    if (args.positional.size() != 1) return UsageError("expected one recording file");
    const std::string& path = args.positional[0];
    std::string error;
    if (!ReadWholeFile(path, input.file, error)) return UsageError(error);
    std::vector<uint8_t> stub;
    const auto stubPath = args.Option("stub");
    if (stubPath && !ReadWholeFile(*stubPath, stub, error)) return UsageError(error);
    const auto start = FindStreamStart(input.file, stubPath ? &stub : nullptr, error);
    if (!start) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
        return kExitInvalid;
    }
    input.streamStart = start->offset;
    input.how = start->how;
    return kExitOk;
}

}  // namespace mrv::tools
