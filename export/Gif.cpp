// GIF89a writing: the changed rectangle of each picture, its palette and its LZW codes.
#include "export/Gif.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace mrv::exporting {

namespace {

void U16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

uint32_t Rgb(const uint8_t* p) { return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]; }

// Bits packed least significant first into 255-byte sub-blocks.
class CodeWriter {
  public:
    explicit CodeWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Put(uint32_t code, int bits) {
        acc_ |= code << used_;
        used_ += bits;
        while (used_ >= 8) {
            Byte(static_cast<uint8_t>(acc_));
            acc_ >>= 8;
            used_ -= 8;
        }
    }
    void End() {
        if (used_ > 0) Byte(static_cast<uint8_t>(acc_));
        if (!block_.empty()) Block();
        out_.push_back(0);
    }

  private:
    void Byte(uint8_t b) {
        block_.push_back(b);
        if (block_.size() == 255) Block();
    }
    void Block() {
        out_.push_back(static_cast<uint8_t>(block_.size()));
        out_.insert(out_.end(), block_.begin(), block_.end());
        block_.clear();
    }
    std::vector<uint8_t>& out_;
    std::vector<uint8_t> block_;
    uint32_t acc_ = 0;
    int used_ = 0;
};

// A palette for a set of pixels: their own colours when few enough, else a median cut of
// their 5-5-5 histogram. `Index` gives a pixel's entry.
class Palette {
  public:
    void Build(const std::vector<uint32_t>& pixels, size_t maxColours) {
        exact_.clear();
        colours_.clear();
        for (uint32_t c : pixels) {
            if (exact_.count(c)) continue;
            if (exact_.size() == maxColours) {
                exact_.clear();
                break;
            }
            const auto index = static_cast<uint8_t>(exact_.size());
            exact_.emplace(c, index);
            colours_.push_back(c);
        }
        if (!exact_.empty() || pixels.empty()) return;
        colours_.clear();
        MedianCut(pixels, maxColours);
    }
    uint8_t Index(uint32_t c) const {
        if (!exact_.empty()) return exact_.at(c);
        return binBox_[Bin(c)];
    }
    const std::vector<uint32_t>& colours() const { return colours_; }

  private:
    static uint32_t Bin(uint32_t c) {
        return ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31);
    }
    struct Box {
        std::vector<uint32_t> bins;
        uint64_t pixels = 0;
    };
    void MedianCut(const std::vector<uint32_t>& pixels, size_t maxColours) {
        std::vector<uint32_t> counts(32768, 0);
        for (uint32_t c : pixels) ++counts[Bin(c)];
        std::vector<Box> boxes(1);
        for (uint32_t b = 0; b < counts.size(); ++b) {
            if (counts[b]) boxes[0].bins.push_back(b), boxes[0].pixels += counts[b];
        }
        // Split the box of the most pixels along its widest channel, at its median pixel.
        while (boxes.size() < maxColours) {
            size_t pick = SIZE_MAX;
            for (size_t i = 0; i < boxes.size(); ++i) {
                if (boxes[i].bins.size() > 1 &&
                    (pick == SIZE_MAX || boxes[i].pixels > boxes[pick].pixels)) {
                    pick = i;
                }
            }
            if (pick == SIZE_MAX) break;
            Box& box = boxes[pick];
            int shift = 0;
            uint32_t widest = 0;
            for (int s : {10, 5, 0}) {
                uint32_t lo = 31, hi = 0;
                for (uint32_t b : box.bins) {
                    lo = std::min(lo, (b >> s) & 31);
                    hi = std::max(hi, (b >> s) & 31);
                }
                if (hi - lo >= widest) widest = hi - lo, shift = s;
            }
            std::sort(box.bins.begin(), box.bins.end(), [shift](uint32_t a, uint32_t b) {
                return ((a >> shift) & 31) < ((b >> shift) & 31);
            });
            uint64_t seen = 0;
            size_t cut = 1;
            for (; cut < box.bins.size(); ++cut) {
                seen += counts[box.bins[cut - 1]];
                if (seen * 2 >= box.pixels) break;
            }
            cut = std::min(cut, box.bins.size() - 1);
            Box upper;
            upper.bins.assign(box.bins.begin() + static_cast<std::ptrdiff_t>(cut), box.bins.end());
            box.bins.resize(cut);
            box.pixels = 0;
            for (uint32_t b : box.bins) box.pixels += counts[b];
            for (uint32_t b : upper.bins) upper.pixels += counts[b];
            boxes.push_back(std::move(upper));
        }
        // Each box's colour is the mean of its pixels, from the full colours.
        std::vector<std::array<uint64_t, 4>> sums(boxes.size(), {0, 0, 0, 0});
        binBox_.assign(32768, 0);
        for (size_t i = 0; i < boxes.size(); ++i) {
            for (uint32_t b : boxes[i].bins) binBox_[b] = static_cast<uint8_t>(i);
        }
        for (uint32_t c : pixels) {
            auto& s = sums[binBox_[Bin(c)]];
            s[0] += c >> 16;
            s[1] += (c >> 8) & 255;
            s[2] += c & 255;
            ++s[3];
        }
        for (const auto& s : sums) {
            const uint64_t n = std::max<uint64_t>(s[3], 1);
            colours_.push_back(
                static_cast<uint32_t>(((s[0] / n) << 16) | ((s[1] / n) << 8) | (s[2] / n)));
        }
    }

    std::unordered_map<uint32_t, uint8_t> exact_;
    std::vector<uint8_t> binBox_;
    std::vector<uint32_t> colours_;
};

}  // namespace

