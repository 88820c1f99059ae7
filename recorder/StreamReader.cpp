// Stream reader: validates every header and item before it touches memory.
#include "recorder/StreamReader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "common/ByteOrder.h"
#include "common/PubUtils.h"

namespace mrv {

bool StreamReader::Fail(const std::string& message) {
    error_ = message;
    return false;
}

bool StreamReader::Open(std::span<const uint8_t> stream, int64_t maxFrameBytes) {
    stream_ = stream;
    error_.clear();
    image_.clear();
    if (stream.size() < static_cast<size_t>(kStreamHeaderSize)) {
        return Fail("the stream is shorter than its 37-byte header");
    }
    header_ = DecodeStreamHeader(stream.first<kStreamHeaderSize>());
    const StreamHeader& h = header_;
    if (h.screenWidth <= 0 || h.screenHeight <= 0 || h.screenWidth > kMaxScreenSide ||
        h.screenHeight > kMaxScreenSide ||
        int64_t{h.screenWidth} * h.screenHeight > kMaxScreenPixels) {
        return Fail("screen size out of range: " + std::to_string(h.screenWidth) + " x " +
                    std::to_string(h.screenHeight));
    }
    if (h.bitmapInfoSize < kBitmapInfoHeaderSize ||
        static_cast<int64_t>(stream.size()) < kStreamHeaderSize + int64_t{h.bitmapInfoSize}) {
        return Fail("bitmap-info block missing or cut off");
    }
    bitmapInfo_ = stream.subspan(kStreamHeaderSize, static_cast<size_t>(h.bitmapInfoSize));
    const uint8_t* bi = bitmapInfo_.data();
    const int bpp = GetU16(bi + 14);
    if (!IsValidDepth(bpp)) return Fail("unsupported colour depth " + std::to_string(bpp));
    geometry_ = MakeGeometry(h.screenWidth, h.screenHeight, bpp);
    if (GetU32(bi) != kBitmapInfoHeaderSize || GetI32(bi + 4) != h.screenWidth ||
        GetI32(bi + 8) != -h.screenHeight || GetU16(bi + 12) != 1 || GetU32(bi + 16) != 0) {
        return Fail("bitmap-info header does not describe the screen");
    }
    if (h.bitmapInfoSize != geometry_.bitmapInfoSize) {
        return Fail("bitmapInfoSize " + std::to_string(h.bitmapInfoSize) + " does not fit " +
                    std::to_string(bpp) + " bits per pixel");
    }
    if (h.bytesPerLine != geometry_.bytesPerLine || h.frameBytes != geometry_.frameBytes) {
        return Fail("bytesPerLine or frameBytes do not match the screen size");
    }
    if (geometry_.frameBytes > maxFrameBytes) return Fail("frame too large for this reader");
    if (h.audioFormat > 4) return Fail("unknown audio format " + std::to_string(h.audioFormat));
    if (h.frameCount < 0 || h.durationMs < 0) return Fail("negative frame count or duration");

    // A tick's payload is at most one frame of pixels plus one item header per sampled line.
    maxPayloadBytes_ = geometry_.frameBytes + int64_t{kRectHeaderSize} * (h.screenHeight + 2);
    firstRecord_ = kStreamHeaderSize + h.bitmapInfoSize;
    image_.assign(static_cast<size_t>(geometry_.frameBytes), 0);
    Rewind();
    return true;
}

std::span<const uint8_t> StreamReader::colorTable() const {
    if (geometry_.bitsPerPixel > 8) return {};
    return bitmapInfo_.subspan(kBitmapInfoHeaderSize);
}

void StreamReader::Rewind() {
    offset_ = firstRecord_;
    recordOffset_ = firstRecord_;
    recordIndex_ = 0;
    tickIndex_ = 0;
    frame_ = FrameHeader{};
    audio_ = {};
    rects_.clear();
    std::fill(image_.begin(), image_.end(), 0);
}

void StreamReader::Save(Snapshot& s) const {
    s.offset = offset_;
    s.recordIndex = recordIndex_;
    s.tickIndex = tickIndex_;
    s.image = image_;
}

void StreamReader::Restore(const Snapshot& s) {
    offset_ = s.offset;
    recordOffset_ = s.offset;
    recordIndex_ = s.recordIndex;
    tickIndex_ = s.tickIndex;
    image_ = s.image;
    rects_.clear();
    audio_ = {};
}

StreamReader::Next StreamReader::ReadNext() {
    if (image_.empty()) {
        if (error_.empty()) error_ = "the stream is not open";
        return Next::Error;
    }
    const int64_t size = static_cast<int64_t>(stream_.size());
    if (offset_ >= size) return Next::End;
    if (size - offset_ < kFrameHeaderSize) return Next::Truncated;
    const FrameHeader h =
        DecodeFrameHeader(stream_.subspan(static_cast<size_t>(offset_)).first<kFrameHeaderSize>());
    if (h.payloadSize < 0) {
        error_ = "negative payload size at offset " + std::to_string(offset_);
        return Next::Error;
    }
    if (h.click > 2) {
        error_ = "unknown click value at offset " + std::to_string(offset_);
        return Next::Error;
    }
    const int64_t body = int64_t{h.audioSize} + h.payloadSize;
    if (size - offset_ - kFrameHeaderSize < body) return Next::Truncated;

    const size_t audioAt = static_cast<size_t>(offset_ + kFrameHeaderSize);
    const auto payload = stream_.subspan(audioAt + h.audioSize, static_cast<size_t>(h.payloadSize));
    if (!ApplyPayload(payload)) {
        error_ += " (record " + std::to_string(recordIndex_) + " at offset " +
                  std::to_string(offset_) + ")";
        return Next::Error;
    }
    frame_ = h;
    audio_ = stream_.subspan(audioAt, h.audioSize);
    recordOffset_ = offset_;
    offset_ += kFrameHeaderSize + body;
    ++recordIndex_;
    tickIndex_ += 1 + h.holdTicks;
    return Next::Frame;
}

bool StreamReader::ApplyPayload(std::span<const uint8_t> payload) {
    // Inflate into a buffer bounded by what a tick can hold; more is malformed.
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return Fail("zlib could not start");
    if (inflated_.size() < 65536) inflated_.resize(65536);
    zs.next_in = const_cast<Bytef*>(payload.data());
    zs.avail_in = static_cast<uInt>(payload.size());
    size_t produced = 0;
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (produced == inflated_.size()) {
            if (static_cast<int64_t>(produced) >= maxPayloadBytes_) {
                inflateEnd(&zs);
                return Fail("payload inflates beyond one frame");
            }
            inflated_.resize(static_cast<size_t>(
                std::min<int64_t>(maxPayloadBytes_, static_cast<int64_t>(produced) * 2)));
        }
        zs.next_out = inflated_.data() + produced;
        zs.avail_out = static_cast<uInt>(inflated_.size() - produced);
        rc = inflate(&zs, Z_NO_FLUSH);
        produced = inflated_.size() - zs.avail_out;
        if (rc == Z_BUF_ERROR && zs.avail_out == 0) rc = Z_OK;  // just needs more room
    }
    const bool complete = rc == Z_STREAM_END && zs.avail_in == 0;
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) return Fail("payload is not a complete zlib stream");
    if (!complete) return Fail("bytes after the end of the zlib stream");

    // Validate every item before changing the image, so a bad record leaves it as it was.
    const FrameGeometry& g = geometry_;
    rects_.clear();
    size_t at = 0;
    int32_t previousBottom = 0;
    while (at < produced) {
        if (produced - at < static_cast<size_t>(kRectHeaderSize))
            return Fail("item header cut off");
        const Rect r = DecodeRectHeader(inflated_.data() + at);
        if (r.left < 0 || r.left >= r.right || r.right > g.width || r.top < 0 ||
            r.top >= r.bottom || r.bottom > g.height) {
            return Fail("item outside the screen");
        }
        if ((int64_t{r.left} * g.bitsPerPixel) % 32 != 0 ||
            (r.right != g.width && (int64_t{r.right - r.left} * g.bitsPerPixel) % 32 != 0)) {
            return Fail("item not aligned to 32-bit words");
        }
        if (r.top < previousBottom) return Fail("items overlap or are out of order");
        const int64_t rowBytes = BytesPerRow(int64_t{r.right - r.left} * g.bitsPerPixel);
        const int64_t pixels = rowBytes * (r.bottom - r.top);
        if (static_cast<int64_t>(produced - at - kRectHeaderSize) < pixels) {
            return Fail("item pixels cut off");
        }
        rects_.push_back(r);
        previousBottom = r.bottom;
        at += kRectHeaderSize + static_cast<size_t>(pixels);
    }
    at = 0;
    for (const Rect& r : rects_) {
        const size_t rowBytes =
            static_cast<size_t>(BytesPerRow(int64_t{r.right - r.left} * g.bitsPerPixel));
        const size_t rowOffset = static_cast<size_t>(int64_t{r.left} * g.bitsPerPixel / 8);
        at += kRectHeaderSize;
        for (int32_t y = r.top; y < r.bottom; ++y) {
            std::memcpy(image_.data() + static_cast<size_t>(y) * g.bytesPerLine + rowOffset,
                        inflated_.data() + at, rowBytes);
            at += rowBytes;
        }
    }
    return true;
}

}  // namespace mrv
