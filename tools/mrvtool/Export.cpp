// mrvtool export: a recording as PNG pictures, its sound as a GSM 6.10 WAV, or a video (MP4,
// GIF) made by an ffmpeg process that gets the pictures at the recording's own pace.
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define MRV_POPEN _popen
#define MRV_POPEN_WRITE "wb"  // text mode would turn every 0x0A byte of a picture into CR LF
#define MRV_PCLOSE _pclose
#define MRV_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define MRV_POPEN popen
#define MRV_POPEN_WRITE "w"
#define MRV_PCLOSE pclose
#define MRV_ISATTY(f) isatty(fileno(f))
#endif

#include "common/ByteOrder.h"
#include "player/AudioTimeline.h"
#include "player/GsmWav.h"
#include "player/Timeline.h"
#include "recorder/StreamReader.h"
#include "tools/lib/Png.h"
#include "tools/mrvtool/RecordingInput.h"

namespace mrv::tools {

namespace {

namespace fs = std::filesystem;

// Shows "what: n / total (p%)" on a terminal, redrawn at most every whole percent.
class Progress {
  public:
    Progress(const char* what, int64_t total)
        : what_(what), total_(total), show_(MRV_ISATTY(stderr) && total > 0) {}
    void Step(int64_t done) {
        if (!show_) return;
        const int percent = static_cast<int>(done * 100 / total_);
        if (percent == shown_) return;
        shown_ = percent;
        std::fprintf(stderr, "\r%s: %lld / %lld (%d%%)", what_, static_cast<long long>(done),
                     static_cast<long long>(total_), percent);
        if (done >= total_) std::fputc('\n', stderr);
    }

  private:
    const char* what_;
    int64_t total_;
    bool show_;
    int shown_ = -1;
};

struct Recording {
    RecordingInput input;
    StreamReader reader;
    player::Timeline timeline;
};

int Open(const Args& args, Recording& rec) {
    if (int rc = LoadRecording(args, rec.input); rc != kExitOk) return rc;
    if (!rec.reader.Open(rec.input.stream())) {
        std::fprintf(stderr, "%s\n", rec.reader.error().c_str());
        return kExitInvalid;
    }
    switch (rec.timeline.Build(rec.input.stream(), rec.reader.header())) {
        case player::Timeline::Scan::Complete:
            break;
        case player::Timeline::Scan::Truncated:
            std::fprintf(stderr, "warning: %s; exporting the %zu complete records\n",
                         rec.timeline.error().c_str(), rec.timeline.records().size());
            break;
        case player::Timeline::Scan::Damaged:
            std::fprintf(stderr, "%s\n", rec.timeline.error().c_str());
            return kExitInvalid;
    }
    if (rec.timeline.records().empty()) {
        std::fprintf(stderr, "the recording holds no pictures\n");
        return kExitInvalid;
    }
    return kExitOk;
}

// Reads the next record into the picture; prints why when it cannot.
bool NextPicture(Recording& rec, RgbImage& image) {
    if (rec.reader.ReadNext() != StreamReader::Next::Frame) {
        std::fprintf(stderr, "record %d: %s\n", rec.reader.recordIndex(),
                     rec.reader.error().c_str());
        return false;
    }
    DibToRgb(rec.reader.image(), rec.reader.geometry(), rec.reader.colorTable(), image);
    return true;
}

// One PNG per record, named after the first tick it stands for (held frames leave gaps).
int ExportPng(Recording& rec, const std::string& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) return UsageError(dir + ": " + ec.message());
    rec.reader.Rewind();
    const auto& records = rec.timeline.records();
    Progress progress("png", static_cast<int64_t>(records.size()));
    RgbImage image;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!NextPicture(rec, image)) return kExitInvalid;
        char name[40];
        std::snprintf(name, sizeof name, "tick_%08lld.png",
                      static_cast<long long>(records[i].firstTick));
        const std::string path = (fs::path(dir) / name).string();
        if (!WritePng(path, image)) return UsageError("cannot write " + path);
        progress.Step(static_cast<int64_t>(i + 1));
    }
    std::printf("%zu pictures written to %s\n", records.size(), dir.c_str());
    return kExitOk;
}

