// PNG through Debian's stb; this file holds the one copy of its implementation.
#include "tools/lib/Png.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>
#include <stb_image_write.h>

#include <cstring>

#include "common/ByteOrder.h"

namespace mrv::tools {

bool ReadPng(const std::string& path, RgbImage& image, std::string& error) {
    int w = 0;
    int h = 0;
    int channels = 0;
    stbi_uc* data = stbi_load(path.c_str(), &w, &h, &channels, 3);
    if (data == nullptr) {
        error = path + ": " + stbi_failure_reason();
        return false;
    }
    image.width = w;
    image.height = h;
    image.rgb.assign(data, data + static_cast<size_t>(w) * h * 3);
    stbi_image_free(data);
    return true;
}

bool WritePng(const std::string& path, const RgbImage& image) {
    return stbi_write_png(path.c_str(), image.width, image.height, 3, image.rgb.data(),
                          image.width * 3) != 0;
}

void RgbToDib(const RgbImage& image, int bitsPerPixel, std::span<uint8_t> dib,
              int32_t bytesPerLine) {
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* in = image.rgb.data() + static_cast<size_t>(y) * image.width * 3;
        uint8_t* out = dib.data() + static_cast<size_t>(y) * bytesPerLine;
        if (bitsPerPixel == 32) {
            for (int32_t x = 0; x < image.width; ++x, in += 3, out += 4) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                out[3] = 0;
            }
        } else {
            for (int32_t x = 0; x < image.width; ++x, in += 3, out += 2) {
                PutU16(out, static_cast<uint16_t>(((in[0] >> 3) << 10) | ((in[1] >> 3) << 5) |
                                                  (in[2] >> 3)));
            }
        }
    }
}

uint8_t Through555(uint8_t channel) {
    const uint8_t v = channel >> 3;
    return static_cast<uint8_t>((v << 3) | (v >> 2));
}

void DibToRgb(std::span<const uint8_t> dib, const FrameGeometry& g,
              std::span<const uint8_t> colorTable, RgbImage& image) {
    image.width = g.width;
    image.height = g.height;
    image.rgb.resize(static_cast<size_t>(g.width) * g.height * 3);
    for (int32_t y = 0; y < g.height; ++y) {
        const uint8_t* row = dib.data() + static_cast<size_t>(y) * g.bytesPerLine;
        uint8_t* out = image.rgb.data() + static_cast<size_t>(y) * g.width * 3;
        for (int32_t x = 0; x < g.width; ++x, out += 3) {
            switch (g.bitsPerPixel) {
                case 32:
                    out[0] = row[x * 4 + 2];
                    out[1] = row[x * 4 + 1];
                    out[2] = row[x * 4];
                    break;
                case 16: {
                    const uint16_t v = GetU16(row + x * 2);
                    const auto widen = [](unsigned c) {
                        return static_cast<uint8_t>((c << 3) | (c >> 2));
                    };
                    out[0] = widen((v >> 10) & 31);
                    out[1] = widen((v >> 5) & 31);
                    out[2] = widen(v & 31);
                    break;
                }
                default: {
                    const unsigned index = g.bitsPerPixel == 8
                                               ? row[x]
                                               : (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 15);
                    const size_t at = size_t{index} * 4;
                    if (at + 3 <= colorTable.size()) {
                        out[0] = colorTable[at + 2];
                        out[1] = colorTable[at + 1];
                        out[2] = colorTable[at];
                    } else {
                        std::memset(out, 0, 3);
                    }
                    break;
                }
            }
        }
    }
}

}  // namespace mrv::tools
