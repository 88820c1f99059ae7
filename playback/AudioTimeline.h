// The recording's sound laid out on the picture's time line, decoded on demand into PCM.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "playback/Timeline.h"

namespace mrv::playback {

// Turns whole 65-byte GSM 6.10 blocks into 16-bit mono PCM, 320 samples per block.
class GsmDecoder {
  public:
    virtual ~GsmDecoder() = default;
    // `pcm` holds 320 samples per block; false leaves the chunk silent.
    virtual bool Decode(std::span<const uint8_t> blocks, std::span<int16_t> pcm) = 0;
};

struct AudioChunk {
    int32_t record = 0;
    int64_t streamOffset = 0;  // of the first audio byte
    int32_t blocks = 0;        // whole blocks; a stray tail is not sound
    int64_t startSample = 0;   // where it plays on the time line
};

class AudioTimeline {
  public:
    // A record's sound is what arrived before its tick, so each chunk is placed to end at its
    // record's time, after the previous chunk; gaps (lost deliveries) become silence.
    void Build(const Timeline& timeline, int32_t sampleRate);

    int32_t sampleRate() const { return sampleRate_; }
    const std::vector<AudioChunk>& chunks() const { return chunks_; }
    // End of the last chunk, or of the picture if that is later.
    int64_t totalSamples() const { return totalSamples_; }
    int64_t SampleAtMs(int64_t ms) const;
    int64_t MsAtSample(int64_t sample) const;

    // PCM for samples [first, first + out.size()): sound where a chunk plays, silence elsewhere.
    // Returns the number of samples that came from chunks.
    int64_t Fill(std::span<const uint8_t> stream, GsmDecoder& decoder, int64_t first,
                 std::span<int16_t> out);
    int64_t blocksDecoded() const { return blocksDecoded_; }

  private:
    const std::vector<int16_t>* ChunkPcm(std::span<const uint8_t> stream, GsmDecoder& decoder,
                                         size_t chunk);

    std::vector<AudioChunk> chunks_;
    int32_t sampleRate_ = 0;
    int64_t totalSamples_ = 0;
    size_t cachedChunk_ = SIZE_MAX;
    std::vector<int16_t> cachedPcm_;
    int64_t blocksDecoded_ = 0;
};

}  // namespace mrv::playback
