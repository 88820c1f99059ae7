// A recorded picture as RGB, the cursor and clicks drawn on it as the player draws them, and
// the picture as a PNG file.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "recorder/StreamFormat.h"

namespace mrv::exporting {

struct RgbImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a pixel, rows top first, no padding
};

// A DIB image to RGB. 16-bit channels are widened by bit replication ((v << 3) | (v >> 2)), so
// white stays white; 4 and 8 bits go through the BGRX colour table.
void DibToRgb(std::span<const uint8_t> dib, const FrameGeometry& geometry,
              std::span<const uint8_t> colorTable, RgbImage& image);

// A press shown at the cursor: 1 left (a red ring), 2 right (a blue ring).
struct ClickRing {
    int32_t x = 0;
    int32_t y = 0;
    uint8_t button = 0;
};

// The player's overlay: the ring of a recent press, then the arrow with its tip at (x, y),
// clipped to the picture.
void DrawCursor(RgbImage& image, int32_t x, int32_t y, const ClickRing* ring);

// `in` scaled down to `width` x `height` by area averaging: each pixel is the mean of the part
// of the picture it covers, so thin text and lines fade rather than vanish. Sizes no larger
// than the picture's.
void ScaleByArea(const RgbImage& in, int32_t width, int32_t height, RgbImage& out);

// The picture as a complete PNG file (8-bit RGB).
std::vector<uint8_t> EncodePng(const RgbImage& image);

}  // namespace mrv::exporting
