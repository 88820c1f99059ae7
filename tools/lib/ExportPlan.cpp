// Export pacing and limits, kept free of I/O so that tests and the fuzz target can drive them.
#include "tools/lib/ExportPlan.h"

#include <algorithm>
#include <cmath>

#include "common/Texts.h"

namespace mrv::tools {

namespace {
std::string Hours(int64_t ms) { return std::to_string(ms / (60 * 60 * 1000)); }
}  // namespace

int64_t TickMicros(double tickMs) {
    if (!(tickMs > 0)) return 1;
    return std::max<int64_t>(std::llround(std::min(tickMs, 1e12) * 1000), 1);
}

int64_t MaxTicksPerFrame(double tickMs, int64_t maxFrameMs) {
    if (maxFrameMs <= 0) return INT64_MAX;
    return std::max<int64_t>(maxFrameMs * 1000 / TickMicros(tickMs), 1);
}

void FrameTicks(int64_t firstTick, int64_t ticks, bool lastRecord, int64_t maxTicks,
                std::vector<int64_t>& out) {
    if (ticks < 1) ticks = 1;
    if (maxTicks < 1) maxTicks = 1;
    for (int64_t at = 0; at < ticks; at += maxTicks) {
        out.push_back(firstTick + at);
        if (maxTicks > ticks - at) break;  // also keeps `at` from overflowing
    }
    if (lastRecord && out.back() != firstTick + ticks - 1) out.push_back(firstTick + ticks - 1);
}

std::optional<std::string> CheckPictureTimeline(int64_t totalTicks, double tickMs) {
    // Compared in ticks, so that a huge count cannot overflow the product.
    const double limitTicks = static_cast<double>(kMaxExportTimelineMs) / tickMs;
    if (!(tickMs > 0) || static_cast<double>(totalTicks) > limitTicks) {
        return std::string(text::kExportTimelineTooLong) + Hours(kMaxExportTimelineMs) + " h)";
    }
    return std::nullopt;
}

std::optional<std::string> CheckSoundTimeline(int64_t carriedSamples, int64_t endSample,
                                              int32_t sampleRate) {
    if (sampleRate <= 0 || carriedSamples < 0 || endSample < carriedSamples) {
        return std::string(text::kExportSoundDamaged);
    }
    const int64_t silence = endSample - carriedSamples;
    const int64_t freeSamples = kFreeSilenceMs / 1000 * sampleRate;
    if (silence > freeSamples && silence - freeSamples > carriedSamples) {
        return std::string(text::kExportSilenceTooLong) + std::to_string(silence / sampleRate) +
               " s of silence for " + std::to_string(carriedSamples / sampleRate) + " s of sound)";
    }
    return std::nullopt;
}

std::optional<std::string> CheckWavSize(int64_t dataBytes) {
    if (dataBytes > kMaxWavDataBytes) return std::string(text::kExportWavTooLarge);
    return std::nullopt;
}

}  // namespace mrv::tools
