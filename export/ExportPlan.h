// The export's pacing and limits: which pictures go to the encoder at which time, which idle
// stretches are cut, and which time lines a recording cannot honestly carry.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mrv::exporting {

// No recording session runs for a month; a longer time line comes from a damaged or forged file.
inline constexpr int64_t kMaxExportTimelineMs = 31LL * 24 * 60 * 60 * 1000;
// Silence the sound track may hold beyond the length of the sound itself: what the recorder
// dropped and the holds of edit frames. Every second of it is encoded, so it is bounded.
inline constexpr int64_t kFreeSilenceMs = 60LL * 60 * 1000;
// A GIF frame's delay is a 16-bit count of centiseconds; longer pictures are sent again.
inline constexpr int64_t kMaxGifFrameMs = 600 * 1000;
// A RIFF file counts its bytes in 32 bits.
inline constexpr int64_t kMaxWavDataBytes = 0xFFFFFFFFLL - 64;

// The tick length in microseconds, at least 1: the video's exact time base.
int64_t TickMicros(double tickMs);

// The most ticks one encoded frame may stand for when no frame may last more than `maxFrameMs`
// (0: no limit).
int64_t MaxTicksPerFrame(double tickMs, int64_t maxFrameMs);

// The ticks at which a record's picture is sent: its first tick, again every `maxTicks` while it
// holds, and, for the last record, its last tick, so that the video lasts the whole time line.
// The encoder shows each frame until the next one; the work is per record, never per tick.
void FrameTicks(int64_t firstTick, int64_t ticks, bool lastRecord, int64_t maxTicks,
                std::vector<int64_t>& out);

// Why the pictures' time line cannot be exported, or nothing.
std::optional<std::string> CheckPictureTimeline(int64_t totalTicks, double tickMs);

// Why a sound track of `endSample` samples, `carriedSamples` of them from the file, cannot be
// made, or nothing.
std::optional<std::string> CheckSoundTimeline(int64_t carriedSamples, int64_t endSample,
                                              int32_t sampleRate);

// Why `dataBytes` of sound do not fit a WAV file, or nothing.
std::optional<std::string> CheckWavSize(int64_t dataBytes);

// A moment or stretch of recording time in which something happens: a picture changes (start
// == end) or sound is heard.
struct Busy {
    int64_t startMs = 0;
    int64_t endMs = 0;
};

// The recording time an export keeps: each kept piece [fromMs, toMs) plays from outMs on, and
// what lies between two pieces is left out. Without cuts it is the identity.
class TimeMap {
  public:
    struct Piece {
        int64_t fromMs = 0;
        int64_t toMs = 0;
        int64_t outMs = 0;
    };

    // The whole of [0, totalMs).
    explicit TimeMap(int64_t totalMs = 0);
    // Every stretch longer than `maxIdleMs` in which nothing is busy shortened to its first
    // `maxIdleMs`; `busy` in any order.
    static TimeMap SkipIdle(std::vector<Busy> busy, int64_t totalMs, int64_t maxIdleMs);

    // Where recording time `ms` plays; inside a cut, where the cut is.
    int64_t Out(int64_t ms) const;
    int64_t totalOutMs() const;
    bool cuts() const { return totalOutMs() != totalMs_; }
    const std::vector<Piece>& pieces() const { return pieces_; }

  private:
    std::vector<Piece> pieces_;
    int64_t totalMs_ = 0;
};

// When each record's picture goes to an encoder: in ticks (a held picture once, whatever its
// length) or, with idle time cut, in milliseconds of the output.
class FrameSchedule {
  public:
    FrameSchedule(std::span<const int64_t> firstTicks, int64_t totalTicks, double tickMs,
                  const TimeMap* cut, int64_t maxFrameMs);
    int64_t unitMicros() const { return unitMicros_; }
    int64_t totalUnits() const { return totalUnits_; }
    // Appends the times at which record `record` is sent, in units; none when the record plays
    // for no time at all (it lies in a cut).
    void Times(size_t record, std::vector<int64_t>& out) const;

  private:
    std::span<const int64_t> firstTicks_;
    int64_t totalTicks_;
    double tickMs_;
    const TimeMap* cut_;
    int64_t maxFrameMs_;
    int64_t unitMicros_;
    int64_t totalUnits_;
};

}  // namespace mrv::exporting
