// Writes synthetic screen sequences as PNG files for mrvtool replay: an idle desktop, typing in
// an editor, a scrolling editor, a scrolling page as wide as the screen, and solid blocks that
// every scan step can see.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/lib/Png.h"

namespace {

using mrv::tools::RgbImage;

struct Colour {
    uint8_t r, g, b;
};

constexpr Colour kWhite{255, 255, 255};
constexpr Colour kInk{30, 30, 30};
constexpr Colour kKeyword{0, 0, 200};
constexpr Colour kString{163, 21, 21};
constexpr Colour kComment{0, 128, 0};
constexpr Colour kGutter{240, 240, 240};
constexpr Colour kGutterInk{43, 145, 175};
constexpr Colour kTitle{43, 58, 74};
constexpr Colour kMenu{225, 228, 232};
constexpr Colour kStatus{0, 122, 204};

constexpr int kGlyphW = 7;
constexpr int kGlyphH = 12;
constexpr int kCellW = 8;
constexpr int kLineH = 18;

uint32_t Hash(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352d;
    x ^= x >> 15;
    x *= 0x846ca68b;
    x ^= x >> 16;
    return x;
}

class Canvas {
  public:
    Canvas(int w, int h) {
        image.width = w;
        image.height = h;
        image.rgb.assign(static_cast<size_t>(w) * h * 3, 0);
        NoClip();
    }
    void Fill(int left, int top, int right, int bottom, Colour c) {
        left = std::max(left, clipLeft);
        top = std::max(top, clipTop);
        right = std::min(right, clipRight);
        bottom = std::min(bottom, clipBottom);
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) Put(x, y, c);
    }
    // A glyph-like pattern: a few strokes from the glyph id, inside a 7 x 12 box.
    void Glyph(int x, int y, uint32_t id, Colour c) {
        const uint32_t h = Hash(id + 1);
        const bool tall = (h & 3) == 0;
        for (int gy = tall ? 1 : 4; gy < kGlyphH - 1; ++gy) {
            const uint32_t row = Hash(h + static_cast<uint32_t>(gy) * 131);
            for (int gx = 0; gx < kGlyphW - 1; ++gx) {
                const bool stem = gx == static_cast<int>(h % 5) + 1;
                const bool bar = gy == 4 + static_cast<int>((h >> 4) % 6);
                if (stem || bar || (row >> gx & 7) == 0) Pixel(x + gx, y + gy, c);
            }
        }
    }
    void Text(int x, int y, const std::string& s, Colour c) {
        for (char ch : s) {
            if (ch != ' ') Glyph(x, y, static_cast<unsigned char>(ch), c);
            x += kCellW;
        }
    }
    void Pixel(int x, int y, Colour c) {
        if (x >= clipLeft && x < clipRight && y >= clipTop && y < clipBottom) Put(x, y, c);
    }
    void Clip(int left, int top, int right, int bottom) {
        clipLeft = std::max(left, 0);
        clipTop = std::max(top, 0);
        clipRight = std::min(right, image.width);
        clipBottom = std::min(bottom, image.height);
    }
    void NoClip() { Clip(0, 0, image.width, image.height); }

    RgbImage image;

  private:
    void Put(int x, int y, Colour c) {
        uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
    int clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
};

// An editor window: title bar, menu, line-number gutter, source text and a status bar.
struct Editor {
    int w, h;
    int titleH, menuH, statusH, gutterW;
    std::vector<std::string> typed;  // text typed into the blank lines below `typingLine`
    int typingLine = 0;

    Editor(int width, int height) : w(width), h(height) {
        const bool small = height < 400;
        titleH = small ? height / 10 : 30;
        menuH = small ? 0 : 22;
        statusH = small ? height / 10 : 24;
        gutterW = small ? 0 : 60;
        typingLine = std::max(1, (height - titleH - menuH - statusH) / kLineH / 2);
    }
    int Top() const { return titleH + menuH; }
    int Bottom() const { return h - statusH; }

    // Source line n: indentation and words whose colours follow a simple syntax.
    void Line(Canvas& c, int n, int y) const {
        if (n >= typingLine && n < typingLine + 6) {
            const size_t i = static_cast<size_t>(n - typingLine);
            if (i < typed.size()) c.Text(gutterW + 10, y, typed[i], kInk);
            return;
        }
        const uint32_t seed = Hash(static_cast<uint32_t>(n) * 7919);
        if (seed % 7 == 0) return;  // blank line
        int x = gutterW + 10 + static_cast<int>(seed >> 8) % 4 * 4 * kCellW;
        const int words = 2 + static_cast<int>(seed >> 12) % 10;
        const bool comment = (seed >> 20) % 6 == 0;
        for (int k = 0; k < words && x < w; ++k) {
            const uint32_t ws = Hash(seed + static_cast<uint32_t>(k));
            const int len = 2 + static_cast<int>(ws % 8);
            const Colour colour = comment       ? kComment
                                  : ws % 5 == 0 ? kKeyword
                                  : ws % 9 == 0 ? kString
                                                : kInk;
            for (int i = 0; i < len; ++i) c.Glyph(x + i * kCellW, y, Hash(ws + i) % 90, colour);
            x += (len + 1) * kCellW;
        }
    }

