// A GIF animation encoder of our own: each picture after the first is stored as the rectangle
// that changed, with its own palette (exact when it holds at most 255 colours, else a median
// cut), unchanged pixels transparent, and pictures that do not change merged into one frame
// that lasts.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "export/Picture.h"

namespace mrv::exporting {

// A GIF frame's delay is a 16-bit count of centiseconds; longer pictures are repeated.
inline constexpr int64_t kMaxGifFrameCs = 60000;

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
    void EncodeChange(const RgbImage& picture);
    bool Emit(std::span<const uint8_t> bytes);

    int32_t width_, height_;
    Sink sink_;
    bool started_ = false;
    bool ok_ = true;
    std::vector<uint8_t> previous_;  // the last picture added, as RGB
    std::vector<uint8_t> pending_;   // the frame waiting for its delay, without its control block
    bool pendingTransparent_ = false;
    uint8_t pendingTransparentIndex_ = 0;
    int64_t pendingAtCs_ = -1;
    std::vector<uint8_t> indices_;
};

// GIF's LZW for `indices` of `minCodeSize` bits (2 to 8), as data sub-blocks with their
// terminator.
void GifLzw(std::span<const uint8_t> indices, int minCodeSize, std::vector<uint8_t>& out);

}  // namespace mrv::exporting
