// Serialising the stream records byte by byte.
#include "recorder/StreamFormat.h"

#include "common/ByteOrder.h"
#include "common/PubUtils.h"

namespace mrv {

std::array<uint8_t, kStreamHeaderSize> EncodeStreamHeader(const StreamHeader& h) {
    std::array<uint8_t, kStreamHeaderSize> b{};
    PutF64(&b[0], h.startTime);
    PutI32(&b[8], h.frameCount);
    PutI32(&b[12], h.durationMs);
    PutI32(&b[16], h.screenWidth);
    PutI32(&b[20], h.screenHeight);
    PutI32(&b[24], h.bytesPerLine);
    PutI32(&b[28], h.frameBytes);
    PutI32(&b[32], h.bitmapInfoSize);
    PutU8(&b[36], h.audioFormat);
    return b;
}

StreamHeader DecodeStreamHeader(std::span<const uint8_t, kStreamHeaderSize> b) {
    StreamHeader h;
    h.startTime = GetF64(&b[0]);
    h.frameCount = GetI32(&b[8]);
    h.durationMs = GetI32(&b[12]);
    h.screenWidth = GetI32(&b[16]);
    h.screenHeight = GetI32(&b[20]);
    h.bytesPerLine = GetI32(&b[24]);
    h.frameBytes = GetI32(&b[28]);
    h.bitmapInfoSize = GetI32(&b[32]);
    h.audioFormat = b[36];
    return h;
}

std::array<uint8_t, kFrameHeaderSize> EncodeFrameHeader(const FrameHeader& h) {
    std::array<uint8_t, kFrameHeaderSize> b{};
    PutI32(&b[0], h.payloadSize);
    PutI32(&b[4], h.cursorX);
    PutI32(&b[8], h.cursorY);
    PutU8(&b[12], h.click);
    PutU16(&b[13], h.audioSize);
    PutU8(&b[15], h.holdTicks);
    return b;
}

FrameHeader DecodeFrameHeader(std::span<const uint8_t, kFrameHeaderSize> b) {
    FrameHeader h;
    h.payloadSize = GetI32(&b[0]);
    h.cursorX = GetI32(&b[4]);
    h.cursorY = GetI32(&b[8]);
    h.click = b[12];
    h.audioSize = GetU16(&b[13]);
    h.holdTicks = b[15];
    return h;
}

void AppendRectHeader(std::vector<uint8_t>& out, const Rect& r) {
    uint8_t b[kRectHeaderSize];
    PutI32(&b[0], r.left);
    PutI32(&b[4], r.top);
    PutI32(&b[8], r.right);
    PutI32(&b[12], r.bottom);
    out.insert(out.end(), b, b + kRectHeaderSize);
}

Rect DecodeRectHeader(const uint8_t* b) {
    return Rect{GetI32(b), GetI32(b + 4), GetI32(b + 8), GetI32(b + 12)};
}

bool IsValidDepth(int bitsPerPixel) {
    return bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 32;
}

int32_t BitmapInfoSize(int bitsPerPixel) {
    return bitsPerPixel <= 8 ? kBitmapInfoHeaderSize + 4 * (1 << bitsPerPixel)
                             : kBitmapInfoHeaderSize;
}

FrameGeometry MakeGeometry(int32_t width, int32_t height, int bitsPerPixel) {
    FrameGeometry g;
    g.width = width;
    g.height = height;
    g.bitsPerPixel = bitsPerPixel;
    g.bytesPerLine = static_cast<int32_t>(BytesPerRow(static_cast<int64_t>(width) * bitsPerPixel));
    g.frameBytes = static_cast<int64_t>(g.bytesPerLine) * height;
    g.bitmapInfoSize = BitmapInfoSize(bitsPerPixel);
    return g;
}

std::vector<uint8_t> MakeBitmapInfo(int32_t width, int32_t height, int bitsPerPixel) {
    std::vector<uint8_t> info(static_cast<size_t>(BitmapInfoSize(bitsPerPixel)), 0);
    PutU32(&info[0], kBitmapInfoHeaderSize);                 // biSize
    PutI32(&info[4], width);                                 // biWidth
    PutI32(&info[8], -height);                               // biHeight: negative, rows top first
    PutU16(&info[12], 1);                                    // biPlanes
    PutU16(&info[14], static_cast<uint16_t>(bitsPerPixel));  // biBitCount
    PutU32(&info[16], 0);                                    // biCompression = BI_RGB
    return info;
}

void SetBitmapInfoSize(std::span<uint8_t> info, int32_t width, int32_t height) {
    PutI32(&info[4], width);
    PutI32(&info[8], -height);
}

namespace {
constexpr AudioRate kAudioRates[] = {{8000, 1625}, {11025, 2239}, {22050, 4478}, {44100, 8957}};
}

bool AudioRateForOption(int option, AudioRate& rate) {
    if (option < 0 || option > 3) return false;
    rate = kAudioRates[option];
    return true;
}

bool AudioRateForFormat(uint8_t audioFormat, AudioRate& rate) {
    return audioFormat >= 1 && AudioRateForOption(audioFormat - 1, rate);
}

}  // namespace mrv
