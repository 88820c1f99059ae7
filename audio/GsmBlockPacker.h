// Turns captured PCM into deliveries of whole GSM 6.10 blocks, keeping the PCM left over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "audio/WaveIn.h"
#include "recorder/StreamFormat.h"

namespace mrv::audio {

inline constexpr size_t kPcmBlockBytes = size_t{kGsmSamplesPerBlock} * 2;  // 16-bit mono

class GsmBlockPacker {
  public:
    using Deliver = std::function<void(std::span<const uint8_t> gsm)>;

    // At most `maxDeliveryBytes` (at least one block's worth) go out in one delivery.
    explicit GsmBlockPacker(size_t maxDeliveryBytes);

    size_t blocksPerDelivery() const { return blocksPerDelivery_; }
    size_t leftoverBytes() const { return leftover_.size(); }

    // Encodes every block completed by `pcm` and hands them out at once, in order, in pieces of
    // at most blocksPerDelivery(). Returns the number of deliveries made.
    int Feed(std::span<const uint8_t> pcm, GsmEncoder& encoder, const Deliver& deliver);
    void Clear() { leftover_.clear(); }

  private:
    size_t blocksPerDelivery_;
    std::vector<uint8_t> leftover_;  // less than one block of PCM
    std::vector<uint8_t> pcm_;       // whole blocks waiting for the codec
    std::vector<uint8_t> gsm_;
};

}  // namespace mrv::audio
