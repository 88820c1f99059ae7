// The export's pacing and limits: which pictures go to the encoder at which time, which idle
// stretches are cut, and which time lines a recording cannot honestly carry.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
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

// The part of the recording saved and how fast it plays: [fromMs, toMs) at `halves` / 2.
struct Selection {
    int64_t fromMs = 0;
    int64_t toMs = 0;
    int32_t halves = 2;
    bool trimsEnd = false;  // toMs is before the recording's end
};

// The selection a request asks for in a recording of `totalMs`, or why it cannot be saved. A
// negative `toMs` and one past the end mean the end; the speed is 1, 1.5, 2 or 4.
std::optional<std::string> ResolveSelection(int64_t fromMs, int64_t toMs, double speed,
                                            int64_t totalMs, Selection& out);

// A duration of `samples` (or milliseconds) played at `halves` / 2, as the time-stretcher makes
// it: rounded up.
int64_t AtSpeed(int64_t samples, int32_t halves);

// The samples in `pieces`.
int64_t SampleCount(std::span<const std::pair<int64_t, int64_t>> pieces);

// The size a picture of `width` x `height` is scaled to for `wantedWidth` (0: as it is); never
// enlarged, the aspect kept, at least one pixel high.
struct PictureSize {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const PictureSize&) const = default;
};
PictureSize ScaledSize(int32_t width, int32_t height, int32_t wantedWidth);

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
    // Only the selection's [fromMs, toMs), played from 0 on.
    static TimeMap Only(const Selection& selection, int64_t totalMs);
    // Every stretch of the selection longer than `maxIdleMs` in which nothing is busy shortened
    // to its first `maxIdleMs`; `busy` in any order.
    static TimeMap SkipIdle(std::vector<Busy> busy, int64_t totalMs, int64_t maxIdleMs);
    static TimeMap SkipIdle(std::vector<Busy> busy, const Selection& selection, int64_t totalMs,
                            int64_t maxIdleMs);

    // Where recording time `ms` plays; inside a cut, where the cut is.
    int64_t Out(int64_t ms) const;
    int64_t totalOutMs() const;
    bool cuts() const { return totalOutMs() != totalMs_; }
    // False when the selection ends before the recording does: nothing after it is kept, not
    // even the sound that runs on past the last picture.
    bool keepsEnd() const { return keepsEnd_; }
    const std::vector<Piece>& pieces() const { return pieces_; }

    // The sound track's pieces [from, to) in samples at `rate`, in order, for a sound that ends
    // at `endSample`: when the map keeps the end, the track ends with the sound (the last piece
    // reaches to it, past the pictures); else it lasts the selection, silence after the sound.
    std::vector<std::pair<int64_t, int64_t>> KeptSamples(int32_t rate, int64_t endSample) const;

  private:
    std::vector<Piece> pieces_;
    int64_t totalMs_ = 0;
    bool keepsEnd_ = true;
};

// When each record's picture goes to an encoder: in ticks (a held picture once, whatever its
// length) or, with idle time cut, in milliseconds of the output.
// At a speed other than 1 the times are output milliseconds too, divided by the speed.
class FrameSchedule {
  public:
    FrameSchedule(std::span<const int64_t> firstTicks, int64_t totalTicks, double tickMs,
                  const TimeMap* cut, int64_t maxFrameMs, int32_t halves = 2);
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
    int32_t halves_;
    int64_t unitMicros_;
    int64_t totalUnits_;
};

}  // namespace mrv::exporting