void GifLzw(std::span<const uint8_t> indices, int minCodeSize, std::vector<uint8_t>& out) {
    out.push_back(static_cast<uint8_t>(minCodeSize));
    CodeWriter writer(out);
    const uint32_t clear = 1u << minCodeSize;
    const uint32_t end = clear + 1;
    // Open addressing over (prefix, symbol): 4096 codes at most, so 8192 slots stay sparse.
    constexpr size_t kSlots = 8192;
    std::vector<uint32_t> keys(kSlots), codes(kSlots);
    std::vector<uint16_t> generation(kSlots, 0);
    uint16_t now = 1;
    uint32_t next = end + 1;
    int bits = minCodeSize + 1;
    const auto reset = [&] {
        ++now;
        if (now == 0) std::fill(generation.begin(), generation.end(), 0), now = 1;
        next = end + 1;
        bits = minCodeSize + 1;
    };
    writer.Put(clear, bits);
    if (indices.empty()) {
        writer.Put(end, bits);
        writer.End();
        return;
    }
    uint32_t prefix = indices[0];
    for (size_t i = 1; i < indices.size(); ++i) {
        const uint32_t key = (prefix << 8) | indices[i];
        size_t slot = (key * 2654435761u) >> 19;  // 13 bits
        bool found = false;
        while (generation[slot] == now) {
            if (keys[slot] == key) {
                found = true;
                break;
            }
            slot = (slot + 1) & (kSlots - 1);
        }
        if (found) {
            prefix = codes[slot];
            continue;
        }
        writer.Put(prefix, bits);
        if (next < 4096) {
            generation[slot] = now;
            keys[slot] = key;
            codes[slot] = next++;
            // The decoder learns each code one step later, so it widens when `next` passes
            // the current width, not when it reaches it.
            if (next > (1u << bits) && bits < 12) ++bits;
        } else {
            writer.Put(clear, bits);
            reset();
        }
        prefix = indices[i];
    }
    writer.Put(prefix, bits);
    // The decoder adds an entry for the last code too, and may widen before the end code.
    if (next < 4096 && next + 1 > (1u << bits) && bits < 12) ++bits;
    writer.Put(end, bits);
    writer.End();
}

GifWriter::GifWriter(int32_t width, int32_t height, Sink sink)
    : width_(width), height_(height), sink_(std::move(sink)) {}

bool GifWriter::Emit(std::span<const uint8_t> bytes) {
    if (ok_ && !sink_(bytes)) ok_ = false;
    return ok_;
}

bool GifWriter::Add(const RgbImage& picture, int64_t atCs) {
    if (!started_) {
        std::vector<uint8_t> head{'G', 'I', 'F', '8', '9', 'a'};
        U16(head, static_cast<uint32_t>(width_));
        U16(head, static_cast<uint32_t>(height_));
        head.insert(head.end(), {0x00, 0, 0});  // no global palette: each frame has its own
        // Loop forever, as videos shared in chat and mail are expected to.
        const uint8_t loop[] = {0x21, 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                                'E',  '2',  '.', '0', 3,   1,   0,   0,   0};
        head.insert(head.end(), std::begin(loop), std::end(loop));
        started_ = true;
        if (!Emit(head)) return false;
    } else if (picture.rgb == previous_) {
        return ok_;  // the pending frame simply lasts longer
    }
    if (!Flush(atCs)) return false;
    EncodeChange(picture);
    previous_ = picture.rgb;
    pendingAtCs_ = atCs;
    return ok_;
}

