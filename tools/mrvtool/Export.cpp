// mrvtool export: a recording as PNG pictures, its sound as a GSM 6.10 WAV, or a video (MP4,
// GIF) made by an ffmpeg process that gets the pictures at the recording's own pace.
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <io.h>
#define MRV_POPEN _popen
#define MRV_PCLOSE _pclose
#define MRV_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define MRV_POPEN popen
#define MRV_PCLOSE pclose
#define MRV_ISATTY(f) isatty(fileno(f))
#endif

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
    std::string wavPath;
    if (kind == Video::Mp4) {
        std::vector<uint8_t> blocks;
        AudioRate rate{0, 0};
        if (SoundBlocks(rec, blocks, rate)) {
            // The sound starts where the player starts it: its first chunk's place in time.
            player::AudioTimeline audio;
            audio.Build(rec.timeline, rate.samplesPerSec);
            const double offset =
                audio.chunks().empty()
                    ? 0.0
                    : static_cast<double>(audio.chunks()[0].startSample) / rate.samplesPerSec;
            wavPath = out + ".sound.wav";
            if (!WriteFile(wavPath,
                           player::MakeGsmWav(blocks, rate.samplesPerSec, rate.avgBytesPerSec))) {
                return UsageError("cannot write " + wavPath);
            }
            char itsoffset[32];
            std::snprintf(itsoffset, sizeof itsoffset, "%.3f", offset);
            cmd += std::string(" -itsoffset ") + itsoffset + " -i " + Quote(wavPath) +
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
    FILE* pipe = MRV_POPEN(cmd.c_str(), "w");
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
    if (!wavPath.empty()) std::remove(wavPath.c_str());
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
