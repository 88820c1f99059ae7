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

constexpr size_t kMaxColours = 255;

// Colours in 6-6-6 bins for the cut: fine enough for a wallpaper's gradient.
constexpr int kBinBits = 6;
constexpr uint32_t kBinMask = (1u << kBinBits) - 1;
constexpr size_t kBins = size_t{1} << (3 * kBinBits);
uint32_t Bin(uint32_t c) {
    constexpr int drop = 8 - kBinBits;
    return ((c >> (16 + drop)) & kBinMask) << (2 * kBinBits) |
           ((c >> (8 + drop)) & kBinMask) << kBinBits | ((c >> drop) & kBinMask);
}

// The colours that get an entry of their own, most frequent first: all of them when they fit,
// else those that cover at least 1 in 512 of the pixels (flat backgrounds, text, the UI's
// greys), up to half the entries; the rest are for a cut of the rare colours.
std::vector<uint32_t> ExactColours(const ColourCounts& counts) {
    std::vector<std::pair<uint32_t, uint32_t>> byCount(counts.begin(), counts.end());
    std::sort(byCount.begin(), byCount.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    std::vector<uint32_t> exact;
    if (byCount.size() <= kMaxColours) {
        for (const auto& [c, n] : byCount) exact.push_back(c);
        return exact;
    }
    uint64_t pixels = 0;
    for (const auto& [c, n] : byCount) pixels += n;
    const uint64_t frequent = std::max<uint64_t>(2, pixels / 512);
    constexpr size_t kKeptForRare = 128;
    for (const auto& [c, n] : byCount) {
        if (n < frequent || exact.size() == kMaxColours - kKeptForRare) break;
        exact.push_back(c);
    }
    return exact;
}

// A median cut of the colours' histogram into at most `boxes` colours, each the mean of
// its pixels.
std::vector<uint32_t> MedianCut(const std::vector<std::pair<uint32_t, uint32_t>>& colours,
                                size_t maxBoxes) {
    struct Box {
        std::vector<uint32_t> bins;
        uint64_t pixels = 0;
        uint32_t widest = 0;  // the widest channel's range, in bins
        int shift = 0;        // and where it lies in a bin number
    };
    const auto measure = [](Box& box) {
        box.widest = 0;
        for (int s : {2 * kBinBits, kBinBits, 0}) {
            uint32_t lo = kBinMask, hi = 0;
            for (uint32_t b : box.bins) {
                lo = std::min(lo, (b >> s) & kBinMask);
                hi = std::max(hi, (b >> s) & kBinMask);
            }
            if (hi - lo >= box.widest) box.widest = hi - lo, box.shift = s;
        }
    };
    std::vector<uint64_t> counts(kBins, 0);
    for (const auto& [c, n] : colours) counts[Bin(c)] += n;
    std::vector<Box> boxes(1);
    for (uint32_t b = 0; b < counts.size(); ++b) {
        if (counts[b]) boxes[0].bins.push_back(b), boxes[0].pixels += counts[b];
    }
    if (boxes[0].bins.empty() || maxBoxes == 0) return {};
    measure(boxes[0]);
    // Split the box of the most error (its pixels times its width) along its widest channel,
    // at its median pixel: a wide box of few pixels (text's shades) is split as well as a
    // narrow one of many (a wallpaper's gradient).
    while (boxes.size() < maxBoxes) {
        size_t pick = SIZE_MAX;
        uint64_t most = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const uint64_t error = boxes[i].pixels * boxes[i].widest;
            if (boxes[i].bins.size() > 1 && (pick == SIZE_MAX || error > most)) {
                pick = i, most = error;
            }
        }
        if (pick == SIZE_MAX) break;
        Box& box = boxes[pick];
        const int shift = box.shift;
        std::sort(box.bins.begin(), box.bins.end(), [shift](uint32_t a, uint32_t b) {
            return ((a >> shift) & kBinMask) < ((b >> shift) & kBinMask);
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
        measure(box);
        measure(upper);
        boxes.push_back(std::move(upper));
    }
    // Each box's colour is the mean of its pixels, from the full colours.
    std::vector<uint16_t> binBox(kBins, 0);
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (uint32_t b : boxes[i].bins) binBox[b] = static_cast<uint16_t>(i);
    }
    std::vector<std::array<uint64_t, 4>> sums(boxes.size(), {0, 0, 0, 0});
    for (const auto& [c, n] : colours) {
        auto& s = sums[binBox[Bin(c)]];
        s[0] += uint64_t{c >> 16} * n;
        s[1] += uint64_t{(c >> 8) & 255} * n;
        s[2] += uint64_t{c & 255} * n;
        s[3] += n;
    }
    std::vector<uint32_t> means;
    for (const auto& s : sums) {
        const uint64_t n = std::max<uint64_t>(s[3], 1);
        means.push_back(static_cast<uint32_t>(((s[0] / n) << 16) | ((s[1] / n) << 8) | (s[2] / n)));
    }
    return means;
}

int32_t Distance(uint32_t a, uint32_t b) {
    const int32_t r = static_cast<int32_t>(a >> 16) - static_cast<int32_t>(b >> 16);
    const int32_t g = static_cast<int32_t>((a >> 8) & 255) - static_cast<int32_t>((b >> 8) & 255);
    const int32_t l = static_cast<int32_t>(a & 255) - static_cast<int32_t>(b & 255);
    return r * r + g * g + l * l;
}

// The colours of the changed pixels of a frame.
class ColourCounter {
  public:
    void Add(uint32_t c) {
        // Screen content comes in runs: one look-up a run.
        if (run_ > 0 && c == last_) {
            ++run_;
            return;
        }
        Close();
        last_ = c;
        run_ = 1;
    }
    ColourCounts& Take() {
        Close();
        return counts_;
    }

  private:
    void Close() {
        if (run_ > 0) counts_[last_] += run_;
        run_ = 0;
    }
    ColourCounts counts_;
    uint32_t last_ = 0;
    uint32_t run_ = 0;
};

}  // namespace

