// Native checker for the end-to-end tests: makes test pictures and compares recordings with
// screenshots of the X display.
//
//   mrv_e2e_check picture OUT.png W H SEED     blocks and dots in the 16 VGA colours
//   mrv_e2e_check solid OUT.png W H RRGGBB
//   mrv_e2e_check info REC STUB                header values, records, whether the tail is cut
//   mrv_e2e_check compare REC STUB RECORDS SHOT.png
//       the picture after RECORDS records against the whole screenshot
//   mrv_e2e_check events REC STUB              one line per record: cursor x, y and click
//   mrv_e2e_check first REC STUB SHOT.png X Y W H
//       the number of records after which the region first equals the screenshot's (0: never)
//   mrv_e2e_check held REC STUB                one line per record with hold ticks: its number
//       (counting from 1), hold ticks, items, and whether its one item is the whole screen
//   mrv_e2e_check count REC STUB RECORDS X Y W H RRGGBB
//       pixels of the region holding the colour after RECORDS records
//   mrv_e2e_check render REC STUB RECORDS OUT.png   the picture after RECORDS records
//
// The recording starts after the stub, whose length is taken from the file STUB. Pixels are
// compared exactly: 32 bits by blue, green, red; 16 bits against the screenshot's colour
// truncated to 5-5-5; 4 and 8 bits through the recording's colour table.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "recorder/MemoryScreen.h"
#include "recorder/StreamReader.h"

