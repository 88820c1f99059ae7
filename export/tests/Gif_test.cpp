// Our GIF encoder read back by a small decoder written from the GIF89a rules: pictures come back
// exactly (or close, past 255 colours), with their delays, and unchanged pictures last on.
#include "export/Gif.h"

#include <gtest/gtest.h>

#include <random>

namespace mrv::exporting {
namespace {

struct Frame {
    std::vector<uint8_t> canvas;  // RGB after this frame is drawn
    int delayCs = 0;
    bool ownPalette = false;
};

// Decodes every frame of a GIF that uses "keep" disposal and transparency.
std::vector<Frame> ReadGif(const std::vector<uint8_t>& g, int& width, int& height) {
    size_t at = 6;
    const auto u16 = [&](size_t p) { return g[p] | (g[p + 1] << 8); };
    EXPECT_EQ(std::string(g.begin(), g.begin() + 6), "GIF89a");
    width = u16(at), height = u16(at + 2);
    const bool hasGlobal = g[at + 4] & 0x80;
    const size_t global = at + 7;
    at += 7 + (hasGlobal ? 3 * (size_t{2} << (g[at + 4] & 7)) : 0);
    std::vector<uint8_t> canvas(static_cast<size_t>(width) * height * 3, 0);
    std::vector<Frame> frames;
    int delay = 0, transparent = -1;
    const auto subBlocks = [&](std::vector<uint8_t>* data) {
        while (g.at(at) != 0) {
            const size_t n = g[at];
            if (data) data->insert(data->end(), g.begin() + at + 1, g.begin() + at + 1 + n);
            at += n + 1;
        }
        ++at;
    };
    while (g.at(at) != 0x3B) {
        if (g[at] == 0x21) {
            if (g[at + 1] == 0xF9) {
                transparent = (g[at + 3] & 1) ? g[at + 6] : -1;
                delay = u16(at + 4);
            }
            at += 2;
            subBlocks(nullptr);
            continue;
        }
        EXPECT_EQ(g[at], 0x2C);
        const int left = u16(at + 1), top = u16(at + 3), w = u16(at + 5), h = u16(at + 7);
        const bool local = g[at + 9] & 0x80;
        EXPECT_TRUE(local || hasGlobal);
        const uint8_t* palette = local ? &g[at + 10] : &g[global];
        at += 10 + (local ? 3 * (size_t{2} << (g[at + 9] & 7)) : 0);
        const int minCode = g[at++];
        std::vector<uint8_t> data;
        subBlocks(&data);
        // LZW: codes widen when the next free code reaches the current width.
        std::vector<std::vector<uint8_t>> table;
        const int clear = 1 << minCode, end = clear + 1;
        int width2 = minCode + 1, prev = -1;
        const auto reset = [&] {
            table.assign(static_cast<size_t>(end + 1), {});
            for (int i = 0; i < clear; ++i)
                table[static_cast<size_t>(i)] = {static_cast<uint8_t>(i)};
            width2 = minCode + 1;
            prev = -1;
        };
        reset();
        std::vector<uint8_t> indices;
        size_t bit = 0;
        for (;;) {
            int code = 0;
            for (int i = 0; i < width2; ++i, ++bit)
                code |= ((data.at(bit / 8) >> (bit % 8)) & 1) << i;
            if (code == clear) {
                reset();
                continue;
            }
            if (code == end) break;
            std::vector<uint8_t> entry;
            if (code < static_cast<int>(table.size())) {
                entry = table[static_cast<size_t>(code)];
                if (prev >= 0) {
                    auto added = table[static_cast<size_t>(prev)];
                    added.push_back(entry[0]);
                    table.push_back(added);
                }
            } else {
                entry = table.at(static_cast<size_t>(prev));
                entry.push_back(entry[0]);
                table.push_back(entry);
            }
            if (table.size() >= (size_t{1} << width2) && width2 < 12) ++width2;
            indices.insert(indices.end(), entry.begin(), entry.end());
            prev = code;
        }
        EXPECT_EQ(indices.size(), static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int i = indices.at(static_cast<size_t>(y * w + x));
                if (i == transparent) continue;
                uint8_t* p = &canvas[(static_cast<size_t>(top + y) * width + left + x) * 3];
                std::copy(palette + i * 3, palette + i * 3 + 3, p);
            }
        }
        frames.push_back({canvas, delay, local});
    }
    return frames;
}

RgbImage Picture(int w, int h, uint32_t colour) {
    RgbImage p{w, h, {}};
    for (int i = 0; i < w * h; ++i) {
        p.rgb.insert(p.rgb.end(),
                     {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                      static_cast<uint8_t>(colour)});
    }
    return p;
}

void Paint(RgbImage& p, int x0, int y0, int x1, int y1, uint32_t colour) {
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            uint8_t* q = &p.rgb[(static_cast<size_t>(y) * p.width + x) * 3];
            q[0] = static_cast<uint8_t>(colour >> 16), q[1] = static_cast<uint8_t>(colour >> 8),
            q[2] = static_cast<uint8_t>(colour);
        }
    }
}