bool GifWriter::Flush(int64_t untilCs) {
    if (pendingAtCs_ < 0) return ok_;
    int64_t left = std::max<int64_t>(untilCs - pendingAtCs_, 1);
    bool first = true;
    while (left > 0 && ok_) {
        const int64_t delay = std::min(left, kMaxGifFrameCs);
        left -= delay;
        std::vector<uint8_t> control{0x21, 0xF9, 4};
        // Disposal 1 (keep): the next frame draws over this one.
        const bool transparent = first ? pendingTransparent_ : true;
        control.push_back(static_cast<uint8_t>(0x04 | (transparent ? 1 : 0)));
        U16(control, static_cast<uint32_t>(delay));
        control.push_back(first ? pendingTransparentIndex_ : 0);
        control.push_back(0);
        Emit(control);
        if (first) {
            Emit(pending_);
        } else {
            // A picture held past the longest delay: a transparent pixel that lasts on.
            std::vector<uint8_t> still{0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 0};
            GifLzw(std::vector<uint8_t>{0}, 2, still);
            Emit(still);
        }
        first = false;
    }
    pendingAtCs_ = -1;
    return ok_;
}

void GifWriter::EncodeChange(const RgbImage& picture) {
    const size_t stride = static_cast<size_t>(width_) * 3;
    const bool hasPrevious = previous_.size() == picture.rgb.size();
    int32_t left = 0, top = 0, right = width_, bottom = height_;
    if (hasPrevious) {
        // The rectangle around every changed pixel.
        left = width_, top = height_, right = 0, bottom = 0;
        for (int32_t y = 0; y < height_; ++y) {
            const uint8_t* a = picture.rgb.data() + y * stride;
            const uint8_t* b = previous_.data() + y * stride;
            if (std::equal(a, a + stride, b)) continue;
            top = std::min(top, y);
            bottom = y + 1;
            int32_t x0 = 0;
            while (a[x0 * 3] == b[x0 * 3] && a[x0 * 3 + 1] == b[x0 * 3 + 1] &&
                   a[x0 * 3 + 2] == b[x0 * 3 + 2]) {
                ++x0;
            }
            int32_t x1 = width_ - 1;
            while (a[x1 * 3] == b[x1 * 3] && a[x1 * 3 + 1] == b[x1 * 3 + 1] &&
                   a[x1 * 3 + 2] == b[x1 * 3 + 2]) {
                --x1;
            }
            left = std::min(left, x0);
            right = std::max(right, x1 + 1);
        }
    }
    // Changed pixels, and whether any unchanged one lies inside the rectangle.
    std::vector<uint32_t> colours;
    bool keepsSome = false;
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x) {
            const size_t at = y * stride + static_cast<size_t>(x) * 3;
            const uint32_t c = Rgb(&picture.rgb[at]);
            if (hasPrevious && c == Rgb(&previous_[at])) {
                keepsSome = true;
            } else {
                colours.push_back(c);
            }
        }
    }
    Palette palette;
    palette.Build(colours, keepsSome ? 255 : 256);
    const size_t used = palette.colours().size() + (keepsSome ? 1 : 0);
    int bits = 1;
    while ((size_t{1} << bits) < used) ++bits;
    const auto transparentIndex = static_cast<uint8_t>(palette.colours().size());
    indices_.clear();
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x) {
            const size_t at = y * stride + static_cast<size_t>(x) * 3;
            const uint32_t c = Rgb(&picture.rgb[at]);
            indices_.push_back(hasPrevious && c == Rgb(&previous_[at]) ? transparentIndex
                                                                       : palette.Index(c));
        }
    }
    pending_.clear();
    pending_.push_back(0x2C);
    U16(pending_, static_cast<uint32_t>(left));
    U16(pending_, static_cast<uint32_t>(top));
    U16(pending_, static_cast<uint32_t>(std::max(right - left, 0)));
    U16(pending_, static_cast<uint32_t>(std::max(bottom - top, 0)));
    pending_.push_back(static_cast<uint8_t>(0x80 | (bits - 1)));  // a local palette
    for (size_t i = 0; i < (size_t{1} << bits); ++i) {
        const uint32_t c = i < palette.colours().size() ? palette.colours()[i] : 0;
        pending_.insert(pending_.end(), {static_cast<uint8_t>(c >> 16),
                                         static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
    }
    GifLzw(indices_, std::max(bits, 2), pending_);
    pendingTransparent_ = keepsSome;
    pendingTransparentIndex_ = transparentIndex;
}

bool GifWriter::Finish(int64_t endCs) {
    Flush(endCs);
    const uint8_t trailer = 0x3B;
    return Emit(std::span(&trailer, 1));
}

}  // namespace mrv::exporting
