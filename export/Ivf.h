// The IVF container as the export pipes pictures to ffmpeg: raw RGB frames, each with its own
// time stamp, so that a held picture is sent once with its duration instead of once per tick.
#pragma once

#include <array>
#include <cstdint>

#include "common/ByteOrder.h"

namespace mrv::exporting {

inline constexpr size_t kIvfHeaderBytes = 32;
inline constexpr size_t kIvfFrameHeaderBytes = 12;

// Time stamps count units of `unitNum` / `unitDen` seconds; ffmpeg reads `length` (in those
// units) as the stream's duration. Sides are 16-bit.
inline std::array<uint8_t, kIvfHeaderBytes> IvfHeader(uint16_t width, uint16_t height,
                                                      uint32_t unitNum, uint32_t unitDen,
                                                      uint32_t length) {
    std::array<uint8_t, kIvfHeaderBytes> h{'D', 'K', 'I', 'F'};
    PutU16(&h[4], 0);
    PutU16(&h[6], kIvfHeaderBytes);
    h[8] = 'R';  // FourCC "RGB" 24: packed 8-bit R, G, B, which ffmpeg's rawvideo decoder takes
    h[9] = 'G';
    h[10] = 'B';
    h[11] = 24;
    PutU16(&h[12], width);
    PutU16(&h[14], height);
    PutU32(&h[16], unitDen);
    PutU32(&h[20], unitNum);
    PutU32(&h[24], length);
    return h;
}

inline std::array<uint8_t, kIvfFrameHeaderBytes> IvfFrameHeader(uint32_t bytes, uint64_t pts) {
    std::array<uint8_t, kIvfFrameHeaderBytes> h{};
    PutU32(&h[0], bytes);
    PutU32(&h[4], static_cast<uint32_t>(pts));
    PutU32(&h[8], static_cast<uint32_t>(pts >> 32));
    return h;
}

}  // namespace mrv::exporting
