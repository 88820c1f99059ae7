// Stream checks: the reader's own, then the accounting and audio rules it does not enforce.
#include "tools/lib/StreamCheck.h"

#include <cmath>

#include "recorder/StreamReader.h"

namespace mrv::tools {

StreamSummary CheckStream(std::span<const uint8_t> stream) {
    StreamSummary s;
    StreamReader reader;
    if (!reader.Open(stream)) {
        s.problems.push_back(reader.error());
        return s;
    }
    s.opened = true;
    s.header = reader.header();
    s.bitsPerPixel = reader.geometry().bitsPerPixel;
    const StreamHeader& h = s.header;
    if (!std::isfinite(h.startTime)) s.problems.push_back("start time is not a number");

    int32_t audioWithoutFormat = 0;
    int32_t ragged = 0;
    int32_t badPayloadStart = 0;
    for (;;) {
        const StreamReader::Next next = reader.ReadNext();
        if (next == StreamReader::Next::End) break;
        if (next == StreamReader::Next::Truncated) {
            s.cutOff = true;
            s.problems.push_back(
                "the last record is cut off after record " + std::to_string(s.records) + " (" +
                std::to_string(static_cast<int64_t>(stream.size()) - reader.offset()) +
                " bytes left)");
            break;
        }
        if (next == StreamReader::Next::Error) {
            s.problems.push_back(reader.error());
            break;
        }
        const FrameHeader& f = reader.frame();
        ++s.records;
        s.holdTicks += f.holdTicks;
        s.audioBytes += f.audioSize;
        s.payloadBytes += f.payloadSize;
        s.items += static_cast<int64_t>(reader.rects().size());
        if (f.audioSize != 0 && h.audioFormat == 0) ++audioWithoutFormat;
        if (f.audioSize % kGsmBlockBytes != 0) ++ragged;
        const size_t payloadAt =
            static_cast<size_t>(reader.recordOffset() + kFrameHeaderSize + f.audioSize);
        if (f.payloadSize < 2 || stream[payloadAt] != 0x78 || stream[payloadAt + 1] != 0x9C) {
            ++badPayloadStart;
        }
    }
    if (audioWithoutFormat > 0) {
        s.problems.push_back(std::to_string(audioWithoutFormat) +
                             " records carry audio in a recording without sound");
    }
    if (ragged > 0) {
        s.problems.push_back(std::to_string(ragged) +
                             " records carry audio that is not whole 65-byte GSM blocks");
    }
    if (badPayloadStart > 0) {
        s.problems.push_back(std::to_string(badPayloadStart) +
                             " payloads do not begin with the level-6 zlib header 78 9C");
    }
    s.neverStopped = h.frameCount == 0 && h.durationMs == kUnstoppedDurationMs;
    if (!s.neverStopped && int64_t{h.frameCount} != s.records + s.holdTicks) {
        s.problems.push_back("frameCount " + std::to_string(h.frameCount) + " is not records " +
                             std::to_string(s.records) + " + hold ticks " +
                             std::to_string(s.holdTicks));
    }
    return s;
}

}  // namespace mrv::tools
