// Native helper for the player's end-to-end tests: makes recordings with known pictures, clicks
// and sound behind a real stub, and compares what the player showed with what was recorded.
//
//   mrv_player_e2e make --stub STUB --out REC --frames N --size WxH --fps F
//                       [--gsm WAV] [--rate HZ] [--clicks] [--unstopped] [--hold K] [--drop A-B]
//       --rate: the sound's rate in the header, 8000 (default), 11025, 22050 or 44100
//       --drop: records A to B carry no sound, their blocks are lost as when the recorder
//       drops deliveries
//   mrv_player_e2e compare REC SHOT.png X Y TICK
//       the picture of TICK against the screenshot region at X, Y; the boxes around the
//       recorded cursor and a click still shown (where the player draws) are left out, but
//       must show the arrow (pixels unlike the picture) and the ring (red for the left
//       button, blue for the right) when they lie inside the picture; any colour depth
//   mrv_player_e2e blocks REC      whole GSM 6.10 blocks the recording carries
//   mrv_player_e2e payload REC N   file offset of record N's payload
//   mrv_player_e2e sound REC X Y [PCM]   the sound laid out as the player plays it against the
//       picture at X, Y (tests/e2e/SoundAnalysis.h); PCM receives that sound
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "playback/StreamLocation.h"
#include "playback/Timeline.h"
#include "recorder/StreamFormat.h"
#include "recorder/StreamReader.h"
#include "tests/e2e/SoundAnalysis.h"
#include "tests/support/StreamBuilder.h"
#include "tools/lib/Png.h"