void GifPalette::Build(const ColourCounts& counts) {
    colours_ = ExactColours(counts);
    exact_.clear();
    nearest_.clear();
    for (size_t i = 0; i < colours_.size(); ++i) {
        exact_.emplace(colours_[i], static_cast<uint8_t>(i));
    }
    if (counts.size() == colours_.size()) return;
    std::vector<std::pair<uint32_t, uint32_t>> rare;
    for (const auto& [c, n] : counts) {
        if (!exact_.count(c)) rare.push_back({c, n});
    }
    std::sort(rare.begin(), rare.end());  // the same cut whatever the map's order
    for (uint32_t c : MedianCut(rare, kMaxColours - colours_.size())) {
        // A mean may equal a colour already held: the first entry stays its exact one.
        exact_.emplace(c, static_cast<uint8_t>(colours_.size()));
        colours_.push_back(c);
    }
}

bool GifPalette::Serves(const ColourCounts& counts) const {
    if (colours_.empty()) return false;
    for (uint32_t c : ExactColours(counts)) {
        if (!exact_.count(c)) return false;
    }
    return true;
}

uint8_t GifPalette::Index(uint32_t colour) {
    if (auto it = exact_.find(colour); it != exact_.end()) return it->second;
    if (auto it = nearest_.find(colour); it != nearest_.end()) return it->second;
    uint8_t best = 0;
    int32_t bestDistance = INT32_MAX;
    for (size_t i = 0; i < colours_.size(); ++i) {
        const int32_t d = Distance(colour, colours_[i]);
        if (d < bestDistance) bestDistance = d, best = static_cast<uint8_t>(i);
    }
    nearest_.emplace(colour, best);
    return best;
}

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
    if (waitingAtCs_ >= 0) {
        if (picture.rgb == waiting_) return ok_;  // the waiting frame simply lasts longer
        if (atCs - waitingAtCs_ < kMinGifDelayCs) {
            waiting_ = picture.rgb;
            return ok_;
        }
        if (!Flush(atCs)) return false;
    }
    waiting_ = picture.rgb;
    waitingAtCs_ = atCs;
    return ok_;
}

bool GifWriter::Flush(int64_t untilCs) {
    if (waitingAtCs_ < 0) return ok_;
    // A picture merged back to what is shown changes nothing: the frames before last longer.
    const bool changed = shown_.empty() || waiting_ != shown_;
    if (changed) EncodeChange();
    if (!head_.empty()) {
        Emit(head_);
        head_.clear();
    }
    int64_t left = std::max(untilCs - waitingAtCs_, kMinGifDelayCs);
    bool first = true;
    while (left > 0 && ok_) {
        // The rest of a long hold is never left shorter than a browser honours.
        int64_t delay = std::min(left, kMaxGifFrameCs);
        if (left - delay > 0 && left - delay < kMinGifDelayCs) delay -= kMinGifDelayCs;
        left -= delay;
        const bool stored = first && changed;
        std::vector<uint8_t> control{0x21, 0xF9, 4};
        // Disposal 1 (keep): the next frame draws over this one.
        const bool transparent = stored ? frameTransparent_ : true;
        control.push_back(static_cast<uint8_t>(0x04 | (transparent ? 1 : 0)));
        U16(control, static_cast<uint32_t>(delay));
        control.push_back(stored ? frameTransparentIndex_ : 0);
        control.push_back(0);
        Emit(control);
        if (stored) {
            Emit(frame_);
        } else {
            // A picture held past the longest delay: a transparent pixel that lasts on.
            std::vector<uint8_t> still{0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 0};
            GifLzw(std::vector<uint8_t>{0}, 2, still);
            Emit(still);
        }
        first = false;
    }
    if (changed) shown_.swap(waiting_);
    waitingAtCs_ = -1;
    return ok_;
}