    void Draw(Canvas& c, int scrollPx, int caretCol, bool caretOn) const {
        c.NoClip();
        c.Fill(0, 0, w, titleH, kTitle);
        c.Text(8, titleH / 2 - kGlyphH / 2, "Morvanta Editor - main.cpp", kWhite);
        c.Fill(0, titleH, w, Top(), kMenu);
        if (menuH > 0) c.Text(8, titleH + 4, "File  Edit  View  Build  Debug  Tools  Help", kInk);
        c.Fill(0, Top(), gutterW, Bottom(), kGutter);
        c.Fill(gutterW, Top(), w, Bottom(), kWhite);
        c.Clip(0, Top(), w, Bottom());
        const int first = scrollPx / kLineH;
        for (int n = first; Top() + (n * kLineH - scrollPx) < Bottom(); ++n) {
            const int y = Top() + n * kLineH - scrollPx + 3;
            if (gutterW > 0) c.Text(8, y, std::to_string(n + 1), kGutterInk);
            Line(c, n, y);
        }
        if (caretOn) {
            const int line = typingLine + static_cast<int>(typed.empty() ? 0 : typed.size() - 1);
            const int y = Top() + line * kLineH - scrollPx + 1;
            const int x = gutterW + 10 + caretCol * kCellW;
            c.Fill(x, y, x + 2, y + kLineH - 2, kInk);
        }
        c.NoClip();
        c.Fill(0, Bottom(), w, h, kStatus);
        const int lineNo = typingLine + static_cast<int>(typed.size());
        c.Text(8, Bottom() + statusH / 2 - kGlyphH / 2,
               "Ln " + std::to_string(lineNo) + ", Col " + std::to_string(caretCol + 1), kWhite);
    }
};

// Solid blocks at least `tall` rows high and a band of full-width stripes: every change is seen
// by the first scan, so each recorded frame equals its input exactly.
void DrawBlocks(Canvas& c, int frame, int tall) {
    const int w = c.image.width;
    const int h = c.image.height;
    c.Fill(0, 0, w, h, Colour{16, 32, 48});
    for (int k = 0; k <= frame; ++k) {
        const uint32_t s = Hash(static_cast<uint32_t>(k) * 104729);
        const int bw = 8 + static_cast<int>(s % 40);
        const int bh = tall + static_cast<int>((s >> 8) % 12);
        const int x = static_cast<int>((s >> 12) % static_cast<uint32_t>(std::max(1, w - bw)));
        const int y = static_cast<int>((s >> 20) % static_cast<uint32_t>(std::max(1, h - bh)));
        c.Fill(
            x, y, x + bw, y + bh,
            Colour{static_cast<uint8_t>(64 + (s >> 3) % 192), static_cast<uint8_t>((s >> 11) % 256),
                   static_cast<uint8_t>(128 + k * 37 % 128)});
    }
    // Stripes whose colours move one row per frame and differ in every 5-bit channel, so every
    // row of the band changes across the whole width.
    const int bandTop = h / 3;
    const int bandBottom = std::min(h, bandTop + 2 * tall);
    for (int y = bandTop; y < bandBottom; ++y) {
        const uint8_t v = static_cast<uint8_t>(((y + frame) % 8) * 32);
        for (int x = 0; x < w; ++x) c.Pixel(x, y, Colour{v, static_cast<uint8_t>(255 - v), v});
    }
}

// A web page as wide as the screen: columns of text and of pictures, every row of which moves
// when it scrolls (the editor's text covers a fixed width, whatever the screen's size).
void DrawPage(Canvas& c, int scroll) {
    constexpr int kColumnW = 480;
    constexpr int kBlockH = 270;
    constexpr int kMargin = 10;
    const int w = c.image.width;
    const int h = c.image.height;
    const auto isPicture = [](int block, int col) {
        return Hash(static_cast<uint32_t>(block * 131 + col)) % 5 == 0;
    };
    c.Fill(0, 0, w, h, kWhite);
    for (int y = 0; y < h; ++y) {
        const int cy = y + scroll;
        if (cy % kBlockH < kMargin || cy % kBlockH >= kBlockH - kMargin) continue;
        for (int col = 0; col * kColumnW < w; ++col) {
            if (!isPicture(cy / kBlockH, col)) continue;
            const int right = std::min(w, (col + 1) * kColumnW - kMargin);
            for (int x = col * kColumnW + kMargin; x < right; ++x) {
                // Flat tiles, as in illustrations and banners: a page at this size is mostly
                // text on white, and zlib is not the whole story of a tick.
                const uint32_t tile = Hash(static_cast<uint32_t>((cy / 24) * 977 + x / 96));
                c.Pixel(x, y,
                        Colour{static_cast<uint8_t>(tile), static_cast<uint8_t>(tile >> 8),
                               static_cast<uint8_t>(tile >> 16)});
            }
        }
    }
    for (int line = scroll / kLineH; line * kLineH - scroll < h; ++line) {
        const int cy = line * kLineH;
        if (cy % kBlockH < kMargin || cy % kBlockH >= kBlockH - kMargin - kLineH) continue;
        for (int col = 0; col * kColumnW < w; ++col) {
            if (isPicture(cy / kBlockH, col)) continue;
            const int end = (col + 1) * kColumnW - kMargin;
            int x = col * kColumnW + kMargin;
            for (uint32_t k = 0; x < end; ++k) {
                const uint32_t ws = Hash(static_cast<uint32_t>(line * 7919 + col * 31) + k);
                const int len = 2 + static_cast<int>(ws % 8);
                for (int i = 0; i < len && x + kCellW <= end; ++i, x += kCellW) {
                    c.Glyph(x, cy - scroll + 3, Hash(ws + static_cast<uint32_t>(i)) % 90,
                            ws % 5 == 0 ? kKeyword : kInk);
                }
                x += kCellW;
            }
        }
    }
}

int Usage() {
    std::fprintf(stderr,
                 "usage: mrv_framegen idle|typing|scrolling|page|blocks --out DIR [--size WxH]\n"
                 "                    [--frames N] [--settle K]\n"
                 "  --settle K repeats the last frame K more times, so that every change\n"
                 "  has been sampled by the end.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string kind = argv[1];
    std::string out;
    int width = 1920;
    int height = 1080;
    int frames = 60;
    int settle = 0;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--out") {
            out = value;
        } else if (name == "--size") {
            if (std::sscanf(value, "%dx%d", &width, &height) != 2) return Usage();
        } else if (name == "--frames") {
            frames = std::atoi(value);
        } else if (name == "--settle") {
            settle = std::atoi(value);
        } else {
            return Usage();
        }
    }
    if (out.empty() || width < 16 || height < 16 || frames < 1 || settle < 0) return Usage();
    if (kind != "idle" && kind != "typing" && kind != "scrolling" && kind != "page" &&
        kind != "blocks") {
        return Usage();
    }
    std::filesystem::create_directories(out);

