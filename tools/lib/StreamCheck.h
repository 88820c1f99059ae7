// Reads a whole recording stream and checks every invariant the recorder keeps.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "recorder/StreamFormat.h"

namespace mrv::tools {

struct StreamSummary {
    bool opened = false;  // header and bitmap-info block were readable
    StreamHeader header;
    int bitsPerPixel = 0;
    int32_t records = 0;
    int64_t holdTicks = 0;
    int64_t audioBytes = 0;
    int64_t payloadBytes = 0;
    int64_t items = 0;
    bool neverStopped = false;
    bool cutOff = false;
    std::vector<std::string> problems;  // empty when the stream is valid

    bool valid() const { return problems.empty(); }
};

StreamSummary CheckStream(std::span<const uint8_t> stream);

}  // namespace mrv::tools