namespace {

struct Rgb {
    uint8_t r, g, b;
};

constexpr Rgb kVga[16] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                          {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                          {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                          {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    Rgb At(int x, int y) const {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return {p[0], p[1], p[2]};
    }
};

bool LoadPng(const char* path, Image& image) {
    int channels = 0;
    uint8_t* data = stbi_load(path, &image.width, &image.height, &channels, 3);
    if (!data) {
        std::fprintf(stderr, "cannot read %s: %s\n", path, stbi_failure_reason());
        return false;
    }
    image.rgb.assign(data, data + static_cast<size_t>(image.width) * image.height * 3);
    stbi_image_free(data);
    return true;
}

bool SavePng(const char* path, const Image& image) {
    return stbi_write_png(path, image.width, image.height, 3, image.rgb.data(), image.width * 3) !=
           0;
}

int MakePicture(const char* out, int width, int height, unsigned seed) {
    Image image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    std::mt19937 random(seed);
    auto fill = [&](int x0, int y0, int w, int h, const Rgb& c) {
        for (int y = y0; y < std::min(height, y0 + h); ++y)
            for (int x = x0; x < std::min(width, x0 + w); ++x) {
                uint8_t* p = &image.rgb[(static_cast<size_t>(y) * width + x) * 3];
                p[0] = c.r, p[1] = c.g, p[2] = c.b;
            }
    };
    fill(0, 0, width, height, kVga[random() % 16]);
    for (int i = 0; i < 60; ++i) {
        fill(static_cast<int>(random() % width), static_cast<int>(random() % height),
             1 + static_cast<int>(random() % 120), 1 + static_cast<int>(random() % 90),
             kVga[random() % 16]);
    }
    // Single pixels and thin lines probe the word edges of the change detection.
    for (int i = 0; i < 200; ++i) {
        fill(static_cast<int>(random() % width), static_cast<int>(random() % height), 1, 1,
             kVga[random() % 16]);
    }
    return SavePng(out, image) ? 0 : 1;
}

int MakeSolid(const char* out, int width, int height, const char* hex) {
    const unsigned long v = std::strtoul(hex, nullptr, 16);
    Image image{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        image.rgb.push_back(static_cast<uint8_t>(v >> 16));
        image.rgb.push_back(static_cast<uint8_t>(v >> 8));
        image.rgb.push_back(static_cast<uint8_t>(v));
    }
    return SavePng(out, image) ? 0 : 1;
}

// The recording file, positioned after the stub.
struct Recording {
    std::vector<uint8_t> bytes;
    size_t streamStart = 0;
    mrv::StreamReader reader;

    bool Open(const char* rec, const char* stub) {
        std::ifstream in(rec, std::ios::binary), s(stub, std::ios::binary | std::ios::ate);
        if (!in || !s) {
            std::fprintf(stderr, "cannot open %s or %s\n", rec, stub);
            return false;
        }
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        streamStart = static_cast<size_t>(s.tellg());
        if (bytes.size() < streamStart ||
            !reader.Open(std::span<const uint8_t>(bytes).subspan(streamStart))) {
            std::fprintf(stderr, "not a recording: %s\n", reader.error().c_str());
            return false;
        }
        return true;
    }

    bool Matches(int x, int y, const Rgb& shot) const {
        const mrv::FrameGeometry& g = reader.geometry();
        const auto row = reader.image().subspan(static_cast<size_t>(y) * g.bytesPerLine,
                                                static_cast<size_t>(g.bytesPerLine));
        const uint32_t v = mrv::ReadPixel(row, x, g.bitsPerPixel);
        switch (g.bitsPerPixel) {
            case 32:
                return (v & 0xFFFFFF) == (uint32_t{shot.r} << 16 | uint32_t{shot.g} << 8 | shot.b);
            case 16:
                return v == (uint32_t{shot.r} >> 3 << 10 | uint32_t{shot.g} >> 3 << 5 |
                             uint32_t{shot.b} >> 3);
            default: {
                const auto table = reader.colorTable();
                const uint8_t* e = &table[static_cast<size_t>(v) * 4];
                return e[2] == shot.r && e[1] == shot.g && e[0] == shot.b;
            }
        }
    }

    // Mismatching pixels of the region; reports the first one.
    long Mismatches(const Image& shot, int x0, int y0, int w, int h, bool report) const {
        long count = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) {
                if (Matches(x, y, shot.At(x, y))) continue;
                if (count++ == 0 && report) {
                    const Rgb c = shot.At(x, y);
                    std::printf("first mismatch at %d,%d: screenshot %02x%02x%02x\n", x, y, c.r,
                                c.g, c.b);
                }
            }
        return count;
    }
};

int Info(const char* rec, const char* stub) {
    Recording r;
    if (!r.Open(rec, stub)) return 1;
    long records = 0;
    mrv::StreamReader::Next next;
    while ((next = r.reader.ReadNext()) == mrv::StreamReader::Next::Frame) ++records;
    const mrv::StreamHeader& h = r.reader.header();
    std::printf(
        "records %ld ticks %lld frameCount %d durationMs %d width %d height %d bpp %d "
        "valid %d\n",
        records, static_cast<long long>(r.reader.tickIndex()), h.frameCount, h.durationMs,
        h.screenWidth, h.screenHeight, r.reader.geometry().bitsPerPixel,
        next == mrv::StreamReader::Next::End ? 1 : 0);
    if (next == mrv::StreamReader::Next::Error) std::printf("error %s\n", r.reader.error().c_str());
    return next == mrv::StreamReader::Next::End ? 0 : 1;
}

int Events(const char* rec, const char* stub) {
    Recording r;
    if (!r.Open(rec, stub)) return 1;
    while (r.reader.ReadNext() == mrv::StreamReader::Next::Frame) {
        const mrv::FrameHeader& f = r.reader.frame();
        std::printf("%d %d %d %d\n", r.reader.recordIndex(), f.cursorX, f.cursorY, f.click);
    }
    return 0;
}

bool SameSize(const Recording& r, const Image& shot) {
    if (shot.width == r.reader.geometry().width && shot.height == r.reader.geometry().height) {
        return true;
    }
    std::fprintf(stderr, "screenshot %dx%d does not match the recording\n", shot.width,
                 shot.height);
    return false;
}

int Compare(const char* rec, const char* stub, long records, const char* shotPath) {
    Recording r;
    Image shot;
    if (!r.Open(rec, stub) || !LoadPng(shotPath, shot) || !SameSize(r, shot)) return 1;
    for (long i = 0; i < records; ++i) {
        if (r.reader.ReadNext() != mrv::StreamReader::Next::Frame) {
            std::printf("only %ld records\n", i);
            return 1;
        }
    }
    const long bad = r.Mismatches(shot, 0, 0, shot.width, shot.height, true);
    std::printf("after %ld records: %ld mismatching pixels\n", records, bad);
    return bad == 0 ? 0 : 1;
}

int First(const char* rec, const char* stub, const char* shotPath, int x, int y, int w, int h) {
    Recording r;
    Image shot;
    if (!r.Open(rec, stub) || !LoadPng(shotPath, shot) || !SameSize(r, shot)) return 1;
    if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > shot.width || y + h > shot.height) return 1;
    long records = 0;
    while (r.reader.ReadNext() == mrv::StreamReader::Next::Frame) {
        ++records;
        if (r.Mismatches(shot, x, y, w, h, false) == 0) {
            std::printf("%ld\n", records);
            return 0;
        }
    }
    std::printf("0\n");
    return 0;
}

// --- editor (helper "editor-win32") ---
int Held(const char* rec, const char* stub) {
    Recording r;
    if (!r.Open(rec, stub)) return 1;
    const mrv::FrameGeometry& g = r.reader.geometry();
    while (r.reader.ReadNext() == mrv::StreamReader::Next::Frame) {
        const mrv::FrameHeader& f = r.reader.frame();
        if (f.holdTicks == 0) continue;
        const auto& items = r.reader.rects();
        const bool whole = items.size() == 1 && items[0] == mrv::Rect{0, 0, g.width, g.height};
        std::printf("%d %d %zu %d\n", r.reader.recordIndex(), f.holdTicks, items.size(),
                    whole ? 1 : 0);
    }
    return 0;
}

int Count(const char* rec, const char* stub, long records, int x0, int y0, int w, int h,
          const char* hex) {
    Recording r;
    if (!r.Open(rec, stub)) return 1;
    for (long i = 0; i < records; ++i) {
        if (r.reader.ReadNext() != mrv::StreamReader::Next::Frame) return 1;
    }
    const unsigned long v = std::strtoul(hex, nullptr, 16);
    const Rgb colour{static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                     static_cast<uint8_t>(v)};
    long count = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) count += r.Matches(x, y, colour) ? 1 : 0;
    std::printf("%ld\n", count);
    return 0;
}

