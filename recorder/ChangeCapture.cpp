// Change capture: sampled-line comparison, band growth and rectangle capture.
#include "recorder/ChangeCapture.h"

#include <algorithm>
#include <cstring>

#include "common/PubUtils.h"

namespace mrv {

void ChangeDetector::Reset(const FrameGeometry& geometry, int scanStep, uint32_t rasterOp) {
    geometry_ = geometry;
    scanStep_ = scanStep;
    rasterOp_ = rasterOp;
    pixelsPerWord_ = 32 / geometry.bitsPerPixel;
    phase_ = 0;
    // Drop the previous recording's buffers before taking new ones, so two never coexist.
    bitmapInfo_ = {};
    reference_ = {};
    rectBuffer_ = {};
    lineBuffer_ = {};
    bitmapInfo_ = MakeBitmapInfo(geometry.width, geometry.height, geometry.bitsPerPixel);
    reference_.assign(static_cast<size_t>(geometry.frameBytes), 0);
    rectBuffer_.assign(static_cast<size_t>(geometry.frameBytes), 0);
    lineBuffer_.assign(static_cast<size_t>(geometry.bytesPerLine), 0);
}

size_t ChangeDetector::MaxTickBytes() const {
    // Bands never overlap and each row of a band is at most a screen row, so the pixels fit in
    // one frame; there is at most one band per sampled line.
    const size_t bands = static_cast<size_t>(geometry_.height / scanStep_ + 2);
    return static_cast<size_t>(geometry_.frameBytes) + bands * kRectHeaderSize;
}

bool ChangeDetector::CompareLine(int32_t y, int32_t& lineLeft, int32_t& lineRight) const {
    const uint8_t* sample = lineBuffer_.data();
    const uint8_t* ref = reference_.data() + static_cast<size_t>(y) * geometry_.bytesPerLine;
    // Most lines are unchanged; a block compare finds that far faster than the word walk.
    if (std::memcmp(sample, ref, lineBuffer_.size()) == 0) return false;

    const int32_t width = geometry_.width;
    const int ppw = pixelsPerWord_;
    lineLeft = width;
    lineRight = 0;
    size_t offset = 0;
    for (int32_t x = 0; x < width; x += ppw, offset += 4) {
        if (std::memcmp(sample + offset, ref + offset, 4) != 0) {
            if (lineLeft == width) lineLeft = x - ppw;
            lineRight = x + 4 * ppw;
            // The band already reaches three words further right; skip comparing them.
            x += 3 * ppw;
            offset += 12;
        }
    }
    return lineRight != 0;
}

void ChangeDetector::FindAndCaptureBands(ScreenSource& screen, std::vector<uint8_t>& tickBuffer) {
    const int32_t width = geometry_.width;
    const int32_t height = geometry_.height;
    const int32_t step = scanStep_;
    int32_t y = phase_;
    while (y < height) {
        Rect band{width, height, 0, 0};
        for (;;) {
            // A line that could not be read is taken as unchanged: its reference row stays, so a
            // change there is found on a later tick.
            if (!screen.GrabRect(0, y, width, 1, bitmapInfo_, lineBuffer_.data(), rasterOp_)) {
                break;
            }
            int32_t lineLeft = width;
            int32_t lineRight = 0;
            if (!CompareLine(y, lineLeft, lineRight)) break;
            if (band.top == height) band.top = y - step;
            band.left = std::min(band.left, lineLeft);
            band.right = std::max(band.right, lineRight);
            band.bottom = y + step;
            y += step;
            if (y >= height) break;
        }
        if (band.bottom > 0) CaptureRect(screen, band, tickBuffer);
        y += step;
    }
    phase_ = (phase_ + 3) % step;
}

bool ChangeDetector::CaptureRect(ScreenSource& screen, Rect& rect,
                                 std::vector<uint8_t>& tickBuffer) {
    rect.left = std::max(rect.left, 0);
    rect.top = std::max(rect.top, 0);
    rect.right = std::min(rect.right, geometry_.width);
    rect.bottom = std::min(rect.bottom, geometry_.height);
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;  // cannot come from a scan; guards other callers

    // A failed grab leaves stale pixels in the buffer: the band waits for a later tick, which
    // still sees its sampled lines differ from the untouched reference.
    if (!screen.GrabRect(rect.left, rect.top, width, height, bitmapInfo_, rectBuffer_.data(),
                         rasterOp_)) {
        return false;
    }

    const int bpp = geometry_.bitsPerPixel;
    const size_t rowBytes = static_cast<size_t>(BytesPerRow(static_cast<int64_t>(width) * bpp));
    const size_t rowOffset =
        static_cast<size_t>(BytesPerRow(static_cast<int64_t>(rect.left) * bpp));
    const size_t stride = static_cast<size_t>(geometry_.bytesPerLine);
    for (int32_t r = 0; r < height; ++r) {
        std::memcpy(reference_.data() + static_cast<size_t>(rect.top + r) * stride + rowOffset,
                    rectBuffer_.data() + static_cast<size_t>(r) * rowBytes, rowBytes);
    }
    AppendRectHeader(tickBuffer, rect);
    tickBuffer.insert(tickBuffer.end(), rectBuffer_.begin(),
                      rectBuffer_.begin() + static_cast<ptrdiff_t>(rowBytes * height));
    return true;
}

}  // namespace mrv
