// Reads a recording stream back into pictures, cursor positions, clicks and sound.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "recorder/StreamFormat.h"

namespace mrv {

// Hostile headers must not make the reader allocate absurd amounts.
inline constexpr int64_t kMaxReaderFrameBytes = 512LL * 1024 * 1024;
// No real screen comes near these; anything larger is refused before memory is taken for it.
inline constexpr int32_t kMaxScreenSide = 16384;
inline constexpr int64_t kMaxScreenPixels = int64_t{1} << 28;

class StreamReader {
  public:
    enum class Next { Frame, End, Truncated, Error };

    // `stream` starts at the StreamHeader and must outlive the reader.
    bool Open(std::span<const uint8_t> stream, int64_t maxFrameBytes = kMaxReaderFrameBytes);

    // Reads one record and applies it to the image.
    Next ReadNext();
    // Back to the state before the first record (all-zero image).
    void Rewind();

    // Reader position and picture, so that a player can seek without replaying from the start.
    struct Snapshot {
        int64_t offset = 0;
        int32_t recordIndex = 0;
        int64_t tickIndex = 0;
        std::vector<uint8_t> image;
    };
    void Save(Snapshot& snapshot) const;
    void Restore(const Snapshot& snapshot);

    const StreamHeader& header() const { return header_; }
    const FrameGeometry& geometry() const { return geometry_; }
    std::span<const uint8_t> bitmapInfo() const { return bitmapInfo_; }
    // The colour table as BGRX entries (16 or 256 of them), empty above 8 bits.
    std::span<const uint8_t> colorTable() const;

    // The record last read.
    const FrameHeader& frame() const { return frame_; }
    std::span<const uint8_t> audio() const { return audio_; }
    const std::vector<Rect>& rects() const { return rects_; }
    int32_t recordIndex() const { return recordIndex_; }  // records read so far
    int64_t tickIndex() const { return tickIndex_; }      // ticks they stand for
    int64_t recordOffset() const { return recordOffset_; }
    int64_t offset() const { return offset_; }

    std::span<const uint8_t> image() const { return image_; }
    const std::string& error() const { return error_; }

  private:
    bool Fail(const std::string& message);
    bool ApplyPayload(std::span<const uint8_t> payload);

    std::span<const uint8_t> stream_;
    StreamHeader header_;
    FrameGeometry geometry_;
    std::span<const uint8_t> bitmapInfo_;
    int64_t firstRecord_ = 0;
    int64_t offset_ = 0;
    int64_t recordOffset_ = 0;
    int64_t maxPayloadBytes_ = 0;
    FrameHeader frame_;
    std::span<const uint8_t> audio_;
    std::vector<Rect> rects_;
    std::vector<uint8_t> image_;
    std::vector<uint8_t> inflated_;
    int32_t recordIndex_ = 0;
    int64_t tickIndex_ = 0;
    std::string error_;
};

}  // namespace mrv
