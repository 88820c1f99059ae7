// Export pacing and limits, kept free of I/O so that tests and the fuzz target can drive them.
#include "export/ExportPlan.h"

#include <algorithm>
#include <cmath>

#include "common/Texts.h"

namespace mrv::exporting {

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

TimeMap::TimeMap(int64_t totalMs)
    : pieces_{{0, std::max<int64_t>(totalMs, 0), 0}}, totalMs_(std::max<int64_t>(totalMs, 0)) {}

TimeMap TimeMap::SkipIdle(std::vector<Busy> busy, int64_t totalMs, int64_t maxIdleMs) {
    TimeMap map(totalMs);
    map.pieces_.clear();
    maxIdleMs = std::max<int64_t>(maxIdleMs, 0);
    std::sort(busy.begin(), busy.end(),
              [](const Busy& a, const Busy& b) { return a.startMs < b.startMs; });
    // The end of the recording is a busy moment too, so that its idle tail is shortened alike.
    busy.push_back({totalMs, totalMs});
    int64_t from = 0;    // start of the piece being kept
    int64_t idleAt = 0;  // where the current idle stretch began
    int64_t out = 0;
    for (const Busy& b : busy) {
        const int64_t start = std::clamp<int64_t>(b.startMs, 0, totalMs);
        const int64_t end = std::clamp<int64_t>(std::max(b.endMs, b.startMs), 0, totalMs);
        if (start - idleAt > maxIdleMs) {
            const int64_t keepTo = idleAt + maxIdleMs;
            if (keepTo > from) map.pieces_.push_back({from, keepTo, out});
            out += keepTo - from;
            from = start;
        }
        idleAt = std::max(idleAt, end);
    }
    if (totalMs > from || map.pieces_.empty()) map.pieces_.push_back({from, totalMs, out});
    return map;
}

int64_t TimeMap::Out(int64_t ms) const {
    // The last piece that starts at or before `ms`.
    auto it = std::upper_bound(pieces_.begin(), pieces_.end(), ms,
                               [](int64_t t, const Piece& p) { return t < p.fromMs; });
    if (it == pieces_.begin()) return 0;
    --it;
    return it->outMs + std::min(ms, it->toMs) - it->fromMs;
}

int64_t TimeMap::totalOutMs() const {
    const Piece& last = pieces_.back();
    return last.outMs + last.toMs - last.fromMs;
}

FrameSchedule::FrameSchedule(std::span<const int64_t> firstTicks, int64_t totalTicks, double tickMs,
                             const TimeMap* cut, int64_t maxFrameMs)
    : firstTicks_(firstTicks),
      totalTicks_(totalTicks),
      tickMs_(tickMs),
      cut_(cut != nullptr && cut->cuts() ? cut : nullptr),
      maxFrameMs_(maxFrameMs) {
    unitMicros_ = cut_ ? 1000 : TickMicros(tickMs);
    totalUnits_ = cut_ ? cut_->totalOutMs() : totalTicks;
}

void FrameSchedule::Times(size_t record, std::vector<int64_t>& out) const {
    const bool last = record + 1 == firstTicks_.size();
    const int64_t first = firstTicks_[record];
    const int64_t next = last ? totalTicks_ : firstTicks_[record + 1];
    if (!cut_) {
        FrameTicks(first, next - first, last, MaxTicksPerFrame(tickMs_, maxFrameMs_), out);
        return;
    }
    const auto msOf = [&](int64_t tick) {
        return static_cast<int64_t>(std::llround(static_cast<double>(tick) * tickMs_));
    };
    const int64_t start = cut_->Out(msOf(first));
    const int64_t end = cut_->Out(msOf(next));
    if (end <= start && !last) return;
    const int64_t step = maxFrameMs_ > 0 ? maxFrameMs_ : INT64_MAX;
    for (int64_t at = start; at < end || at == start; at += step) {
        out.push_back(at);
        if (step > end - at) break;
    }
    // The last picture again one tick before the end, so that the video lasts to the end.
    const int64_t tail = end - std::max<int64_t>(std::llround(tickMs_), 1);
    if (last && tail > out.back()) out.push_back(tail);
}

}  // namespace mrv::exporting
