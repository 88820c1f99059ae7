// A screen held in memory as a top-down DIB at the recording's depth (replays and tests).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "recorder/Platform.h"
#include "recorder/StreamFormat.h"

namespace mrv {

class MemoryScreen : public ScreenSource {
  public:
    MemoryScreen(int32_t width, int32_t height, int bitsPerPixel);
    // Starts over with another size or depth, all pixels zero.
    void Reset(int32_t width, int32_t height, int bitsPerPixel);

    ScreenSize Size() override { return {geometry_.width, geometry_.height}; }
    void BeginTick() override {}
    void EndTick() override {}
    bool GrabRect(int32_t x, int32_t y, int32_t width, int32_t height,
                  std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t rasterOp) override;

    // The pixels, bytesPerLine bytes a row, rows top first.
    std::span<uint8_t> pixels() { return pixels_; }
    uint8_t* Row(int32_t y) {
        return pixels_.data() + static_cast<size_t>(y) * geometry_.bytesPerLine;
    }
    const FrameGeometry& geometry() const { return geometry_; }

    // Sets pixel (x, y) to a raw value at the screen's depth (palette index, 5-5-5 word, BGRX).
    void SetPixel(int32_t x, int32_t y, uint32_t value);
    uint32_t GetPixel(int32_t x, int32_t y) const;
    void Fill(uint32_t value);
    void FillRect(const Rect& r, uint32_t value);

    // The colour table reported for 4 and 8 bits (BGRX entries).
    std::vector<uint8_t> colorTable;
    int64_t grabCount = 0;
    int64_t lineGrabCount = 0;

  private:
    FrameGeometry geometry_;
    std::vector<uint8_t> pixels_;
};

uint32_t ReadPixel(std::span<const uint8_t> row, int32_t x, int bitsPerPixel);
void WritePixel(std::span<uint8_t> row, int32_t x, int bitsPerPixel, uint32_t value);

}  // namespace mrv
