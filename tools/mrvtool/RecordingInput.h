// The REC argument of info and frames: the file, read whole, and where its stream starts.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tools/mrvtool/Command.h"

namespace mrv::tools {

struct RecordingInput {
    std::vector<uint8_t> file;
    int64_t streamStart = 0;
    std::string how;
    std::span<const uint8_t> stream() const {
        return std::span<const uint8_t>(file).subspan(static_cast<size_t>(streamStart));
    }
};

// Reads positional[0] and the optional --stub; on failure prints why and returns the exit code.
int LoadRecording(const Args& args, RecordingInput& input);

}  // namespace mrv::tools
