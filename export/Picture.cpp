// Pixel conversion, the cursor overlay and a PNG writer over zlib (already in every program of
// ours, so the player needs no image library for it).
#include "export/Picture.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/ByteOrder.h"

namespace mrv::exporting {

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

namespace {

// The standard arrow: B black outline, W white body, tip at the top left.
constexpr std::string_view kArrow[] = {
    "B",        "BB",        "BWB",        "BWWB",        "BWWWB",        "BWWWWB",   "BWWWWWB",
    "BWWWWWWB", "BWWWWWWWB", "BWWWWWWWWB", "BWWWWWWWWWB", "BWWWWWWBBBBB", "BWWWBWWB", "BWWBBWWB",
    "BWB BWWB", "BB   BWWB", "B     BWWB", "      BWWB",  "       BB",
};

void Put(RgbImage& image, int64_t x, int64_t y, uint8_t r, uint8_t g, uint8_t b) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    uint8_t* p = image.rgb.data() + (static_cast<size_t>(y) * image.width + x) * 3;
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

}  // namespace

void DrawCursor(RgbImage& image, int32_t x, int32_t y, const ClickRing* ring) {
    if (ring != nullptr && (ring->button == 1 || ring->button == 2)) {
        // A 3-pixel pen on a circle of radius 14, as the player's GDI ellipse draws it.
        const uint8_t r = ring->button == 1 ? 230 : 30;
        const uint8_t g = ring->button == 1 ? 30 : 90;
        const uint8_t b = ring->button == 1 ? 30 : 230;
        for (int dy = -16; dy <= 16; ++dy) {
            for (int dx = -16; dx <= 16; ++dx) {
                const int d2 = dx * dx + dy * dy;
                if (d2 * 4 >= 25 * 25 && d2 * 4 <= 31 * 31) {
                    Put(image, int64_t{ring->x} + dx, int64_t{ring->y} + dy, r, g, b);
                }
            }
        }
    }
    for (size_t row = 0; row < std::size(kArrow); ++row) {
        for (size_t col = 0; col < kArrow[row].size(); ++col) {
            const char c = kArrow[row][col];
            if (c == ' ') continue;
            const uint8_t v = c == 'W' ? 255 : 0;
            Put(image, int64_t{x} + static_cast<int64_t>(col),
                int64_t{y} + static_cast<int64_t>(row), v, v, v);
        }
    }
}

namespace {

void Chunk(std::vector<uint8_t>& out, const char* type, std::span<const uint8_t> data) {
    uint8_t be[4];
    const auto u32 = [&](uint32_t v) {
        be[0] = static_cast<uint8_t>(v >> 24);
        be[1] = static_cast<uint8_t>(v >> 16);
        be[2] = static_cast<uint8_t>(v >> 8);
        be[3] = static_cast<uint8_t>(v);
        out.insert(out.end(), be, be + 4);
    };
    u32(static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, out.data() + typeAt, static_cast<uInt>(4));
    // zlib counts in 32-bit pieces; a row set of many MB passes in several.
    for (size_t done = 0; done < data.size();) {
        const size_t n = std::min<size_t>(data.size() - done, 1u << 30);
        crc = crc32(crc, data.data() + done, static_cast<uInt>(n));
        done += n;
    }
    u32(static_cast<uint32_t>(crc));
}

}  // namespace

namespace {

// Which source pixels make up each of `to` output pixels along a side of `from`, and how much of
// each, in 1/65536ths of the output pixel.
struct Tap {
    int32_t source;
    uint32_t weight;
};
std::vector<std::vector<Tap>> AreaTaps(int32_t from, int32_t to) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
    // Output pixel i covers [i * from / to, (i + 1) * from / to) of the source, in units of
    // 1 / to of a source pixel so that the edges are exact.
    for (int32_t i = 0; i < to; ++i) {
        const int64_t lo = int64_t{i} * from, hi = lo + from;
        uint32_t given = 0;
        for (int64_t s = lo / to; s * to < hi; ++s) {
            const int64_t covered = std::min(hi, (s + 1) * to) - std::max(lo, s * to);
            const auto w = static_cast<uint32_t>(covered * 65536 / from);
            taps[static_cast<size_t>(i)].push_back({static_cast<int32_t>(s), w});
            given += w;
        }
        // Rounding left over goes to the largest share, so that every pixel weighs 1 in all.
        auto& t = taps[static_cast<size_t>(i)];
        std::max_element(t.begin(), t.end(), [](const Tap& a, const Tap& b) {
            return a.weight < b.weight;
        })->weight += 65536 - given;
    }
    return taps;
}

}  // namespace

