// mrvtool info: what a recording holds and whether its stream keeps every rule.
#include <cmath>
#include <cstdio>

#include "common/PubUtils.h"
#include "tools/lib/StreamCheck.h"
#include "tools/mrvtool/RecordingInput.h"

namespace mrv::tools {

namespace {

// An OLE date (days since 1899-12-30) as "yyyy-mm-dd hh:mm:ss.mmm".
std::string DateText(double oleDate) {
    if (!std::isfinite(oleDate) || std::fabs(oleDate) > 3e6) return "out of range";
    const int64_t totalMs = std::llround(oleDate * 86400000.0);
    int64_t days = totalMs / 86400000;
    int64_t ms = totalMs % 86400000;
    if (ms < 0) {
        ms += 86400000;
        --days;
    }
    // Civil date from a day count (Howard Hinnant's algorithm); 1899-12-30 is day -25569 of
    // the Unix epoch, which the algorithm moves to 0000-03-01.
    const int64_t z = days - 25569 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld.%03lld",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(ms / 3600000),
                  static_cast<long long>(ms / 60000 % 60), static_cast<long long>(ms / 1000 % 60),
                  static_cast<long long>(ms % 1000));
    return text;
}

std::string AudioText(uint8_t format, int64_t bytes) {
    if (format == 0) return "none";
    AudioRate rate{};
    if (!AudioRateForFormat(format, rate)) return "unknown format " + std::to_string(format);
    return "GSM 6.10, " + std::to_string(rate.samplesPerSec) + " Hz, " +
           std::to_string(rate.avgBytesPerSec) + " bytes/s; " + std::to_string(bytes) + " bytes";
}

int RunInfo(const Args& args) {
    RecordingInput input;
    if (int rc = LoadRecording(args, input); rc != kExitOk) return rc;
    const StreamSummary s = CheckStream(input.stream());
    const StreamHeader& h = s.header;
    std::printf("file:           %s (%zu bytes)\n", args.positional[0].c_str(), input.file.size());
    std::printf("stream start:   %lld (%s)\n", static_cast<long long>(input.streamStart),
                input.how.c_str());
    if (s.opened) {
        std::printf("start time:     %s (%.6f)\n", DateText(h.startTime).c_str(), h.startTime);
        std::printf("screen:         %d x %d, %d bits per pixel\n", h.screenWidth, h.screenHeight,
                    s.bitsPerPixel);
        std::printf("bytesPerLine:   %d\nframeBytes:     %d\nbitmapInfoSize: %d\n", h.bytesPerLine,
                    h.frameBytes, h.bitmapInfoSize);
        std::printf("frameCount:     %d%s\n", h.frameCount,
                    s.neverStopped ? " (never stopped)" : "");
        std::printf("durationMs:     %d (%s)\n", h.durationMs, DurationText(h.durationMs).c_str());
        std::printf("records:        %d\n", s.records);
        std::printf("hold ticks:     %lld\n", static_cast<long long>(s.holdTicks));
        std::printf("ticks:          %lld\n", static_cast<long long>(s.records + s.holdTicks));
        std::printf("items:          %lld\n", static_cast<long long>(s.items));
        std::printf("payload bytes:  %lld\n", static_cast<long long>(s.payloadBytes));
        std::printf("audio:          %s\n", AudioText(h.audioFormat, s.audioBytes).c_str());
    }
    if (s.valid()) {
        std::printf("stream:         valid\n");
        return kExitOk;
    }
    std::printf("stream:         INVALID\n");
    for (const std::string& problem : s.problems) std::printf("  - %s\n", problem.c_str());
    return kExitInvalid;
}

const CommandRegistration kInfo{{"info", "info REC [--stub FILE]", RunInfo, {{"stub"}, {}}}};

}  // namespace
}  // namespace mrv::tools
