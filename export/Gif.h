// A GIF animation encoder of our own: each picture after the first is stored as the rectangle
// that changed, unchanged pixels transparent, through the palette of the first picture or of the
// last frame while it still serves, else one of its own (exact when the rectangle holds at most
// 255 colours, else its most frequent colours exact and the rare ones mapped to their nearest);
// pictures that do not change, or come within 20 ms, merge into one frame.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <unordered_map>
#include <vector>

#include "export/Picture.h"

namespace mrv::exporting {

// A GIF frame's delay is a 16-bit count of centiseconds; longer pictures are repeated.
inline constexpr int64_t kMaxGifFrameCs = 60000;
// Browsers slow a delay shorter than this down to a tenth of a second: a picture that comes
// sooner after the one before replaces it in the same frame.
inline constexpr int64_t kMinGifDelayCs = 2;

// How many pixels of each colour a picture (or the part of it stored) holds.
using ColourCounts = std::unordered_map<uint32_t, uint32_t>;  // 0xRRGGBB -> pixels

// A frame's palette of at most 255 colours (the 256th index is left for transparency).
class GifPalette {
  public:
    // All the colours when they are at most 255; else the frequent ones (flat backgrounds,
    // text, the UI's greys) each an entry of its own and the rare ones a median cut of what
    // is left, every colour then drawn as its nearest entry.
    void Build(const ColourCounts& counts);
    // True when every colour that a palette built for `counts` would hold exactly is here.
    bool Serves(const ColourCounts& counts) const;
    // The entry a colour is drawn as.
    uint8_t Index(uint32_t colour);
    const std::vector<uint32_t>& colours() const { return colours_; }
    bool empty() const { return colours_.empty(); }

  private:
    std::vector<uint32_t> colours_;
    std::unordered_map<uint32_t, uint8_t> exact_;
    std::unordered_map<uint32_t, uint8_t> nearest_;  // rare colours met so far
};

class GifWriter {
  public:
    using Sink = std::function<bool(std::span<const uint8_t>)>;
    // Sides are 16-bit in GIF; the caller keeps to that.
    GifWriter(int32_t width, int32_t height, Sink sink);

    // The picture shown from `atCs` centiseconds on, until the next one; times must not go
    // back. False when the sink refused bytes.
    bool Add(const RgbImage& picture, int64_t atCs);
    // The last picture lasts until `endCs`; writes the trailer.
    bool Finish(int64_t endCs);

  private:
    bool Flush(int64_t untilCs);
    // The waiting picture as a frame over the shown one; the first also makes the header.
    void EncodeChange();
    bool Emit(std::span<const uint8_t> bytes);

    int32_t width_, height_;
    Sink sink_;
    bool ok_ = true;
    std::vector<uint8_t> head_;     // until the first frame is written
    std::vector<uint8_t> shown_;    // the picture the frames written so far show, as RGB
    std::vector<uint8_t> waiting_;  // the picture of the next frame, waiting for its delay
    int64_t waitingAtCs_ = -1;
    std::vector<uint8_t> frame_;  // the waiting frame, without its control block
    bool frameTransparent_ = false;
    uint8_t frameTransparentIndex_ = 0;
    GifPalette global_;  // the first picture's, in the header
    GifPalette local_;   // the last frame's own
    std::vector<uint8_t> indices_;
};

// GIF's LZW for `indices` of `minCodeSize` bits (2 to 8), as data sub-blocks with their
// terminator.
void GifLzw(std::span<const uint8_t> indices, int minCodeSize, std::vector<uint8_t>& out);

}  // namespace mrv::exporting
