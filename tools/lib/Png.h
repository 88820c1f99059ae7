// PNG files in and out, and RGB pictures into the recording's depths (the way back is the
// export's DibToRgb).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "export/Picture.h"
#include "recorder/StreamFormat.h"

namespace mrv::tools {

using exporting::DibToRgb;
using exporting::RgbImage;

// Reads an RGB or RGBA PNG (alpha is dropped); false with `error` set otherwise.
bool ReadPng(const std::string& path, RgbImage& image, std::string& error);
bool WritePng(const std::string& path, const RgbImage& image);

// RGB to the screen's DIB layout: 32 bits blue, green, red, 0; 16 bits 5-5-5 by truncation.
void RgbToDib(const RgbImage& image, int bitsPerPixel, std::span<uint8_t> dib,
              int32_t bytesPerLine);

// What a 16-bit recording keeps of an RGB pixel, shown the way DibToRgb shows it.
uint8_t Through555(uint8_t channel);

}  // namespace mrv::tools
