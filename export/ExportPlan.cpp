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

std::optional<std::string> ResolveSelection(int64_t fromMs, int64_t toMs, double speed,
                                            int64_t totalMs, Selection& out) {
    const double halves = speed * 2;
    if (halves != 2 && halves != 3 && halves != 4 && halves != 8) {
        return std::string("the speed must be 1, 1.5, 2 or 4");
    }
    out.halves = static_cast<int32_t>(halves);
    if (fromMs < 0) return std::string("the selection starts before the recording");
    if (fromMs >= totalMs) return std::string("the selection starts after the recording's end");
    out.trimsEnd = toMs >= 0 && toMs < totalMs;
    out.fromMs = fromMs;
    out.toMs = out.trimsEnd ? toMs : totalMs;
    if (out.toMs <= fromMs) return std::string("the selection ends before it starts");
    return std::nullopt;
}

int64_t AtSpeed(int64_t samples, int32_t halves) {
    if (halves <= 0 || samples <= 0) return std::max<int64_t>(samples, 0);
    return (2 * samples + halves - 1) / halves;
}

PictureSize ScaledSize(int32_t width, int32_t height, int32_t wantedWidth) {
    if (wantedWidth <= 0 || wantedWidth >= width) return {width, height};
    const int64_t h = (int64_t{height} * wantedWidth + width / 2) / width;
    return {wantedWidth, static_cast<int32_t>(std::max<int64_t>(h, 1))};
}

int64_t SampleCount(std::span<const std::pair<int64_t, int64_t>> pieces) {
    int64_t n = 0;
    for (const auto& [from, to] : pieces) n += std::max<int64_t>(to - from, 0);
    return n;
}

TimeMap::TimeMap(int64_t totalMs)
    : pieces_{{0, std::max<int64_t>(totalMs, 0), 0}}, totalMs_(std::max<int64_t>(totalMs, 0)) {}

TimeMap TimeMap::Only(const Selection& selection, int64_t totalMs) {
    TimeMap map(totalMs);
    map.pieces_ = {{selection.fromMs, selection.toMs, 0}};
    map.keepsEnd_ = !selection.trimsEnd;
    return map;
}

TimeMap TimeMap::SkipIdle(std::vector<Busy> busy, int64_t totalMs, int64_t maxIdleMs) {
    return SkipIdle(std::move(busy), Selection{0, totalMs}, totalMs, maxIdleMs);
}

TimeMap TimeMap::SkipIdle(std::vector<Busy> busy, const Selection& selection, int64_t totalMs,
                          int64_t maxIdleMs) {
    TimeMap map(totalMs);
    map.pieces_.clear();
    map.keepsEnd_ = !selection.trimsEnd;
    maxIdleMs = std::max<int64_t>(maxIdleMs, 0);
    const int64_t first = selection.fromMs, last = selection.toMs;
    std::sort(busy.begin(), busy.end(),
              [](const Busy& a, const Busy& b) { return a.startMs < b.startMs; });
    // The selection's end is a busy moment too, so that its idle tail is shortened alike.
    busy.push_back({last, last});
    int64_t from = first;    // start of the piece being kept
    int64_t idleAt = first;  // where the current idle stretch began
    int64_t out = 0;
    for (const Busy& b : busy) {
        const int64_t start = std::clamp<int64_t>(b.startMs, first, last);
        const int64_t end = std::clamp<int64_t>(std::max(b.endMs, b.startMs), first, last);
        if (start - idleAt > maxIdleMs) {
            const int64_t keepTo = idleAt + maxIdleMs;
            if (keepTo > from) map.pieces_.push_back({from, keepTo, out});
            out += keepTo - from;
            from = start;
        }
        idleAt = std::max(idleAt, end);
    }
    if (last > from || map.pieces_.empty()) map.pieces_.push_back({from, last, out});
    return map;
}

std::vector<std::pair<int64_t, int64_t>> TimeMap::KeptSamples(int32_t rate,
                                                              int64_t endSample) const {
    std::vector<std::pair<int64_t, int64_t>> kept;
    for (const Piece& p : pieces_) {
        int64_t from = p.fromMs * rate / 1000, to = p.toMs * rate / 1000;
        if (keepsEnd_) {
            if (&p == &pieces_.back()) to = std::max(to, endSample);
            to = std::min(to, endSample);
        }
        if (to > from) kept.push_back({from, to});
    }
    return kept;
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
                             const TimeMap* cut, int64_t maxFrameMs, int32_t halves)
    : firstTicks_(firstTicks),
      totalTicks_(totalTicks),
      tickMs_(tickMs),
      cut_(cut != nullptr && (cut->cuts() || halves != 2) ? cut : nullptr),
      maxFrameMs_(maxFrameMs),
      halves_(halves > 0 ? halves : 2) {
    unitMicros_ = cut_ ? 1000 : TickMicros(tickMs);
    totalUnits_ = cut_ ? AtSpeed(cut_->totalOutMs(), halves_) : totalTicks;
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
    const auto outOf = [&](int64_t tick) { return AtSpeed(cut_->Out(msOf(tick)), halves_); };
    const int64_t start = outOf(first);
    const int64_t end = outOf(next);
    // With the end cut off, the picture shown at the selection's end is the last one, and those
    // after it are not sent at all.
    const bool shownLast = cut_->keepsEnd() ? last : end > start && end >= totalUnits_;
    if (end <= start && !(last && cut_->keepsEnd())) return;
    const int64_t step = maxFrameMs_ > 0 ? maxFrameMs_ : INT64_MAX;
    for (int64_t at = start; at < end || at == start; at += step) {
        out.push_back(at);
        if (step > end - at) break;
    }
    // The last picture again one tick before the end, so that the video lasts to the end.
    const int64_t tail = end - std::max<int64_t>(AtSpeed(std::llround(tickMs_), halves_), 1);
    if (shownLast && tail > out.back()) out.push_back(tail);
}

}  // namespace mrv::exporting
