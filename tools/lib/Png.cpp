// PNG reading through Debian's stb (this file holds the one copy of its implementation); PNG
// writing through the export's encoder.
#include "tools/lib/Png.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

#include <fstream>

#include "common/ByteOrder.h"
#include "common/Utf8Path.h"

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
    const std::vector<uint8_t> png = exporting::EncodePng(image);
    std::ofstream out(Utf8Path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return !png.empty() && out.flush();
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

}  // namespace mrv::tools