std::vector<uint8_t> Encode(const std::vector<std::pair<RgbImage, int64_t>>& pictures,
                            int64_t endCs) {
    std::vector<uint8_t> out;
    GifWriter gif(pictures[0].first.width, pictures[0].first.height,
                  [&](std::span<const uint8_t> b) {
                      out.insert(out.end(), b.begin(), b.end());
                      return true;
                  });
    for (const auto& [p, at] : pictures) EXPECT_TRUE(gif.Add(p, at));
    EXPECT_TRUE(gif.Finish(endCs));
    return out;
}

TEST(GifWriter, PicturesComeBackExactlyWithTheirDelaysAndRepeatsMerge) {
    RgbImage a = Picture(37, 23, 0x204060);
    RgbImage b = a;
    Paint(b, 5, 3, 9, 20, 0xFF0000);
    RgbImage c = b;
    Paint(c, 30, 0, 37, 2, 0x00FF80);
    // b is shown twice in a row: one frame lasting both times.
    const auto gif = Encode({{a, 0}, {b, 25}, {b, 50}, {c, 100}}, 130);
    int w = 0, h = 0;
    const auto frames = ReadGif(gif, w, h);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(w, 37);
    EXPECT_EQ(h, 23);
    EXPECT_EQ(frames[0].canvas, a.rgb);
    EXPECT_EQ(frames[1].canvas, b.rgb);
    EXPECT_EQ(frames[2].canvas, c.rgb);
    EXPECT_EQ(frames[0].delayCs, 25);
    EXPECT_EQ(frames[1].delayCs, 75);
    EXPECT_EQ(frames[2].delayCs, 30);
    // Only the changed rectangle is stored: far smaller than a second full picture.
    EXPECT_LT(gif.size(), 400u);
}

TEST(GifWriter, NoisyPictureSurvivesTableResetsAndLongHoldsSplit) {
    // 180 colours at random: thousands of codes, so the code table fills and starts again.
    std::mt19937 random(7);
    RgbImage noise = Picture(300, 200, 0);
    for (size_t i = 0; i < noise.rgb.size(); i += 3) {
        const uint32_t v = random() % 180;
        noise.rgb[i] = static_cast<uint8_t>(v), noise.rgb[i + 1] = static_cast<uint8_t>(v * 7),
        noise.rgb[i + 2] = 9;
    }
    RgbImage after = noise;
    Paint(after, 0, 0, 1, 1, 0xFFFFFF);
    // Held 25 minutes: one frame cannot say that, three can.
    const auto gif = Encode({{noise, 0}, {after, 150000}}, 150010);
    int w = 0, h = 0;
    const auto frames = ReadGif(gif, w, h);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].canvas, noise.rgb);
    EXPECT_EQ(frames[0].delayCs + frames[1].delayCs + frames[2].delayCs, 150000);
    EXPECT_LE(frames[0].delayCs, kMaxGifFrameCs);
    EXPECT_EQ(frames[2].canvas, noise.rgb);  // the holding frames change nothing
    EXPECT_EQ(frames[3].canvas, after.rgb);
    EXPECT_EQ(frames[3].delayCs, 10);
}

TEST(GifWriter, ManyColoursAreCutToAPaletteCloseToThem) {
    RgbImage ramp = Picture(256, 64, 0);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 256; ++x) {
            uint8_t* q = &ramp.rgb[(static_cast<size_t>(y) * 256 + x) * 3];
            q[0] = static_cast<uint8_t>(x), q[1] = static_cast<uint8_t>(y * 4), q[2] = 128;
        }
    }
    int w = 0, h = 0;
    const auto frames = ReadGif(Encode({{ramp, 0}}, 10), w, h);
    ASSERT_EQ(frames.size(), 1u);
    int worst = 0;
    for (size_t i = 0; i < ramp.rgb.size(); ++i) {
        worst = std::max(worst, std::abs(frames[0].canvas[i] - ramp.rgb[i]));
    }
    EXPECT_LE(worst, 24);
}

TEST(GifWriter, PicturesWithin20MsMergeAndNoDelayIsShorter) {
    RgbImage a = Picture(20, 10, 0x000000);
    RgbImage b = a, c = a;
    Paint(b, 0, 0, 5, 5, 0xFF0000);
    Paint(c, 10, 0, 15, 5, 0x0000FF);
    // b comes 10 ms after a and takes its place; c is gone again after 10 ms, so b's frame
    // lasts on; the end 10 ms after the last picture still gives it 20 ms.
    int w = 0, h = 0;
    const auto frames = ReadGif(Encode({{a, 0}, {b, 1}, {c, 4}, {b, 5}, {c, 9}}, 10), w, h);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].canvas, b.rgb);
    EXPECT_EQ(frames[0].delayCs, 4);
    EXPECT_EQ(frames[1].canvas, b.rgb);
    EXPECT_EQ(frames[1].delayCs, 5);
    EXPECT_EQ(frames[2].canvas, c.rgb);
    for (const Frame& f : frames) EXPECT_GE(f.delayCs, kMinGifDelayCs);
}

