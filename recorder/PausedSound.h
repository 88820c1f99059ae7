// Keeps the sound of a pause out of a recording. A delivery reaches the recorder a whole buffer
// of sound after its first sample, so the deliveries around a pause or a resume hold sound from
// both sides of it: what was recorded while running belongs to the recording, what was recorded
// during the pause does not.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace mrv {

class PausedSound {
  public:
    void Paused(uint32_t tick);
    void Resumed(uint32_t tick);
    void Clear() { pauses_.clear(); }
    bool paused() const { return !pauses_.empty() && !pauses_.back().end; }

    // Appends to `out` the whole GSM blocks of a delivery that arrived at tick `now` which were
    // recorded while the recording ran; a block counts by the instant in its middle. A size that
    // is not whole blocks, or an unknown rate, cannot be placed in time: all of it is kept unless
    // the recording is paused now.
    void AppendRunningSound(const uint8_t* data, int32_t size, uint32_t now, int32_t samplesPerSec,
                            std::vector<uint8_t>& out);

  private:
    struct Pause {
        uint32_t start = 0;
        std::optional<uint32_t> end;  // none while the recording is still paused
    };
    // A user who pauses and resumes faster than deliveries come still keeps the newest ones.
    static constexpr size_t kMaxPauses = 16;
    std::vector<Pause> pauses_;
};

}  // namespace mrv
