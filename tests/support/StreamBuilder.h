// Builds recording streams in memory, record by record, for the tests, the e2e tools and the
// benchmarks.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/ByteOrder.h"
#include "common/PubUtils.h"
#include "recorder/StreamFormat.h"
#include "recorder/ZlibCompressor.h"

namespace mrv::testing {

// What a record carries besides its picture.
struct RecordExtras {
    uint8_t hold = 0;
    uint8_t click = 0;                // 0 none, 1 left, 2 right
    std::vector<uint8_t> audio = {};  // written before the payload as it is
};

class StreamBuilder {
  public:
    StreamBuilder(int32_t width, int32_t height, int bitsPerPixel = 32, uint8_t audioFormat = 0)
        : geometry(MakeGeometry(width, height, bitsPerPixel)),
          compressor_(std::make_unique<ZlibCompressor>()) {
        header.screenWidth = width;
        header.screenHeight = height;
        header.bytesPerLine = geometry.bytesPerLine;
        header.frameBytes = static_cast<int32_t>(geometry.frameBytes);
        header.bitmapInfoSize = geometry.bitmapInfoSize;
        header.audioFormat = audioFormat;
        const auto info = MakeBitmapInfo(width, height, bitsPerPixel);
        bitmapInfo.assign(info.begin(), info.end());
    }

    // The counts a stopped recording writes into its header; without them it reads as never
    // stopped.
    StreamBuilder& Stop(int32_t frameCount, int32_t durationMs) {
        header.frameCount = frameCount;
        header.durationMs = durationMs;
        return *this;
    }

    // Where the cursor stands in the records added from now on.
    StreamBuilder& CursorAt(int32_t x, int32_t y) {
        cursorX_ = x;
        cursorY_ = y;
        return *this;
    }

    // Appends one item: `r`'s header and its rows filled with `fill`, not checked.
    void AppendItem(std::vector<uint8_t>& items, Rect r, uint8_t fill) const {
        AppendRectHeader(items, r);
        const int64_t rowBytes = BytesPerRow(int64_t{r.right - r.left} * geometry.bitsPerPixel);
        items.insert(items.end(), static_cast<size_t>(rowBytes * (r.bottom - r.top)), fill);
    }

    // One record holding one item filled with `fill`, or none when `r` is empty.
    StreamBuilder& Add(Rect r, uint8_t fill, RecordExtras extras = {}) {
        std::vector<uint8_t> items;
        if (r.right > r.left) AppendItem(items, r, fill);
        return AddItems(items, std::move(extras));
    }

    // One record whose single item paints the whole screen with the 32-bit `value` (BGRX).
    StreamBuilder& Fill(uint32_t value, RecordExtras extras = {}) {
        std::vector<uint8_t> items;
        AppendRectHeader(items, Rect{0, 0, geometry.width, geometry.height});
        const size_t at = items.size();
        items.resize(at + static_cast<size_t>(geometry.frameBytes));
        for (size_t i = at; i < items.size(); i += 4) PutU32(items.data() + i, value);
        return AddItems(items, std::move(extras));
    }

    // A record in which nothing changed.
    StreamBuilder& Same(RecordExtras extras = {}) { return AddItems({}, std::move(extras)); }

    // A record of the given items (any bytes), compressed as the recorder does.
    StreamBuilder& AddItems(const std::vector<uint8_t>& items, RecordExtras extras = {}) {
        std::vector<uint8_t> payload;
        compressor_->Compress(items, payload);
        return AddPayload(payload, std::move(extras));
    }

    // A record whose payload is taken as it is: compressed elsewhere, or broken on purpose.
    StreamBuilder& AddPayload(const std::vector<uint8_t>& payload, RecordExtras extras = {}) {
        FrameHeader f;
        f.payloadSize = static_cast<int32_t>(payload.size());
        f.cursorX = cursorX_;
        f.cursorY = cursorY_;
        f.click = extras.click;
        f.audioSize = static_cast<uint16_t>(extras.audio.size());
        f.holdTicks = extras.hold;
        const auto fb = EncodeFrameHeader(f);
        records.insert(records.end(), fb.begin(), fb.end());
        records.insert(records.end(), extras.audio.begin(), extras.audio.end());
        records.insert(records.end(), payload.begin(), payload.end());
        return *this;
    }

    // The stream as the recorder writes it: header, bitmap info, records.
    std::vector<uint8_t> Bytes() const {
        const auto hb = EncodeStreamHeader(header);
        std::vector<uint8_t> out(hb.begin(), hb.end());
        out.insert(out.end(), bitmapInfo.begin(), bitmapInfo.end());
        out.insert(out.end(), records.begin(), records.end());
        return out;
    }

    // Free to change before Bytes(), to make headers a recorder would not write.
    FrameGeometry geometry;
    StreamHeader header;
    std::vector<uint8_t> bitmapInfo;
    std::vector<uint8_t> records;

  private:
    std::unique_ptr<ZlibCompressor> compressor_;  // a pointer keeps the builder movable
    int32_t cursorX_ = 0;
    int32_t cursorY_ = 0;
};

// `blocks` GSM blocks and `extraBytes` more whose bytes all hold `value`, so a fake decoder
// can tell them apart.
inline std::vector<uint8_t> GsmBlocks(int blocks, uint8_t value, int extraBytes = 0) {
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

}  // namespace mrv::testing