TEST(GifWriter, FrequentColoursStayExactPastTheLimitAndTheFirstPaletteServesLaterChanges) {
    // A desktop: a white page, black text, a grey panel, a toolbar gradient of 40 steps, and
    // 600 rare shades of two pixels each: 643 colours in all.
    RgbImage desk = Picture(400, 300, 0xFFFFFF);
    for (int x = 0; x < 400; ++x) {
        const auto v = static_cast<uint32_t>(55 + x / 10 * 5);
        Paint(desk, x, 0, x + 1, 30, v << 16 | v << 8 | 0xF0);
    }
    for (int i = 0; i < 100; ++i) Paint(desk, 10 + 3 * i, 40, 12 + 3 * i, 80, 0x202020);
    for (int i = 0; i < 600; ++i) {
        const int x = 10 + i % 300, y = 100 + (i / 300) * 3;
        Paint(desk, x, y, x + 1, y + 2, 0x100000u + static_cast<uint32_t>(i));
    }
    Paint(desk, 0, 200, 400, 300, 0xE0E0E0);
    // Then text typed and a strip of the gradient scrolled in: colours already shown.
    RgbImage typed = desk;
    Paint(typed, 50, 250, 60, 260, 0x202020);
    for (int x = 0; x < 200; ++x) {
        const auto v = static_cast<uint32_t>(55 + x / 10 * 5);
        Paint(typed, x, 270, x + 1, 280, v << 16 | v << 8 | 0xF0);
    }
    std::vector<uint8_t> gif = Encode({{desk, 0}, {typed, 10}}, 20);
    int w = 0, h = 0;
    const auto frames = ReadGif(gif, w, h);
    ASSERT_EQ(frames.size(), 2u);
    int off = 0, worst = 0;
    for (size_t p = 0; p < desk.rgb.size(); p += 3) {
        int d = 0;
        for (int c = 0; c < 3; ++c)
            d = std::max(d, std::abs(frames[0].canvas[p + c] - desk.rgb[p + c]));
        off += d > 0;
        worst = std::max(worst, d);
        // The page, the text, the panel and the gradient (each step 300 pixels) are exact.
        if (desk.rgb[p] != 0x10) {
            ASSERT_EQ(d, 0) << p / 3;
        }
    }
    EXPECT_LE(off, 1200);  // only the rare shades, each drawn as its nearest
    EXPECT_LE(worst, 8);
    // The change is drawn through the header's palette, exactly, the rest left as it was.
    EXPECT_FALSE(frames[1].ownPalette);
    for (size_t p = 270 * 400 * 3; p < 280 * 400 * 3; ++p)
        ASSERT_EQ(frames[1].canvas[p], typed.rgb[p]);
    for (size_t p = 0; p < 200 * 400 * 3; ++p) ASSERT_EQ(frames[1].canvas[p], frames[0].canvas[p]);
    // A change in colours the first picture did not have gets a palette of its own.
    RgbImage fresh = desk;
    Paint(fresh, 0, 0, 400, 30, 0x00FF00);
    EXPECT_TRUE(ReadGif(Encode({{desk, 0}, {fresh, 10}}, 20), w, h)[1].ownPalette);
}

TEST(ScaleByArea, EachPixelIsTheMeanOfTheAreaItCovers) {
    RgbImage line = Picture(6, 3, 0xFFFFFF);
    Paint(line, 2, 0, 3, 3, 0x000000);  // a one-pixel black line
    RgbImage out;
    ScaleByArea(line, 2, 1, out);
    ASSERT_EQ(out.rgb.size(), 6u);
    // 6 to 2 across: thirds; the line fades to two thirds white instead of vanishing.
    EXPECT_EQ(out.rgb[0], 170);
    EXPECT_EQ(out.rgb[3], 255);
    // 3 to 2: the middle source pixel is shared half and half.
    RgbImage ramp = Picture(3, 1, 0);
    ramp.rgb = {0, 0, 0, 90, 90, 90, 255, 255, 255};
    ScaleByArea(ramp, 2, 1, out);
    EXPECT_EQ(out.rgb[0], 30);   // (0 * 1 + 90 * 0.5) / 1.5
    EXPECT_EQ(out.rgb[3], 200);  // (90 * 0.5 + 255) / 1.5
}

}  // namespace
}  // namespace mrv::exporting
