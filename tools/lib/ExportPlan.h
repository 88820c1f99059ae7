// The export's pacing and limits: which pictures go to the encoder at which tick, and which
// time lines a recording cannot honestly carry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mrv::tools {

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

}  // namespace mrv::tools
