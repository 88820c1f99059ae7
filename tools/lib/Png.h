// PNG files in and out, and the pixel conversions between RGB and the recording's depths.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "recorder/StreamFormat.h"

namespace mrv::tools {

struct RgbImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a pixel, rows top first, no padding
};

// Reads an RGB or RGBA PNG (alpha is dropped); false with `error` set otherwise.
bool ReadPng(const std::string& path, RgbImage& image, std::string& error);
bool WritePng(const std::string& path, const RgbImage& image);

// RGB to the screen's DIB layout: 32 bits blue, green, red, 0; 16 bits 5-5-5 by truncation.
void RgbToDib(const RgbImage& image, int bitsPerPixel, std::span<uint8_t> dib,
              int32_t bytesPerLine);

// A DIB image back to RGB. 16-bit channels are widened by bit replication ((v << 3) | (v >> 2)),
// so white stays white; 4 and 8 bits go through the BGRX colour table.
void DibToRgb(std::span<const uint8_t> dib, const FrameGeometry& geometry,
              std::span<const uint8_t> colorTable, RgbImage& image);

// What a 16-bit recording keeps of an RGB pixel, shown the way DibToRgb shows it.
uint8_t Through555(uint8_t channel);

}  // namespace mrv::tools