int Render(const char* rec, const char* stub, long records, const char* out) {
    Recording r;
    if (!r.Open(rec, stub)) return 1;
    for (long i = 0; i < records; ++i) {
        if (r.reader.ReadNext() != mrv::StreamReader::Next::Frame) return 1;
    }
    const mrv::FrameGeometry& g = r.reader.geometry();
    Image image{g.width, g.height, {}};
    const auto table = r.reader.colorTable();
    for (int y = 0; y < g.height; ++y) {
        const auto row = r.reader.image().subspan(static_cast<size_t>(y) * g.bytesPerLine,
                                                  static_cast<size_t>(g.bytesPerLine));
        for (int x = 0; x < g.width; ++x) {
            const uint32_t v = mrv::ReadPixel(row, x, g.bitsPerPixel);
            uint8_t rgb[3];
            if (g.bitsPerPixel == 32) {
                rgb[0] = static_cast<uint8_t>(v >> 16), rgb[1] = static_cast<uint8_t>(v >> 8);
                rgb[2] = static_cast<uint8_t>(v);
            } else if (g.bitsPerPixel == 16) {
                for (int c = 0; c < 3; ++c) {
                    const uint32_t five = (v >> (10 - 5 * c)) & 31;
                    rgb[c] = static_cast<uint8_t>(five << 3 | five >> 2);
                }
            } else {
                const uint8_t* e = &table[static_cast<size_t>(v) * 4];
                rgb[0] = e[2], rgb[1] = e[1], rgb[2] = e[0];
            }
            image.rgb.insert(image.rgb.end(), rgb, rgb + 3);
        }
    }
    return SavePng(out, image) ? 0 : 1;
}
// --- end editor ---

int Usage() {
    std::fprintf(
        stderr,
        "usage: mrv_e2e_check picture OUT W H SEED | solid OUT W H RRGGBB | info REC "
        "STUB | events REC STUB | compare REC STUB RECORDS SHOT | first REC STUB SHOT X Y W H\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "picture" && argc == 6)
        return MakePicture(argv[2], std::atoi(argv[3]), std::atoi(argv[4]),
                           static_cast<unsigned>(std::atoi(argv[5])));
    if (command == "solid" && argc == 6)
        return MakeSolid(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5]);
    if (command == "info" && argc == 4) return Info(argv[2], argv[3]);
    if (command == "events" && argc == 4) return Events(argv[2], argv[3]);
    if (command == "compare" && argc == 6)
        return Compare(argv[2], argv[3], std::atol(argv[4]), argv[5]);
    if (command == "held" && argc == 4) return Held(argv[2], argv[3]);
    if (command == "render" && argc == 6)
        return Render(argv[2], argv[3], std::atol(argv[4]), argv[5]);
    if (command == "count" && argc == 10)
        return Count(argv[2], argv[3], std::atol(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]),
                     std::atoi(argv[7]), std::atoi(argv[8]), argv[9]);
    if (command == "first" && argc == 9)
        return First(argv[2], argv[3], argv[4], std::atoi(argv[5]), std::atoi(argv[6]),
                     std::atoi(argv[7]), std::atoi(argv[8]));
    return Usage();
}