// The sound as recorded: every record's whole blocks, in order; a stray tail is not sound.
bool SoundBlocks(const Recording& rec, std::vector<uint8_t>& blocks, AudioRate& rate) {
    if (!AudioRateForFormat(rec.reader.header().audioFormat, rate)) return false;
    const auto stream = rec.input.stream();
    for (const auto& r : rec.timeline.records()) {
        const size_t at = static_cast<size_t>(r.offset) + kFrameHeaderSize;
        const size_t n = static_cast<size_t>(r.audioSize / kGsmBlockBytes * kGsmBlockBytes);
        blocks.insert(blocks.end(), stream.begin() + static_cast<long>(at),
                      stream.begin() + static_cast<long>(at + n));
    }
    return !blocks.empty();
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

int ExportWav(const Recording& rec, const std::string& path) {
    std::vector<uint8_t> blocks;
    AudioRate rate{0, 0};
    if (!SoundBlocks(rec, blocks, rate)) {
        std::fprintf(stderr, "the recording has no sound\n");
        return kExitInvalid;
    }
    if (!WriteFile(path, player::MakeGsmWav(blocks, rate.samplesPerSec, rate.avgBytesPerSec))) {
        return UsageError("cannot write " + path);
    }
    std::printf("%zu GSM 6.10 blocks written to %s\n", blocks.size() / kGsmBlockBytes,
                path.c_str());
    return kExitOk;
}

std::string Quote(const std::string& s) {
#ifdef _WIN32
    return "\"" + s + "\"";
#else
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
#endif
}

// ffmpeg from the PATH, or empty.
std::string FindFfmpeg() {
    const char* path = std::getenv("PATH");
    if (!path) return {};
#ifdef _WIN32
    const char separator = ';';
    const char* name = "ffmpeg.exe";
#else
    const char separator = ':';
    const char* name = "ffmpeg";
#endif
    std::string dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = std::min(dirs.find(separator, start), dirs.size());
        const fs::path candidate = fs::path(dirs.substr(start, end - start)) / name;
        std::error_code ec;
        if (end > start && fs::is_regular_file(candidate, ec)) return candidate.string();
        start = end + 1;
    }
    return {};
}

// A command line for popen and system: cmd.exe strips the outer pair of quotes when the line
// holds more than two, so the whole line gets one more pair there.
std::string ShellLine(const std::string& cmd) {
#ifdef _WIN32
    return "\"" + cmd + "\"";
#else
    return cmd;
#endif
}

// GSM 6.10 decoded once by ffmpeg (mrvtool has no codec of its own), handed out chunk by chunk
// so that the sound's time line can lay it out as the player does.
class PredecodedGsm : public player::GsmDecoder {
  public:
    PredecodedGsm(std::span<const uint8_t> stream, const player::AudioTimeline& audio,
                  std::vector<int16_t> pcm)
        : stream_(stream), pcm_(std::move(pcm)) {
        int64_t at = 0;
        for (const auto& c : audio.chunks()) {
            starts_.emplace_back(c.streamOffset, at);
            at += int64_t{c.blocks} * player::kGsmSamplesPerBlock;
        }
    }
    bool Decode(std::span<const uint8_t> blocks, std::span<int16_t> pcm) override {
        const int64_t offset = blocks.data() - stream_.data();
        const auto it = std::lower_bound(starts_.begin(), starts_.end(),
                                         std::pair<int64_t, int64_t>{offset, INT64_MIN});
        if (it == starts_.end() || it->first != offset) return false;
        const int64_t n = static_cast<int64_t>(pcm.size());
        if (it->second + n > static_cast<int64_t>(pcm_.size())) return false;
        std::copy_n(pcm_.begin() + it->second, n, pcm.begin());
        return true;
    }

