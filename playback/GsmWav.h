// A WAV container for GSM 6.10 sound as recorded: 65-byte blocks of 320 samples, kept as is.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace mrv::playback {

// The RIFF file: a 20-byte fmt chunk (tag 0x31, wSamplesPerBlock 320), a fact chunk with the
// sample count, and the data chunk; `blocks` must hold whole blocks.
std::vector<uint8_t> MakeGsmWav(std::span<const uint8_t> blocks, int32_t sampleRate,
                                int32_t avgBytesPerSec);

// The same file's 60 bytes before the blocks, for writing it piece by piece; `dataSize` (whole
// blocks) must fit the 32-bit RIFF sizes. A pad byte follows odd data.
std::vector<uint8_t> GsmWavHeader(uint32_t dataSize, int32_t sampleRate, int32_t avgBytesPerSec);

}  // namespace mrv::playback