namespace {

using namespace mrv;

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int Usage() {
    std::fprintf(stderr, "usage: see the top of PlayerE2eTool.cpp\n");
    return 2;
}

// The GSM 6.10 bytes of a WAV file's data chunk (whole blocks only).
std::vector<uint8_t> GsmData(const std::vector<uint8_t>& wav) {
    size_t at = 12;
    while (at + 8 <= wav.size()) {
        const uint32_t size = GetU32(wav.data() + at + 4);
        if (std::string(wav.begin() + at, wav.begin() + at + 4) == "data") {
            const size_t n = std::min<size_t>(size, wav.size() - at - 8);
            return {wav.begin() + at + 8,
                    wav.begin() + at + 8 + n / kGsmBlockBytes * kGsmBlockBytes};
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

// A picture that differs everywhere between records: a gradient moved by the record number,
// and a white bar whose row tells the record.
uint32_t Pixel(int record, int x, int y, int height) {
    const int bar = (record * 7) % height;
    if (y == bar) return 0x00FFFFFF;
    const uint32_t r = static_cast<uint32_t>((x * 3 + record * 20) & 0xFF);
    const uint32_t g = static_cast<uint32_t>((y * 5 + record * 40) & 0xFF);
    const uint32_t b = static_cast<uint32_t>((x + y + record * 60) & 0xFF);
    return (r << 16) | (g << 8) | b;
}

int Make(int argc, char** argv) {
    std::string stubPath, outPath, gsmPath;
    int frames = 10, width = 320, height = 240, fps = 5, hold = 0, dropFrom = -1, dropTo = -1;
    int rate = 8000;
    bool clicks = false, unstopped = false;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (a == "--stub")
            stubPath = next();
        else if (a == "--out")
            outPath = next();
        else if (a == "--gsm")
            gsmPath = next();
        else if (a == "--frames")
            frames = std::atoi(next().c_str());
        else if (a == "--fps")
            fps = std::atoi(next().c_str());
        else if (a == "--rate")
            rate = std::atoi(next().c_str());
        else if (a == "--hold")
            hold = std::atoi(next().c_str());
        else if (a == "--clicks")
            clicks = true;
        else if (a == "--drop") {
            if (std::sscanf(next().c_str(), "%d-%d", &dropFrom, &dropTo) != 2) return Usage();
        } else if (a == "--unstopped")
            unstopped = true;
        else if (a == "--size") {
            const std::string s = next();
            if (std::sscanf(s.c_str(), "%dx%d", &width, &height) != 2) return Usage();
        } else
            return Usage();
    }
    if (stubPath.empty() || outPath.empty() || frames <= 0 || fps <= 0) return Usage();
    std::vector<uint8_t> out = ReadFile(stubPath);
    if (out.empty()) return Usage();

    const std::vector<uint8_t> gsm =
        gsmPath.empty() ? std::vector<uint8_t>{} : GsmData(ReadFile(gsmPath));
    // The blocks do not depend on the rate: the same ones play faster at a higher one.
    static const int kRates[] = {8000, 11025, 22050, 44100};
    const auto format = std::find(std::begin(kRates), std::end(kRates), rate);
    if (format == std::end(kRates)) return Usage();
    testing::StreamBuilder stream(
        width, height, 32, gsm.empty() ? 0 : static_cast<uint8_t>(format - std::begin(kRates) + 1));

    const int tickMs = 1000 / fps;
    // Sound in step with the pictures: each record carries the blocks of its own tick.
    const size_t blocksTotal = gsm.size() / kGsmBlockBytes;
    int32_t ticks = 0;
    size_t blockAt = 0, carried = 0;
    for (int rec = 0; rec < frames; ++rec) {
        const int holdTicks = (hold > 0 && rec == frames / 2) ? hold : 0;
        std::vector<uint8_t> items;
        AppendRectHeader(items, Rect{0, 0, width, height});
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const size_t at = items.size();
                items.resize(at + 4);
                PutU32(items.data() + at, Pixel(rec, x, y, height));
            }
        }
        const int64_t blocksDue = std::min<int64_t>(
            static_cast<int64_t>(blocksTotal),
            int64_t{ticks + 1 + holdTicks} * tickMs * rate / 1000 / kGsmSamplesPerBlock);
        size_t blocks = blocksDue > static_cast<int64_t>(blockAt)
                            ? static_cast<size_t>(blocksDue) - blockAt
                            : 0;
        if (rec >= dropFrom && rec <= dropTo) {
            blockAt += blocks;
            blocks = 0;
        }
        const auto audio = gsm.begin() + static_cast<ptrdiff_t>(blockAt * kGsmBlockBytes);
        stream.CursorAt((rec * 37) % width, (rec * 23) % height)
            .AddItems(items, {.hold = static_cast<uint8_t>(holdTicks),
                              .click = clicks ? static_cast<uint8_t>(rec % 3) : uint8_t{0},
                              .audio = std::vector<uint8_t>(
                                  audio, audio + static_cast<ptrdiff_t>(blocks * kGsmBlockBytes))});
        blockAt += blocks;
        carried += blocks;
        ticks += 1 + holdTicks;
    }
    if (!unstopped) stream.Stop(ticks, ticks * tickMs);
    const auto bytes = stream.Bytes();
    out.insert(out.end(), bytes.begin(), bytes.end());
    std::ofstream file(outPath, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    std::printf("records %d ticks %d blocks %zu\n", frames, ticks, carried);
    return file ? 0 : 1;
}

// A recording read back: the stream behind the stub, its reader and its time line.
struct Loaded {
    std::vector<uint8_t> file;
    StreamReader reader;
    playback::Timeline timeline;
    int64_t streamStart = 0;
};

bool Load(const char* path, Loaded& rec) {
    rec.file = ReadFile(path);
    const auto where = playback::LocateStream(rec.file);
    if (where.result != playback::Located::Found) {
        std::fprintf(stderr, "no stream behind the stub\n");
        return false;
    }
    rec.streamStart = where.offset;
    const auto stream =
        std::span<const uint8_t>(rec.file).subspan(static_cast<size_t>(where.offset));
    if (!rec.reader.Open(stream)) {
        std::fprintf(stderr, "%s\n", rec.reader.error().c_str());
        return false;
    }
    return rec.timeline.Build(stream, rec.reader.header()) == playback::Timeline::Scan::Complete;
}

int Compare(int argc, char** argv) {
    if (argc != 7) return Usage();
    Loaded rec;
    if (!Load(argv[2], rec)) return 1;
    StreamReader& reader = rec.reader;
    const playback::Timeline& timeline = rec.timeline;
    const int x0 = std::atoi(argv[4]), y0 = std::atoi(argv[5]);
    const int64_t tick = std::atoll(argv[6]);
    const int32_t record = timeline.RecordAtTick(tick);
    const int32_t click = timeline.ClickRecordAtMs(timeline.MsOfTick(tick));
    if (record < 0) return 1;
    for (int i = 0; i <= record; ++i) {
        if (reader.ReadNext() != StreamReader::Next::Frame) return 1;
    }
    // The picture as GDI shows it: the colour table for 4 and 8 bits, 5-5-5 widened by bit
    // replication for 16.
    tools::RgbImage picture, screen;
    tools::DibToRgb(reader.image(), reader.geometry(), reader.colorTable(), picture);
    std::string error;
    if (!tools::ReadPng(argv[3], screen, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const int w = screen.width, h = screen.height;
    const auto& e = timeline.records()[static_cast<size_t>(record)];
    const auto& c = timeline.records()[static_cast<size_t>(click >= 0 ? click : record)];
    auto drawnOn = [](const playback::RecordEntry& r, int x, int y) {
        return x >= r.cursorX - 20 && x < r.cursorX + 40 && y >= r.cursorY - 20 &&
               y < r.cursorY + 40;
    };
    const FrameGeometry& g = reader.geometry();
    int64_t compared = 0, differing = 0;
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; ++x) {
            if (drawnOn(e, x, y) || drawnOn(c, x, y)) continue;  // the arrow, a click ring
            const int sx = x0 + x, sy = y0 + y;
            if (sx < 0 || sy < 0 || sx >= w || sy >= h) {
                ++differing;
                continue;
            }
            const uint8_t* p = picture.rgb.data() + (static_cast<size_t>(y) * g.width + x) * 3;
            const uint8_t* s = screen.rgb.data() + (static_cast<size_t>(sy) * w + sx) * 3;
            ++compared;
            if (s[0] != p[0] || s[1] != p[1] || s[2] != p[2]) ++differing;
        }
    }
    // What the player drew over the picture: the arrow at the cursor, the ring of a press.
    auto drawnCount = [&](const playback::RecordEntry& r, const uint8_t* colour) {
        int64_t n = 0;
        for (int y = std::max(0, r.cursorY - 20); y < std::min(g.height, r.cursorY + 40); ++y) {
            for (int x = std::max(0, r.cursorX - 20); x < std::min(g.width, r.cursorX + 40); ++x) {
                const int sx = x0 + x, sy = y0 + y;
                if (sx < 0 || sy < 0 || sx >= w || sy >= h) continue;
                const uint8_t* p = picture.rgb.data() + (static_cast<size_t>(y) * g.width + x) * 3;
                const uint8_t* s = screen.rgb.data() + (static_cast<size_t>(sy) * w + sx) * 3;
                if (s[0] == p[0] && s[1] == p[1] && s[2] == p[2]) continue;
                if (colour == nullptr ||
                    (std::abs(s[0] - colour[0]) <= 8 && std::abs(s[1] - colour[1]) <= 8 &&
                     std::abs(s[2] - colour[2]) <= 8)) {
                    ++n;
                }
            }
        }
        return n;
    };
    auto inside = [&](const playback::RecordEntry& r) {
        return r.cursorX >= 0 && r.cursorY >= 0 && r.cursorX < g.width - 4 &&
               r.cursorY < g.height - 4;
    };
    static constexpr uint8_t kLeftRing[3] = {230, 30, 30}, kRightRing[3] = {30, 90, 230};
    const int64_t arrow = inside(e) ? drawnCount(e, nullptr) : -1;
    const int64_t ring =
        click >= 0 && inside(c) ? drawnCount(c, c.click == 1 ? kLeftRing : kRightRing) : -1;
    std::printf("compared %lld differing %lld arrow %lld ring %lld\n",
                static_cast<long long>(compared), static_cast<long long>(differing),
                static_cast<long long>(arrow), static_cast<long long>(ring));
    const bool drawn = (arrow < 0 || arrow >= 10) && (ring < 0 || ring >= 20);
    return differing == 0 && compared > 0 && drawn ? 0 : 1;
}

int Blocks(int argc, char** argv) {
    if (argc != 3) return Usage();
    Loaded rec;
    if (!Load(argv[2], rec)) return 1;
    std::printf("%lld\n", static_cast<long long>(rec.timeline.audioBlocks()));
    return 0;
}

int Payload(int argc, char** argv) {
    if (argc != 4) return Usage();
    Loaded rec;
    if (!Load(argv[2], rec)) return 1;
    const playback::Timeline& timeline = rec.timeline;
    const size_t n = static_cast<size_t>(std::atoi(argv[3]));
    if (n >= timeline.records().size()) return 1;
    const auto& e = timeline.records()[n];
    std::printf("%lld\n", static_cast<long long>(rec.streamStart + e.offset + kFrameHeaderSize +
                                                 e.audioSize));
    return 0;
}

int Sound(int argc, char** argv) {
    if (argc != 5 && argc != 6) return Usage();
    Loaded rec;
    if (!Load(argv[2], rec)) return 1;
    const auto stream =
        std::span<const uint8_t>(rec.file).subspan(static_cast<size_t>(rec.streamStart));
    return e2e::SoundReport(stream, rec.reader, rec.timeline, std::atoi(argv[3]),
                            std::atoi(argv[4]), argc == 6 ? argv[5] : "");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string mode = argv[1];
    if (mode == "make") return Make(argc, argv);
    if (mode == "compare") return Compare(argc, argv);
    if (mode == "blocks") return Blocks(argc, argv);
    if (mode == "payload") return Payload(argc, argv);
    if (mode == "sound") return Sound(argc, argv);
    return Usage();
}