  private:
    std::span<const uint8_t> stream_;
    std::vector<int16_t> pcm_;
    std::vector<std::pair<int64_t, int64_t>> starts_;  // chunk's stream offset, first sample
};

bool ReadPcm(const std::string& path, std::vector<int16_t>& pcm) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    pcm.resize(bytes.size() / 2);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>(GetU16(&bytes[2 * i]));
    return true;
}

// The sound for the video as 16-bit PCM on the pictures' time line: every record's blocks end
// at its picture's time, and what the recorder dropped becomes silence, as in the player. Only
// concatenating the blocks would let the sound run ahead of the pictures after every loss.
bool WriteTimedPcm(const Recording& rec, const std::string& ffmpeg, const std::string& base,
                   std::string& pcmPath, int32_t& sampleRate, std::string& error) {
    std::vector<uint8_t> blocks;
    AudioRate rate{0, 0};
    if (!SoundBlocks(rec, blocks, rate)) return true;  // no sound: a silent video
    const std::string gsmPath = base + ".sound.wav";
    const std::string decodedPath = base + ".sound.raw";
    if (!WriteFile(gsmPath, player::MakeGsmWav(blocks, rate.samplesPerSec, rate.avgBytesPerSec))) {
        error = "cannot write " + gsmPath;
        return false;
    }
    const std::string decode = Quote(ffmpeg) + " -hide_banner -loglevel error -y -i " +
                               Quote(gsmPath) + " -f s16le -acodec pcm_s16le -ac 1 " +
                               Quote(decodedPath);
    std::vector<int16_t> decoded;
    const bool ok = std::system(ShellLine(decode).c_str()) == 0 && ReadPcm(decodedPath, decoded);
    std::remove(gsmPath.c_str());
    std::remove(decodedPath.c_str());
    if (!ok) {
        error = "ffmpeg could not decode the GSM 6.10 sound";
        return false;
    }

    player::AudioTimeline audio;
    audio.Build(rec.timeline, rate.samplesPerSec);
    PredecodedGsm decoder(rec.input.stream(), audio, std::move(decoded));
    pcmPath = base + ".sound.pcm";
    std::ofstream out(pcmPath, std::ios::binary);
    constexpr int64_t kPieceSamples = 65536;
    std::vector<int16_t> piece(kPieceSamples);
    std::vector<uint8_t> bytes(piece.size() * 2);
    for (int64_t at = 0; at < audio.totalSamples() && out; at += kPieceSamples) {
        const int64_t n = std::min(kPieceSamples, audio.totalSamples() - at);
        const std::span<int16_t> part(piece.data(), static_cast<size_t>(n));
        audio.Fill(rec.input.stream(), decoder, at, part);
        for (int64_t i = 0; i < n; ++i) {
            PutU16(bytes.data() + 2 * i, static_cast<uint16_t>(part[static_cast<size_t>(i)]));
        }
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(2 * n));
    }
    if (!out) {
        error = "cannot write " + pcmPath;
        std::remove(pcmPath.c_str());
        return false;
    }
    sampleRate = rate.samplesPerSec;
    return true;
}

enum class Video { Mp4, Gif };

