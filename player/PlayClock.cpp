// The player's clock and the rule that drops a sound device that has stopped playing.
#include "player/PlayClock.h"

namespace mrv::player {

void PlayClock::Restart(int64_t nowMs) {
    startMs_ = nowMs;
    lastSoundMs_ = -1;
    lastChangeMs_ = nowMs;
}

int64_t PlayClock::ElapsedMs(std::optional<int64_t> soundMs, int64_t nowMs,
                             playback::Speed speed) const {
    if (soundMs) return *soundMs;
    const auto wall = static_cast<double>(nowMs - startMs_);
    return static_cast<int64_t>(wall * playback::SpeedFactor(speed));
}

bool PlayClock::SoundStalled(int64_t soundMs, int64_t nowMs) {
    if (soundMs != lastSoundMs_) {
        lastSoundMs_ = soundMs;
        lastChangeMs_ = nowMs;
        return false;
    }
    return nowMs - lastChangeMs_ > kSoundStallMs;
}

}  // namespace mrv::player
