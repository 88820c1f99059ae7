// GSM 6.10 WAV writer: the layout common players and ffmpeg's gsm_ms decoder read.
#include "playback/GsmWav.h"

#include <string_view>

#include "common/ByteOrder.h"
#include "playback/Timeline.h"
#include "recorder/StreamFormat.h"

namespace mrv::playback {

namespace {
void Tag(std::vector<uint8_t>& out, std::string_view tag) {
    out.insert(out.end(), tag.begin(), tag.end());
}
void U16(std::vector<uint8_t>& out, uint16_t v) {
    out.resize(out.size() + 2);
    PutU16(out.data() + out.size() - 2, v);
}
void U32(std::vector<uint8_t>& out, uint32_t v) {
    out.resize(out.size() + 4);
    PutU32(out.data() + out.size() - 4, v);
}
}  // namespace

std::vector<uint8_t> GsmWavHeader(uint32_t dataSize, int32_t sampleRate, int32_t avgBytesPerSec) {
    const uint32_t pad = dataSize & 1;  // RIFF chunks are padded to even length
    std::vector<uint8_t> out;
    out.reserve(60);
    Tag(out, "RIFF");
    U32(out, 4 + (8 + 20) + (8 + 4) + (8 + dataSize + pad));
    Tag(out, "WAVE");
    Tag(out, "fmt ");
    U32(out, 20);
    U16(out, 0x31);  // WAVE_FORMAT_GSM610
    U16(out, 1);
    U32(out, static_cast<uint32_t>(sampleRate));
    U32(out, static_cast<uint32_t>(avgBytesPerSec));
    U16(out, kGsmBlockBytes);
    U16(out, 0);
    U16(out, 2);
    U16(out, kGsmSamplesPerBlock);
    Tag(out, "fact");
    U32(out, 4);
    U32(out, dataSize / kGsmBlockBytes * kGsmSamplesPerBlock);
    Tag(out, "data");
    U32(out, dataSize);
    return out;
}

std::vector<uint8_t> MakeGsmWav(std::span<const uint8_t> blocks, int32_t sampleRate,
                                int32_t avgBytesPerSec) {
    std::vector<uint8_t> out =
        GsmWavHeader(static_cast<uint32_t>(blocks.size()), sampleRate, avgBytesPerSec);
    out.insert(out.end(), blocks.begin(), blocks.end());
    if (blocks.size() & 1) out.push_back(0);
    return out;
}

}  // namespace mrv::playback