    Editor editor(width, height);
    editor.typed.emplace_back();
    int caretCol = 0;
    for (int f = 0; f < frames + settle; ++f) {
        const int t = std::min(f, frames - 1);  // settling frames repeat the last one
        Canvas canvas(width, height);
        if (kind == "blocks") {
            DrawBlocks(canvas, t, 17);
        } else if (kind == "idle") {
            editor.Draw(canvas, 0, 0, true);
        } else if (kind == "scrolling") {
            editor.Draw(canvas, t * 7, 0, false);
        } else if (kind == "page") {
            DrawPage(canvas, t * 7);
        } else {
            // One or two keystrokes a tick, a new line every 40 characters, the caret blinking
            // every ten ticks: a few glyph-sized spots change per tick.
            if (f == t && f > 0) {
                const int keys = 1 + static_cast<int>(Hash(static_cast<uint32_t>(f)) % 2);
                for (int k = 0; k < keys; ++k) {
                    std::string& line = editor.typed.back();
                    if (line.size() >= 40) {
                        if (editor.typed.size() < 6)
                            editor.typed.emplace_back();
                        else
                            line.clear();
                    }
                    const uint32_t c = Hash(static_cast<uint32_t>(f * 3 + k));
                    editor.typed.back().push_back(c % 6 == 0 ? ' '
                                                             : static_cast<char>('a' + c % 26));
                }
                caretCol = static_cast<int>(editor.typed.back().size());
            }
            editor.Draw(canvas, 0, caretCol, t / 10 % 2 == 0);
        }
        char name[32];
        std::snprintf(name, sizeof name, "%s_%04d.png", kind.c_str(), f);
        const std::string path = (std::filesystem::path(out) / name).string();
        if (!mrv::tools::WritePng(path, canvas.image)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
