// The clock that keeps the player's time: the sound's played samples while a device plays them,
// else the system's tick count at the chosen speed; and when the sound stops keeping it.
#pragma once

#include <cstdint>
#include <optional>

#include "playback/TimeStretch.h"

namespace mrv::player {

// A sound reading that has not moved for longer than this while playing has stalled.
inline constexpr int64_t kSoundStallMs = 2000;

class PlayClock {
  public:
    // Zero at `nowMs` on the system's clock; the stall watch starts over.
    void Restart(int64_t nowMs);
    // Recording time since the restart: the sound's reading when there is sound (it is
    // stretched to the speed already), else the system clock's time at `speed`.
    int64_t ElapsedMs(std::optional<int64_t> soundMs, int64_t nowMs, playback::Speed speed) const;
    // Fed every reading of the sound while playing: true once the same reading has stood for
    // more than kSoundStallMs (a device that takes the sound but never plays it).
    bool SoundStalled(int64_t soundMs, int64_t nowMs);

  private:
    int64_t startMs_ = 0;
    int64_t lastSoundMs_ = -1;
    int64_t lastChangeMs_ = 0;
};

}  // namespace mrv::player
