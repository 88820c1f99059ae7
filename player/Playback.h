// Play, pause and seek over a recording's time line, driven by an outside clock.
#pragma once

#include <cstdint>

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

// A picture larger than the area is shrunk to fit with its aspect ratio kept; a smaller one
// stays 1:1, never enlarged.
Size FitInto(Size picture, Size area);

}  // namespace mrv::player