void ScaleByArea(const RgbImage& in, int32_t width, int32_t height, RgbImage& out) {
    const auto across = AreaTaps(in.width, width);
    const auto down = AreaTaps(in.height, height);
    // Across first into 8.8 fixed point, then down.
    std::vector<uint16_t> rows(static_cast<size_t>(in.height) * width * 3);
    for (int32_t y = 0; y < in.height; ++y) {
        const uint8_t* src = in.rgb.data() + static_cast<size_t>(y) * in.width * 3;
        uint16_t* dst = rows.data() + static_cast<size_t>(y) * width * 3;
        for (int32_t x = 0; x < width; ++x) {
            uint32_t sum[3] = {0, 0, 0};
            for (const Tap& t : across[static_cast<size_t>(x)]) {
                for (int c = 0; c < 3; ++c) sum[c] += src[t.source * 3 + c] * t.weight;
            }
            for (int c = 0; c < 3; ++c) dst[x * 3 + c] = static_cast<uint16_t>((sum[c] + 128) >> 8);
        }
    }
    out.width = width;
    out.height = height;
    out.rgb.resize(static_cast<size_t>(width) * height * 3);
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* dst = out.rgb.data() + y * stride;
        for (size_t i = 0; i < stride; ++i) {
            uint64_t sum = 0;
            for (const Tap& t : down[static_cast<size_t>(y)]) {
                sum += uint64_t{rows[static_cast<size_t>(t.source) * stride + i]} * t.weight;
            }
            dst[i] = static_cast<uint8_t>(std::min<uint64_t>((sum + (1u << 23)) >> 24, 255));
        }
    }
}

std::vector<uint8_t> EncodePng(const RgbImage& image) {
    const size_t stride = static_cast<size_t>(image.width) * 3;
    // Each row with the filter of the smallest sum of signed residues (None, Sub or Up), the
    // usual choice of PNG writers; Up wins on the repeated rows of screen pictures.
    std::vector<uint8_t> filtered;
    filtered.reserve((stride + 1) * static_cast<size_t>(image.height));
    std::vector<uint8_t> candidate[3];
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* row = image.rgb.data() + static_cast<size_t>(y) * stride;
        const uint8_t* above = y > 0 ? row - stride : nullptr;
        size_t best = 0;
        uint64_t bestCost = UINT64_MAX;
        for (size_t f = 0; f < 3; ++f) {
            std::vector<uint8_t>& c = candidate[f];
            c.resize(stride);
            uint64_t cost = 0;
            for (size_t i = 0; i < stride; ++i) {
                const uint8_t prev = f == 1            ? (i >= 3 ? row[i - 3] : 0)
                                     : f == 2 && above ? above[i]
                                                       : 0;
                c[i] = static_cast<uint8_t>(row[i] - prev);
                cost += static_cast<uint64_t>(std::abs(static_cast<int8_t>(c[i])));
            }
            if (cost < bestCost) {
                bestCost = cost;
                best = f;
            }
        }
        filtered.push_back(static_cast<uint8_t>(best));  // 0 None, 1 Sub, 2 Up
        filtered.insert(filtered.end(), candidate[best].begin(), candidate[best].end());
    }
    uLongf packedSize = compressBound(static_cast<uLong>(filtered.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, filtered.data(), static_cast<uLong>(filtered.size()),
                  6) != Z_OK) {
        return {};
    }
    packed.resize(packedSize);

    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    uint8_t header[13] = {};
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<uint8_t>(static_cast<uint32_t>(image.width) >> (24 - 8 * i));
        header[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(image.height) >> (24 - 8 * i));
    }
    header[8] = 8;  // bits per channel
    header[9] = 2;  // RGB
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", packed);
    Chunk(out, "IEND", {});
    return out;
}

}  // namespace mrv::exporting
