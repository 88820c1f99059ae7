#include "recorder/PausedSound.h"

#include <algorithm>

#include "recorder/StreamFormat.h"

namespace mrv {

void PausedSound::Paused(uint32_t tick) {
    if (paused()) return;
    if (pauses_.size() == kMaxPauses) pauses_.erase(pauses_.begin());
    pauses_.push_back(Pause{tick, std::nullopt});
}

void PausedSound::Resumed(uint32_t tick) {
    if (paused()) pauses_.back().end = tick;
}

void PausedSound::AppendRunningSound(const uint8_t* data, int32_t size, uint32_t now,
                                     int32_t samplesPerSec, std::vector<uint8_t>& out) {
    if (data == nullptr || size <= 0) return;
    if (size % kGsmBlockBytes != 0 || samplesPerSec <= 0) {
        if (!paused()) out.insert(out.end(), data, data + size);
        return;
    }
    const int64_t blocks = size / kGsmBlockBytes;
    // Ages in microseconds before `now`; tick differences are taken modulo 2^32 so that the
    // wrap of the millisecond counter after 49.7 days does not matter.
    const int64_t blockUs = int64_t{kGsmSamplesPerBlock} * 1'000'000 / samplesPerSec;
    const auto ageUs = [now](uint32_t tick) {
        return int64_t{static_cast<uint32_t>(now - tick)} * 1000;
    };
    const int64_t oldestUs = blocks * blockUs;
    // A pause that ended before this delivery's first block cannot touch a later delivery.
    std::erase_if(pauses_, [&](const Pause& p) { return p.end && ageUs(*p.end) > oldestUs; });
    for (int64_t i = 0; i < blocks; ++i) {
        const int64_t middleUs = oldestUs - i * blockUs - blockUs / 2;
        const bool inPause = std::any_of(pauses_.begin(), pauses_.end(), [&](const Pause& p) {
            const int64_t endUs = p.end ? ageUs(*p.end) : 0;
            return middleUs <= ageUs(p.start) && middleUs > endUs;
        });
        if (inPause) continue;
        const uint8_t* block = data + i * kGsmBlockBytes;
        out.insert(out.end(), block, block + kGsmBlockBytes);
    }
}

}  // namespace mrv
