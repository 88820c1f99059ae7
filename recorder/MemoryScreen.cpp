// In-memory screen: copies rectangles out as the platform's DIB conversion would at equal depth.
#include "recorder/MemoryScreen.h"

#include <algorithm>
#include <cstring>

#include "common/ByteOrder.h"
#include "common/PubUtils.h"

namespace mrv {

uint32_t ReadPixel(std::span<const uint8_t> row, int32_t x, int bpp) {
    switch (bpp) {
        case 4: {
            const uint8_t b = row[static_cast<size_t>(x / 2)];
            return (x % 2 == 0) ? (b >> 4) : (b & 0x0F);
        }
        case 8:
            return row[static_cast<size_t>(x)];
        case 16:
            return GetU16(&row[static_cast<size_t>(x) * 2]);
        default:
            return GetU32(&row[static_cast<size_t>(x) * 4]);
    }
}

void WritePixel(std::span<uint8_t> row, int32_t x, int bpp, uint32_t value) {
    switch (bpp) {
        case 4: {
            uint8_t& b = row[static_cast<size_t>(x / 2)];
            b = (x % 2 == 0) ? static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4))
                             : static_cast<uint8_t>((b & 0xF0) | (value & 0x0F));
            break;
        }
        case 8:
            row[static_cast<size_t>(x)] = static_cast<uint8_t>(value);
            break;
        case 16:
            PutU16(&row[static_cast<size_t>(x) * 2], static_cast<uint16_t>(value));
            break;
        default:
            PutU32(&row[static_cast<size_t>(x) * 4], value);
            break;
    }
}

MemoryScreen::MemoryScreen(int32_t width, int32_t height, int bitsPerPixel) {
    Reset(width, height, bitsPerPixel);
}

void MemoryScreen::Reset(int32_t width, int32_t height, int bitsPerPixel) {
    geometry_ = MakeGeometry(width, height, bitsPerPixel);
    pixels_.assign(static_cast<size_t>(geometry_.frameBytes), 0);
    colorTable.clear();
    if (bitsPerPixel <= 8) {
        // Any distinct colours do; the recorder only copies the table.
        colorTable.assign(static_cast<size_t>(4 << bitsPerPixel), 0);
        for (int i = 0; i < (1 << bitsPerPixel); ++i) {
            colorTable[static_cast<size_t>(i) * 4 + 0] = static_cast<uint8_t>(i * 7);
            colorTable[static_cast<size_t>(i) * 4 + 1] = static_cast<uint8_t>(i * 3);
            colorTable[static_cast<size_t>(i) * 4 + 2] = static_cast<uint8_t>(255 - i);
        }
    }
}

bool MemoryScreen::GrabRect(int32_t x, int32_t y, int32_t width, int32_t height,
                            std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t) {
    SetBitmapInfoSize(bitmapInfo, width, height);
    if (!colorTable.empty() && bitmapInfo.size() >= kBitmapInfoHeaderSize + colorTable.size()) {
        std::copy(colorTable.begin(), colorTable.end(), bitmapInfo.begin() + kBitmapInfoHeaderSize);
    }
    if (bits == nullptr) return true;
    ++grabCount;
    if (height == 1 && width == geometry_.width) ++lineGrabCount;
    const int bpp = geometry_.bitsPerPixel;
    const size_t rowBytes = static_cast<size_t>(BytesPerRow(int64_t{width} * bpp));
    for (int32_t r = 0; r < height; ++r) {
        std::span<uint8_t> out(bits + static_cast<size_t>(r) * rowBytes, rowBytes);
        const int32_t sy = y + r;
        if (sy < 0 || sy >= geometry_.height) {
            std::fill(out.begin(), out.end(), 0);
            continue;
        }
        std::span<const uint8_t> src(Row(sy), static_cast<size_t>(geometry_.bytesPerLine));
        if ((int64_t{x} * bpp) % 8 == 0 && x >= 0 && x + width <= geometry_.width) {
            // Whole bytes: copy directly and zero only the padding after them, since replays
            // grab every sampled line of every tick through here.
            const size_t from = static_cast<size_t>(int64_t{x} * bpp / 8);
            const size_t used =
                std::min(rowBytes, static_cast<size_t>((int64_t{width} * bpp + 7) / 8));
            std::memcpy(out.data(), src.data() + from, used);
            std::fill(out.begin() + static_cast<ptrdiff_t>(used), out.end(), 0);
            if (bpp == 4 && width % 2 == 1) out[used - 1] &= 0xF0;
        } else {
            std::fill(out.begin(), out.end(), 0);
            for (int32_t c = 0; c < width; ++c) {
                const int32_t sx = x + c;
                if (sx >= 0 && sx < geometry_.width)
                    WritePixel(out, c, bpp, ReadPixel(src, sx, bpp));
            }
        }
    }
    return true;
}

void MemoryScreen::SetPixel(int32_t x, int32_t y, uint32_t value) {
    WritePixel(std::span<uint8_t>(Row(y), static_cast<size_t>(geometry_.bytesPerLine)), x,
               geometry_.bitsPerPixel, value);
}

uint32_t MemoryScreen::GetPixel(int32_t x, int32_t y) const {
    return ReadPixel(
        std::span<const uint8_t>(pixels_.data() + static_cast<size_t>(y) * geometry_.bytesPerLine,
                                 static_cast<size_t>(geometry_.bytesPerLine)),
        x, geometry_.bitsPerPixel);
}

void MemoryScreen::Fill(uint32_t value) {
    FillRect({0, 0, geometry_.width, geometry_.height}, value);
}

void MemoryScreen::FillRect(const Rect& r, uint32_t value) {
    for (int32_t y = std::max(r.top, 0); y < std::min(r.bottom, geometry_.height); ++y)
        for (int32_t x = std::max(r.left, 0); x < std::min(r.right, geometry_.width); ++x)
            SetPixel(x, y, value);
}

}  // namespace mrv