namespace {

int TableBits(size_t entries) {
    int bits = 1;
    while ((size_t{1} << bits) < entries) ++bits;
    return bits;
}

void PutTable(const std::vector<uint32_t>& colours, int bits, std::vector<uint8_t>& out) {
    for (size_t i = 0; i < (size_t{1} << bits); ++i) {
        const uint32_t c = i < colours.size() ? colours[i] : 0;
        out.insert(out.end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                               static_cast<uint8_t>(c)});
    }
}

}  // namespace

void GifWriter::EncodeChange() {
    const size_t stride = static_cast<size_t>(width_) * 3;
    const std::vector<uint8_t>& picture = waiting_;
    const bool hasPrevious = shown_.size() == picture.size();
    int32_t left = 0, top = 0, right = width_, bottom = height_;
    if (hasPrevious) {
        // The rectangle around every changed pixel.
        left = width_, top = height_, right = 0, bottom = 0;
        for (int32_t y = 0; y < height_; ++y) {
            const uint8_t* a = picture.data() + y * stride;
            const uint8_t* b = shown_.data() + y * stride;
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
    // Changed pixels' colours, and whether any unchanged one lies inside the rectangle.
    ColourCounter counter;
    bool keepsSome = false;
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x) {
            const size_t at = y * stride + static_cast<size_t>(x) * 3;
            const uint32_t c = Rgb(&picture[at]);
            if (hasPrevious && c == Rgb(&shown_[at])) {
                keepsSome = true;
            } else {
                counter.Add(c);
            }
        }
    }
    const ColourCounts& counts = counter.Take();
    // The first picture's palette while it serves, then the last frame's own, else a new one.
    const bool first = shown_.empty();
    if (first) global_.Build(counts);
    const bool useGlobal = first || global_.Serves(counts);
    if (!useGlobal && !local_.Serves(counts)) local_.Build(counts);
    GifPalette& palette = useGlobal ? global_ : local_;
    // The entry after the colours is the transparent one.
    const int bits = TableBits(palette.colours().size() + 1);
    const auto transparentIndex = static_cast<uint8_t>(palette.colours().size());
    if (first) {
        head_ = {'G', 'I', 'F', '8', '9', 'a'};
        U16(head_, static_cast<uint32_t>(width_));
        U16(head_, static_cast<uint32_t>(height_));
        head_.insert(head_.end(),
                     {static_cast<uint8_t>(0x80 | (bits - 1) << 4 | (bits - 1)), 0, 0});
        PutTable(global_.colours(), bits, head_);
        // Loop forever, as videos shared in chat and mail are expected to.
        const uint8_t loop[] = {0x21, 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                                'E',  '2',  '.', '0', 3,   1,   0,   0,   0};
        head_.insert(head_.end(), std::begin(loop), std::end(loop));
    }
    indices_.clear();
    uint32_t lastColour = 0;
    uint8_t lastIndex = 0;
    bool haveLast = false;
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x) {
            const size_t at = y * stride + static_cast<size_t>(x) * 3;
            const uint32_t c = Rgb(&picture[at]);
            if (hasPrevious && c == Rgb(&shown_[at])) {
                indices_.push_back(transparentIndex);
                continue;
            }
            if (!haveLast || c != lastColour) {
                lastColour = c, lastIndex = palette.Index(c), haveLast = true;
            }
            indices_.push_back(lastIndex);
        }
    }
    frame_.clear();
    frame_.push_back(0x2C);
    U16(frame_, static_cast<uint32_t>(left));
    U16(frame_, static_cast<uint32_t>(top));
    U16(frame_, static_cast<uint32_t>(std::max(right - left, 0)));
    U16(frame_, static_cast<uint32_t>(std::max(bottom - top, 0)));
    if (useGlobal) {
        frame_.push_back(0);
    } else {
        frame_.push_back(static_cast<uint8_t>(0x80 | (bits - 1)));
        PutTable(local_.colours(), bits, frame_);
    }
    GifLzw(indices_, std::max(bits, 2), frame_);
    frameTransparent_ = keepsSome;
    frameTransparentIndex_ = transparentIndex;
}

bool GifWriter::Finish(int64_t endCs) {
    Flush(endCs);
    if (!head_.empty() || shown_.empty()) return ok_;  // nothing was added: no file to end
    const uint8_t trailer = 0x3B;
    return Emit(std::span(&trailer, 1));
}

}  // namespace mrv::exporting
