// Finds the horizontal bands that changed since the last tick and captures them as RectItems.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "recorder/Platform.h"
#include "recorder/StreamFormat.h"

namespace mrv {

class ChangeDetector {
  public:
    // Allocates the zero-filled reference image, rectangle and line buffers for a recording.
    void Reset(const FrameGeometry& geometry, int scanStep, uint32_t rasterOp);

    // Samples every scanStep-th line from the current phase, captures each changed band into
    // `tickBuffer`, and advances the phase. The caller brackets it with BeginTick/EndTick.
    void FindAndCaptureBands(ScreenSource& screen, std::vector<uint8_t>& tickBuffer);

    // Clamps `rect` to the screen in place, grabs it, updates the reference image and appends
    // one RectItem. False when the grab failed: nothing is appended and the reference is kept.
    bool CaptureRect(ScreenSource& screen, Rect& rect, std::vector<uint8_t>& tickBuffer);

    std::span<uint8_t> bitmapInfo() { return bitmapInfo_; }
    std::span<uint8_t> referenceImage() { return reference_; }
    const FrameGeometry& geometry() const { return geometry_; }
    int phase() const { return phase_; }
    int scanStep() const { return scanStep_; }
    uint32_t rasterOp() const { return rasterOp_; }
    // Upper bound of one tick's payload, for reserving the tick buffer once.
    size_t MaxTickBytes() const;

  private:
    // Compares the sampled line with the reference row; returns false when they are equal.
    bool CompareLine(int32_t y, int32_t& lineLeft, int32_t& lineRight) const;

    FrameGeometry geometry_;
    int scanStep_ = 17;
    uint32_t rasterOp_ = kSrcCopy;
    int pixelsPerWord_ = 1;
    int phase_ = 0;
    std::vector<uint8_t> bitmapInfo_;
    std::vector<uint8_t> reference_;
    std::vector<uint8_t> rectBuffer_;
    std::vector<uint8_t> lineBuffer_;
};

}  // namespace mrv
