// Record index and pacing: built from the 16-byte record headers alone, so it is quick even for
// long recordings; pictures are decoded later, on demand.
#include "playback/Timeline.h"

#include <algorithm>
#include <cmath>

namespace mrv::playback {

namespace {
// Frame rates the recorder can use are 1 to 20 per second; a derived tick length outside a
// generous margin around them means the estimate is not to be trusted.
constexpr double kMinTickMs = 10;
constexpr double kMaxTickMs = 10000;
}  // namespace

Pacing ComputePacing(const StreamHeader& header, int64_t countedTicks, int64_t audioSamples,
                     int32_t sampleRate) {
    Pacing p;
    p.totalTicks = countedTicks;
    if (header.frameCount > 0 && header.durationMs > 0) {
        p.tickMs = static_cast<double>(header.durationMs) / header.frameCount;
    } else if (countedTicks > 0 && audioSamples > 0 && sampleRate > 0) {
        // Never stopped: the sound is the only real-time measure left in the file. Lost
        // deliveries make it short, so it can only err towards a faster picture.
        p.tickMs = audioSamples * 1000.0 / sampleRate / static_cast<double>(countedTicks);
    }
    if (!(p.tickMs >= kMinTickMs && p.tickMs <= kMaxTickMs)) {
        p.tickMs = std::clamp(p.tickMs, kMinTickMs, kMaxTickMs);
        if (std::isnan(p.tickMs)) p.tickMs = kFallbackTickMs;
    }
    p.totalMs = static_cast<int64_t>(std::llround(countedTicks * p.tickMs));
    return p;
}

Timeline::Scan Timeline::Build(std::span<const uint8_t> stream, const StreamHeader& header) {
    records_.clear();
    clickRecords_.clear();
    audioBlocks_ = 0;
    error_.clear();
    const int64_t size = static_cast<int64_t>(stream.size());
    int64_t at = kStreamHeaderSize + int64_t{header.bitmapInfoSize};
    int64_t tick = 0;
    Scan result = Scan::Complete;
    while (at < size) {
        if (size - at < kFrameHeaderSize) {
            result = Scan::Truncated;
            error_ = "record header cut off at offset " + std::to_string(at);
            break;
        }
        const FrameHeader h =
            DecodeFrameHeader(stream.subspan(static_cast<size_t>(at)).first<kFrameHeaderSize>());
        if (h.payloadSize < kMinPayloadBytes || h.click > 2) {
            result = Scan::Damaged;
            error_ = "record header damaged at offset " + std::to_string(at);
            break;
        }
        const int64_t end = at + kFrameHeaderSize + h.audioSize + int64_t{h.payloadSize};
        if (end > size) {
            result = Scan::Truncated;
            error_ = "record cut off at offset " + std::to_string(at);
            break;
        }
        if (records_.size() == kMaxRecords) {
            result = Scan::Damaged;
            error_ = "more records than any recording holds";
            break;
        }
        RecordEntry e;
        e.offset = at;
        e.firstTick = tick;
        e.cursorX = h.cursorX;
        e.cursorY = h.cursorY;
        e.click = h.click;
        e.holdTicks = h.holdTicks;
        e.audioSize = h.audioSize;
        if (e.click != 0) clickRecords_.push_back(static_cast<int32_t>(records_.size()));
        records_.push_back(e);
        audioBlocks_ += h.audioSize / kGsmBlockBytes;
        tick += 1 + h.holdTicks;
        at = end;
    }
    AudioRate rate{0, 0};
    const bool hasSound = AudioRateForFormat(header.audioFormat, rate);
    pacing_ = ComputePacing(header, tick, hasSound ? audioBlocks_ * kGsmSamplesPerBlock : 0,
                            rate.samplesPerSec);
    return result;
}

int32_t Timeline::RecordAtTick(int64_t tick) const {
    if (records_.empty()) return -1;
    const auto it =
        std::upper_bound(records_.begin(), records_.end(), tick,
                         [](int64_t t, const RecordEntry& e) { return t < e.firstTick; });
    if (it == records_.begin()) return 0;
    return static_cast<int32_t>(it - records_.begin()) - 1;
}

int64_t Timeline::TickAtMs(int64_t ms) const {
    if (ms <= 0) return 0;
    const int64_t tick = static_cast<int64_t>(std::floor(ms / pacing_.tickMs));
    return std::min(tick, std::max<int64_t>(pacing_.totalTicks - 1, 0));
}

int64_t Timeline::MsOfTick(int64_t tick) const {
    return static_cast<int64_t>(std::llround(tick * pacing_.tickMs));
}

int32_t Timeline::ClickRecordAtMs(int64_t ms) const {
    const int32_t current = RecordAtMs(ms);
    const auto it = std::upper_bound(clickRecords_.begin(), clickRecords_.end(), current);
    if (it == clickRecords_.begin()) return -1;
    const int32_t record = *(it - 1);
    const int64_t shownAt = MsOfTick(records_[static_cast<size_t>(record)].firstTick);
    return ms - shownAt < kClickShowMs ? record : -1;
}

bool Timeline::CutAt(int32_t record) {
    if (record <= 0) return false;
    if (static_cast<size_t>(record) >= records_.size()) return true;
    const int64_t ticks = records_[static_cast<size_t>(record)].firstTick;
    records_.resize(static_cast<size_t>(record));
    clickRecords_.erase(std::lower_bound(clickRecords_.begin(), clickRecords_.end(), record),
                        clickRecords_.end());
    audioBlocks_ = 0;
    for (const RecordEntry& e : records_) audioBlocks_ += e.audioSize / kGsmBlockBytes;
    pacing_.totalTicks = ticks;
    pacing_.totalMs = MsOfTick(ticks);
    return true;
}

}  // namespace mrv::playback
