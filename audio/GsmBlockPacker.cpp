// PCM to GSM 6.10 deliveries: whole 320-sample blocks only, so that the codec's state runs on
// across calls and the recording holds nothing but whole 65-byte blocks.
#include "audio/GsmBlockPacker.h"

#include <algorithm>

namespace mrv::audio {

GsmBlockPacker::GsmBlockPacker(size_t maxDeliveryBytes)
    : blocksPerDelivery_(std::max<size_t>(1, maxDeliveryBytes / kGsmBlockBytes)) {}

int GsmBlockPacker::Feed(std::span<const uint8_t> pcm, GsmEncoder& encoder,
                         const Deliver& deliver) {
    int deliveries = 0;
    while (!pcm.empty()) {
        // Gather up to one delivery's worth of whole blocks: the leftover first, then new PCM.
        const size_t want = blocksPerDelivery_ * kPcmBlockBytes;
        pcm_.assign(leftover_.begin(), leftover_.end());
        leftover_.clear();
        const size_t take = std::min(want - pcm_.size(), pcm.size());
        pcm_.insert(pcm_.end(), pcm.begin(), pcm.begin() + static_cast<ptrdiff_t>(take));
        pcm = pcm.subspan(take);
        const size_t whole = pcm_.size() / kPcmBlockBytes * kPcmBlockBytes;
        leftover_.assign(pcm_.begin() + static_cast<ptrdiff_t>(whole), pcm_.end());
        if (whole == 0) break;
        gsm_.resize(whole / kPcmBlockBytes * kGsmBlockBytes);
        const size_t made = encoder.Encode(std::span(pcm_).first(whole), gsm_);
        // A codec failure loses these blocks only; the stream goes on with the next ones.
        const size_t kept = std::min(made, gsm_.size()) / kGsmBlockBytes * kGsmBlockBytes;
        if (kept == 0) continue;
        deliver(std::span<const uint8_t>(gsm_).first(kept));
        ++deliveries;
    }
    return deliveries;
}

}  // namespace mrv::audio
