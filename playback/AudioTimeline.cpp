// Sound placement and PCM assembly for the player and the exporter.
#include "playback/AudioTimeline.h"

#include <algorithm>
#include <cmath>

namespace mrv::playback {

void AudioTimeline::Build(const Timeline& timeline, int32_t sampleRate) {
    chunks_.clear();
    cachedChunk_ = SIZE_MAX;
    cachedPcm_.clear();
    blocksDecoded_ = 0;
    sampleRate_ = sampleRate;
    totalSamples_ = 0;
    if (sampleRate <= 0) return;
    int64_t end = 0;
    const auto& records = timeline.records();
    for (size_t i = 0; i < records.size(); ++i) {
        const RecordEntry& r = records[i];
        const int32_t blocks = r.audioSize / kGsmBlockBytes;
        if (blocks == 0) continue;
        AudioChunk c;
        c.record = static_cast<int32_t>(i);
        c.streamOffset = r.offset + kFrameHeaderSize;
        c.blocks = blocks;
        const int64_t samples = int64_t{blocks} * kGsmSamplesPerBlock;
        const int64_t due = SampleAtMs(timeline.MsOfTick(r.firstTick));
        c.startSample = std::max(due - samples, end);
        end = c.startSample + samples;
        chunks_.push_back(c);
    }
    // Rounded up, so that the played samples reach the picture's end in whole milliseconds.
    const int64_t pictureEnd = (timeline.pacing().totalMs * sampleRate + 999) / 1000;
    totalSamples_ = std::max(end, pictureEnd);
}

int64_t AudioTimeline::SampleAtMs(int64_t ms) const { return ms * sampleRate_ / 1000; }

int64_t AudioTimeline::MsAtSample(int64_t sample) const {
    return sampleRate_ > 0 ? sample * 1000 / sampleRate_ : 0;
}

const std::vector<int16_t>* AudioTimeline::ChunkPcm(std::span<const uint8_t> stream,
                                                    GsmDecoder& decoder, size_t chunk) {
    if (chunk == cachedChunk_) return &cachedPcm_;
    const AudioChunk& c = chunks_[chunk];
    const size_t bytes = static_cast<size_t>(c.blocks) * kGsmBlockBytes;
    cachedPcm_.assign(static_cast<size_t>(c.blocks) * kGsmSamplesPerBlock, 0);
    cachedChunk_ = chunk;
    if (c.streamOffset < 0 || static_cast<size_t>(c.streamOffset) + bytes > stream.size()) {
        return &cachedPcm_;  // silence rather than reading past the stream
    }
    if (decoder.Decode(stream.subspan(static_cast<size_t>(c.streamOffset), bytes), cachedPcm_)) {
        blocksDecoded_ += c.blocks;
    } else {
        std::fill(cachedPcm_.begin(), cachedPcm_.end(), 0);
    }
    return &cachedPcm_;
}

int64_t AudioTimeline::Fill(std::span<const uint8_t> stream, GsmDecoder& decoder, int64_t first,
                            std::span<int16_t> out) {
    std::fill(out.begin(), out.end(), 0);
    const int64_t last = first + static_cast<int64_t>(out.size());
    // The first chunk that ends after `first`.
    auto it =
        std::upper_bound(chunks_.begin(), chunks_.end(), first, [](int64_t s, const AudioChunk& c) {
            return s < c.startSample + int64_t{c.blocks} * kGsmSamplesPerBlock;
        });
    int64_t filled = 0;
    for (; it != chunks_.end() && it->startSample < last; ++it) {
        const int64_t chunkEnd = it->startSample + int64_t{it->blocks} * kGsmSamplesPerBlock;
        const int64_t from = std::max(first, it->startSample);
        const int64_t to = std::min(last, chunkEnd);
        if (from >= to) continue;
        const auto* pcm = ChunkPcm(stream, decoder, static_cast<size_t>(it - chunks_.begin()));
        std::copy(pcm->begin() + (from - it->startSample), pcm->begin() + (to - it->startSample),
                  out.begin() + (from - first));
        filled += to - from;
    }
    return filled;
}

}  // namespace mrv::playback