int ExportVideo(Recording& rec, const std::string& out, Video kind) {
    const std::string ffmpeg = FindFfmpeg();
    if (ffmpeg.empty()) {
        std::fprintf(stderr,
                     "mrvtool: ffmpeg was not found on the PATH; it is needed for MP4 and GIF "
                     "(on Debian: apt-get install ffmpeg)\n");
        return kExitUsage;
    }
    const FrameGeometry& g = rec.reader.geometry();
    const player::Pacing& pacing = rec.timeline.pacing();
    // The recording's own pace as an exact fraction: 1000000 / (tick length in microseconds).
    const long long tickUs = std::max<long long>(std::llround(pacing.tickMs * 1000), 1);
    std::string cmd = Quote(ffmpeg) +
                      " -hide_banner -loglevel error -y -f rawvideo -pix_fmt rgb24" + " -s " +
                      std::to_string(g.width) + "x" + std::to_string(g.height) +
                      " -framerate 1000000/" + std::to_string(tickUs) + " -i -";
    std::string pcmPath;
    if (kind == Video::Mp4) {
        int32_t sampleRate = 0;
        std::string error;
        if (!WriteTimedPcm(rec, ffmpeg, out, pcmPath, sampleRate, error)) {
            std::fprintf(stderr, "mrvtool: %s\n", error.c_str());
            return kExitInvalid;
        }
        if (!pcmPath.empty()) {
            cmd += " -f s16le -ar " + std::to_string(sampleRate) + " -ac 1 -i " + Quote(pcmPath) +
                   " -map 0:v -map 1:a -c:a aac -b:a 64k";
        }
        // H.264 in 4:2:0 wants even sides: pad odd ones with one black line.
        cmd +=
            " -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p"
            " -movflags +faststart -vf " +
            Quote("pad=ceil(iw/2)*2:ceil(ih/2)*2");
    } else {
        cmd += " -vf " + Quote("split[a][b];[a]palettegen=stats_mode=diff[p];[b][p]paletteuse");
    }
    cmd += " " + Quote(out);

#ifndef _WIN32
    std::signal(SIGPIPE, SIG_IGN);  // a failing ffmpeg must show as a write error, not kill us
#endif
    FILE* pipe = MRV_POPEN(ShellLine(cmd).c_str(), MRV_POPEN_WRITE);
    if (!pipe) return UsageError("cannot start ffmpeg");
    rec.reader.Rewind();
    Progress progress(kind == Video::Mp4 ? "mp4" : "gif", pacing.totalTicks);
    RgbImage image;
    bool ok = true;
    int64_t tick = 0;
    for (const auto& r : rec.timeline.records()) {
        if (!NextPicture(rec, image)) {
            ok = false;
            break;
        }
        for (int k = 0; k <= r.holdTicks && ok; ++k) {
            ok = std::fwrite(image.rgb.data(), 1, image.rgb.size(), pipe) == image.rgb.size();
            progress.Step(++tick);
        }
        if (!ok) break;
    }
    const int status = MRV_PCLOSE(pipe);
    if (!pcmPath.empty()) std::remove(pcmPath.c_str());
    if (!ok || status != 0) {
        std::fprintf(stderr, "mrvtool: ffmpeg failed (status %d) making %s\n", status, out.c_str());
        return kExitInvalid;
    }
    std::printf("%lld frames at %.3f per second written to %s\n", static_cast<long long>(tick),
                1000.0 / pacing.tickMs, out.c_str());
    return kExitOk;
}

int RunExport(const Args& args) {
    const auto png = args.Option("png");
    const auto wav = args.Option("wav");
    const auto mp4 = args.Option("mp4");
    const auto gif = args.Option("gif");
    if (!png && !wav && !mp4 && !gif) {
        return UsageError("export needs --png DIR, --wav OUT.wav, --mp4 OUT.mp4 or --gif OUT.gif");
    }
    Recording rec;
    if (int rc = Open(args, rec); rc != kExitOk) return rc;
    int rc = kExitOk;
    if (png && rc == kExitOk) rc = ExportPng(rec, *png);
    if (wav && rc == kExitOk) rc = ExportWav(rec, *wav);
    if (mp4 && rc == kExitOk) rc = ExportVideo(rec, *mp4, Video::Mp4);
    if (gif && rc == kExitOk) rc = ExportVideo(rec, *gif, Video::Gif);
    return rc;
}

const CommandRegistration kExport{
    {"export",
     "export REC (--png DIR | --wav OUT.wav | --mp4 OUT.mp4 | --gif OUT.gif) [--stub FILE]",
     RunExport}};

}  // namespace
}  // namespace mrv::tools
