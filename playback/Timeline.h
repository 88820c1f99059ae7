// Where every record of a stream lies in time: ticks, milliseconds, cursor and clicks.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "recorder/StreamFormat.h"

namespace mrv::playback {

// Tick length used when a recording was never stopped and nothing better is known: the
// recorder's default of 6 frames per second.
inline constexpr double kFallbackTickMs = 1000 / 6;
// Index entries a stream may ask for (32 bytes each): 4.6 days at 20 ticks per second.
inline constexpr size_t kMaxRecords = 8 * 1024 * 1024;
// The shortest payload a recorder writes: the zlib stream of nothing.
inline constexpr int32_t kMinPayloadBytes = 8;
// How long a press stays visible at the cursor.
inline constexpr int64_t kClickShowMs = 500;

struct RecordEntry {
    int64_t offset = 0;     // of the record header, from the stream start
    int64_t firstTick = 0;  // first tick its picture stands for
    int32_t cursorX = 0;
    int32_t cursorY = 0;
    uint8_t click = 0;
    uint8_t holdTicks = 0;
    uint16_t audioSize = 0;
};

struct Pacing {
    double tickMs = kFallbackTickMs;
    int64_t totalTicks = 0;
    int64_t totalMs = 0;
};

// The tick length of a recording: the header's mean tick length when it was stopped, else one
// derived from its sound (which runs in real time), else the recorder's default.
Pacing ComputePacing(const StreamHeader& header, int64_t countedTicks, int64_t audioSamples,
                     int32_t sampleRate);

class Timeline {
  public:
    enum class Scan { Complete, Truncated, Damaged };

    // Walks the record headers after the bitmap-info block; nothing is inflated.
    Scan Build(std::span<const uint8_t> stream, const StreamHeader& header);
    const std::string& error() const { return error_; }

    const std::vector<RecordEntry>& records() const { return records_; }
    const Pacing& pacing() const { return pacing_; }
    int64_t audioBlocks() const { return audioBlocks_; }

    // The record whose picture is on screen at `tick` (the last one past the end); -1 if none.
    int32_t RecordAtTick(int64_t tick) const;
    int64_t TickAtMs(int64_t ms) const;
    int64_t MsOfTick(int64_t tick) const;
    int32_t RecordAtMs(int64_t ms) const { return RecordAtTick(TickAtMs(ms)); }

    // The press to show at `ms`: the latest one at most kClickShowMs old, or -1.
    int32_t ClickRecordAtMs(int64_t ms) const;

    // Ends the time line before `record`, which turned out damaged; the tick length stays.
    // False, and nothing changed, when no record would be left.
    bool CutAt(int32_t record);

  private:
    std::vector<RecordEntry> records_;
    std::vector<int32_t> clickRecords_;
    Pacing pacing_;
    int64_t audioBlocks_ = 0;
    std::string error_;
};

}  // namespace mrv::playback
