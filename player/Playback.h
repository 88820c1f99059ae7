// Play, pause and seek over a recording's time line, driven by an outside clock.
#pragma once

#include <cstdint>
#include <string>

namespace mrv::player {

// The clock is whatever runs while playing (the sound device's played samples or the system
// tick count); the caller restarts it from zero whenever this tells it to (Restart()).
class Playback {
  public:
    explicit Playback(int64_t totalMs) : totalMs_(totalMs < 0 ? 0 : totalMs) {}

    bool playing() const { return playing_; }
    int64_t totalMs() const { return totalMs_; }
    // Position at `elapsedMs` on the clock since the last restart.
    int64_t Position(int64_t elapsedMs) const;
    bool Ended(int64_t elapsedMs) const { return Position(elapsedMs) >= totalMs_; }

    // Each returns true when the caller must restart its clock (and its sound) at base().
    bool Play();
    void Pause(int64_t elapsedMs);
    bool Toggle(int64_t elapsedMs);
    bool Seek(int64_t ms);
    // At the end the player stops there, so the last picture stays on screen.
    void StopAtEnd() { Pause(totalMs_); }
    // A damaged record ends the recording early: the player stops at `ms` and goes no further.
    void EndAt(int64_t ms);
    int64_t base() const { return baseMs_; }

  private:
    int64_t totalMs_;
    int64_t baseMs_ = 0;
    bool playing_ = false;
};

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const Size&) const = default;
};

// Trackbar positions are 32-bit: long recordings count in coarser steps so that the range fits,
// and a drag still has far more steps than the bar has pixels.
inline constexpr int64_t kMinBarUnitMs = 100;
inline constexpr int32_t kMaxBarPositions = 1 << 20;

class BarScale {
  public:
    explicit BarScale(int64_t totalMs);
    int64_t unitMs() const { return unitMs_; }
    int32_t maxPosition() const { return PositionOf(totalMs_); }
    int32_t PositionOf(int64_t ms) const;
    int64_t MsOf(int64_t position) const;
    int32_t pageSize() const;  // ten seconds, or one step when steps are longer

  private:
    int64_t totalMs_;
    int64_t unitMs_;
};

// The sound device counts what it has played in 32 bits, which wraps after some hours at the
// higher rates; this carries the count on across the wraps (read it at least once per wrap).
class WrappingCounter {
  public:
    void Reset() { last_ = 0, high_ = 0; }
    int64_t Extend(uint32_t raw) {
        if (raw < last_) high_ += int64_t{1} << 32;
        last_ = raw;
        return high_ + raw;
    }

  private:
    uint32_t last_ = 0;
    int64_t high_ = 0;
};

// "position / length" as hours:minutes:seconds, hours taking as many digits as they need.
std::string PositionText(int64_t ms, int64_t totalMs);

// A picture larger than the area is shrunk to fit with its aspect ratio kept; a smaller one
// stays 1:1, never enlarged.
Size FitInto(Size picture, Size area);

}  // namespace mrv::player
