// Builds small recording streams in memory for the player's tests.
#pragma once

#include <cstdint>
#include <vector>

#include "common/ByteOrder.h"
#include "common/PubUtils.h"
#include "recorder/StreamFormat.h"
#include "recorder/ZlibCompressor.h"

namespace mrv::player::testing {

class StreamBuilder {
  public:
    StreamBuilder(int32_t width, int32_t height, int32_t frameCount, int32_t durationMs,
                  uint8_t audioFormat = 0)
        : geometry_(MakeGeometry(width, height, 32)) {
        StreamHeader h;
        h.frameCount = frameCount;
        h.durationMs = durationMs;
        h.screenWidth = width;
        h.screenHeight = height;
        h.bytesPerLine = geometry_.bytesPerLine;
        h.frameBytes = static_cast<int32_t>(geometry_.frameBytes);
        h.bitmapInfoSize = geometry_.bitmapInfoSize;
        h.audioFormat = audioFormat;
        const auto header = EncodeStreamHeader(h);
        bytes_.assign(header.begin(), header.end());
        const auto info = MakeBitmapInfo(width, height, 32);
        bytes_.insert(bytes_.end(), info.begin(), info.end());
    }

    // One record whose single item paints the whole screen with `value` (BGRX).
    StreamBuilder& Fill(uint32_t value, uint8_t holdTicks = 0, uint8_t click = 0,
                        std::vector<uint8_t> audio = {}, int32_t cursorX = 0) {
        std::vector<uint8_t> items;
        AppendRectHeader(items, Rect{0, 0, geometry_.width, geometry_.height});
        const size_t at = items.size();
        items.resize(at + static_cast<size_t>(geometry_.frameBytes));
        for (size_t i = at; i < items.size(); i += 4) PutU32(items.data() + i, value);
        return Record(items, holdTicks, click, std::move(audio), cursorX);
    }

    // A record in which nothing changed.
    StreamBuilder& Same(uint8_t holdTicks = 0, uint8_t click = 0, std::vector<uint8_t> audio = {}) {
        return Record({}, holdTicks, click, std::move(audio), 0);
    }

    StreamBuilder& Record(const std::vector<uint8_t>& items, uint8_t holdTicks, uint8_t click,
                          std::vector<uint8_t> audio, int32_t cursorX) {
        std::vector<uint8_t> payload;
        compressor_.Compress(items, payload);
        FrameHeader f;
        f.payloadSize = static_cast<int32_t>(payload.size());
        f.cursorX = cursorX;
        f.cursorY = 7;
        f.click = click;
        f.audioSize = static_cast<uint16_t>(audio.size());
        f.holdTicks = holdTicks;
        const auto header = EncodeFrameHeader(f);
        bytes_.insert(bytes_.end(), header.begin(), header.end());
        bytes_.insert(bytes_.end(), audio.begin(), audio.end());
        bytes_.insert(bytes_.end(), payload.begin(), payload.end());
        return *this;
    }

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    const FrameGeometry& geometry() const { return geometry_; }

  private:
    FrameGeometry geometry_;
    ZlibCompressor compressor_;
    std::vector<uint8_t> bytes_;
};

// `blocks` GSM blocks whose bytes all hold `value`, so a fake decoder can tell them apart.
inline std::vector<uint8_t> Blocks(int blocks, uint8_t value, int extraBytes = 0) {
    return std::vector<uint8_t>(static_cast<size_t>(blocks * kGsmBlockBytes + extraBytes), value);
}

// The smallest PE32+ image the overlay finder accepts: headers only, `headersSize` long.
inline std::vector<uint8_t> HeadersOnlyImage(uint32_t headersSize) {
    std::vector<uint8_t> b(headersSize, 0);
    b[0] = 'M';
    b[1] = 'Z';
    PutU32(&b[0x3C], 0x80);
    b[0x80] = 'P';
    b[0x81] = 'E';
    PutU16(&b[0x84], 0x8664);
    PutU16(&b[0x80 + 20], 240);
    PutU16(&b[0x98], 0x20B);
    PutU32(&b[0x98 + 60], headersSize);
    PutU32(&b[0x98 + 108], 16);
    return b;
}

}  // namespace mrv::player::testing
