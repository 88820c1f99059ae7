// mrvtool export: a recording as PNG pictures, its sound as a GSM 6.10 WAV, or a video (MP4,
// GIF) made by ffmpeg, started without a shell, from pictures that carry their own durations.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define MRV_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define MRV_ISATTY(f) isatty(fileno(f))
#endif

#include "common/ByteOrder.h"
#include "common/Texts.h"
#include "player/AudioTimeline.h"
#include "player/Timeline.h"
#include "recorder/StreamReader.h"
#include "tools/lib/ChildProcess.h"
#include "tools/lib/CommandLine.h"
#include "tools/lib/ExportPlan.h"
#include "tools/lib/Ivf.h"
#include "tools/lib/Png.h"
#include "tools/lib/SoundStream.h"
#include "tools/lib/Utf8Path.h"
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

int Fail(const std::string& message) {
    std::fprintf(stderr, "mrvtool: %s\n", message.c_str());
    return kExitInvalid;
}

// A folder only this user can open, removed with everything in it on every way out.
class TempFolder {
  public:
    bool Make(std::string& error) {
        path_ = MakePrivateTempFolder(error);
        return !path_.empty();
    }
    ~TempFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(Utf8Path(path_), ec);
    }
    // ffmpeg sees only these names, never the user's.
    std::string File(const char* name) const { return PathUtf8(Utf8Path(path_) / name); }

  private:
    std::string path_;
};

struct Recording {
    RecordingInput input;
    StreamReader reader;
    player::Timeline timeline;
    player::AudioTimeline audio;
    AudioRate rate{0, 0};
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
    if (AudioRateForFormat(rec.reader.header().audioFormat, rec.rate)) {
        rec.audio.Build(rec.timeline, rec.rate.samplesPerSec);
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
    fs::create_directories(Utf8Path(dir), ec);
    if (ec) return UsageError(dir + ": " + ec.message());
    rec.reader.Rewind();
    const auto& records = rec.timeline.records();
    Progress progress("png", static_cast<int64_t>(records.size()));
    RgbImage image;
    for (size_t i = 0; i < records.size(); ++i) {
        if (Interrupted()) return Fail(text::kExportInterrupted);
        if (!NextPicture(rec, image)) return kExitInvalid;
        char name[40];
        std::snprintf(name, sizeof name, "tick_%08lld.png",
                      static_cast<long long>(records[i].firstTick));
        const std::string path = PathUtf8(Utf8Path(dir) / name);
        if (!WritePng(path, image)) return UsageError("cannot write " + path);
        progress.Step(static_cast<int64_t>(i + 1));
    }
    std::printf("%zu pictures written to %s\n", records.size(), dir.c_str());
    return kExitOk;
}

// The sound track ends with the last sound: a silent tail would only cost encoding time.
int64_t SoundEnd(const player::AudioTimeline& audio) {
    const auto& chunks = audio.chunks();
    if (chunks.empty()) return 0;
    return chunks.back().startSample + int64_t{chunks.back().blocks} * kGsmSamplesPerBlock;
}

// Where the sound lies: every record's whole blocks, in order; a stray tail is not sound.
std::vector<SoundRun> SoundRuns(const player::AudioTimeline& audio) {
    std::vector<SoundRun> runs;
    for (const auto& c : audio.chunks()) {
        runs.push_back({c.streamOffset, int64_t{c.blocks} * kGsmBlockBytes});
    }
    return runs;
}

int ExportWav(const Recording& rec, const std::string& path) {
    const auto runs = SoundRuns(rec.audio);
    if (runs.empty()) return Fail("the recording has no sound");
    const int64_t bytes = SoundBytes(runs);
    if (auto why = CheckWavSize(bytes)) return Fail(*why);
    SpanSource source(rec.input.stream());
    {
        std::ofstream out(Utf8Path(path), std::ios::binary | std::ios::trunc);
        const ByteSink sink = [&out](std::span<const uint8_t> b) {
            out.write(reinterpret_cast<const char*>(b.data()),
                      static_cast<std::streamsize>(b.size()));
            return static_cast<bool>(out);
        };
        if (out &&
            WriteGsmWav(source, runs, rec.rate.samplesPerSec, rec.rate.avgBytesPerSec, sink) &&
            out.flush()) {
            std::printf("%lld GSM 6.10 blocks written to %s\n",
                        static_cast<long long>(bytes / kGsmBlockBytes), path.c_str());
            return kExitOk;
        }
    }
    std::error_code ec;
    fs::remove(Utf8Path(path), ec);
    return UsageError("cannot write " + path);
}

std::string FindFfmpeg() {
    return FindProgram(std::string("ffmpeg") + ExecutableSuffix(), SelfDirectory(), PathVariable(),
                       PathSeparator(), [](const std::string& p) {
                           std::error_code ec;
                           return fs::is_regular_file(Utf8Path(p), ec);
                       });
}

// The start of every ffmpeg command that reads our pictures from its standard input.
std::vector<std::string> PictureInputArgs() {
    return {"-hide_banner", "-nostdin", "-loglevel", "error", "-y",    "-f",
            "ivf",          "-c:v",     "rawvideo",  "-i",    "pipe:0"};
}

std::string ExtraInputArgument(const std::string& name) {
    return name.rfind("pipe:", 0) == 0 ? name : FfmpegFileArgument(name);
}

// Sends every record's picture once (and again only where a frame must not last longer than
// `maxTicks`), stamped with its tick. False when a picture cannot be read or ffmpeg stopped.
bool SendPictures(Recording& rec, ChildProcess& ffmpeg, int64_t maxTicks, const char* what) {
    const FrameGeometry& g = rec.reader.geometry();
    const player::Pacing& pacing = rec.timeline.pacing();
    const auto header =
        IvfHeader(static_cast<uint16_t>(g.width), static_cast<uint16_t>(g.height),
                  static_cast<uint32_t>(TickMicros(pacing.tickMs)), 1000000,
                  static_cast<uint32_t>(std::min<int64_t>(pacing.totalTicks, UINT32_MAX)));
    if (!ffmpeg.Write(header)) return false;
    rec.reader.Rewind();
    const auto& records = rec.timeline.records();
    Progress progress(what, static_cast<int64_t>(records.size()));
    RgbImage image;
    std::vector<int64_t> ticks;
    for (size_t i = 0; i < records.size(); ++i) {
        if (Interrupted() || !NextPicture(rec, image)) return false;
        ticks.clear();
        FrameTicks(records[i].firstTick, 1 + int64_t{records[i].holdTicks}, i + 1 == records.size(),
                   maxTicks, ticks);
        for (int64_t tick : ticks) {
            const auto frame = IvfFrameHeader(static_cast<uint32_t>(image.rgb.size()),
                                              static_cast<uint64_t>(tick));
            if (!ffmpeg.Write(frame) || !ffmpeg.Write(image.rgb)) return false;
        }
        progress.Step(static_cast<int64_t>(i + 1));
    }
    return true;
}

// GSM 6.10 decoded by a second ffmpeg (mrvtool has no codec of its own), read in the order the
// sound's time line asks for its chunks: each chunk once, first to last.
class PipedGsm : public player::GsmDecoder {
  public:
    explicit PipedGsm(ChildProcess& decoder) : decoder_(decoder) {}
    bool Decode(std::span<const uint8_t>, std::span<int16_t> pcm) override {
        bytes_.resize(pcm.size() * 2);
        for (size_t got = 0; got < bytes_.size();) {
            const int64_t n = decoder_.Read(std::span(bytes_).subspan(got));
            if (n <= 0) {
                failed_ = true;
                return false;
            }
            got += static_cast<size_t>(n);
        }
        for (size_t i = 0; i < pcm.size(); ++i) {
            pcm[i] = static_cast<int16_t>(GetU16(&bytes_[2 * i]));
        }
        return true;
    }
    bool failed() const { return failed_; }

  private:
    ChildProcess& decoder_;
    std::vector<uint8_t> bytes_;
    bool failed_ = false;
};

// The MP4's sound as the player plays it: every record's blocks end at its picture's time and
// what the recorder dropped is silence. It is streamed: the recording's blocks go into a
// decoding ffmpeg, its PCM is laid out piece by piece into the encoder's extra input.
class SoundPipeline {
  public:
    SoundPipeline(Recording& rec, const std::string& ffmpeg) : rec_(rec), ffmpeg_(ffmpeg) {}
    ~SoundPipeline() { Finish(); }

    bool Start(ChildProcess& encoder, std::string& error) {
        ChildSpec request{ffmpeg_,
                          {"-hide_banner", "-nostdin", "-loglevel", "error", "-f", "wav", "-i",
                           "pipe:0", "-f", "s16le", "-acodec", "pcm_s16le", "-ac", "1", "pipe:1"},
                          true,
                          true,
                          {}};
        decoder_ = StartChild(request, error);
        if (!decoder_) return false;
        feeder_ = std::thread([this] { Feed(); });
        layout_ = std::thread([this, &encoder] { Lay(encoder); });
        return true;
    }
    void Abort() { abort_ = true; }
    // True when every sample reached the encoder and the decoder succeeded.
    bool Finish() {
        if (layout_.joinable()) layout_.join();
        if (feeder_.joinable()) feeder_.join();
        const int status = decoder_ ? decoder_->Wait() : 0;
        decoder_.reset();
        return ok_ && status == 0;
    }

  private:
    void Feed() {
        try {
            SpanSource source(rec_.input.stream());
            const auto runs = SoundRuns(rec_.audio);
            WriteGsmWav(source, runs, rec_.rate.samplesPerSec, rec_.rate.avgBytesPerSec,
                        [this](std::span<const uint8_t> b) { return decoder_->Write(b); });
        } catch (const std::exception&) {
            ok_ = false;
        }
        decoder_->CloseInput();
    }
    void Lay(ChildProcess& encoder) {
        try {
            PipedGsm gsm(*decoder_);
            constexpr int64_t kPieceSamples = 65536;
            std::vector<int16_t> piece(kPieceSamples);
            std::vector<uint8_t> bytes(piece.size() * 2);
            const int64_t end = SoundEnd(rec_.audio);
            for (int64_t at = 0; at < end && ok_ && !abort_ && !Interrupted();
                 at += kPieceSamples) {
                const int64_t n = std::min(kPieceSamples, end - at);
                const std::span<int16_t> part(piece.data(), static_cast<size_t>(n));
                rec_.audio.Fill(rec_.input.stream(), gsm, at, part);
                for (size_t i = 0; i < part.size(); ++i) {
                    PutU16(&bytes[2 * i], static_cast<uint16_t>(part[i]));
                }
                if (gsm.failed() || !encoder.WriteExtra(std::span(bytes).first(2 * part.size()))) {
                    ok_ = false;
                }
            }
        } catch (const std::exception&) {
            ok_ = false;
        }
        if (abort_ || Interrupted()) ok_ = false;
        // Unblocks a decoder still writing, and so the feeder.
        decoder_->CloseOutput();
        encoder.CloseExtra();
    }

    Recording& rec_;
    std::string ffmpeg_;
    std::unique_ptr<ChildProcess> decoder_;
    std::thread feeder_, layout_;
    std::atomic<bool> ok_{true};
    std::atomic<bool> abort_{false};
};

// Puts ffmpeg's finished file in place; across file systems by copying.
bool MoveInPlace(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(Utf8Path(from), Utf8Path(to), ec);
    if (!ec) return true;
    ec.clear();
    fs::copy_file(Utf8Path(from), Utf8Path(to), fs::copy_options::overwrite_existing, ec);
    if (!ec) return true;
    fs::remove(Utf8Path(to), ec);
    return false;
}

enum class Video { Mp4, Gif };

int ExportVideo(Recording& rec, const std::string& out, Video kind) {
    const player::Pacing& pacing = rec.timeline.pacing();
    if (auto why = CheckPictureTimeline(pacing.totalTicks, pacing.tickMs)) return Fail(*why);
    const bool sound = kind == Video::Mp4 && !rec.audio.chunks().empty();
    if (sound) {
        const int64_t carried = rec.timeline.audioBlocks() * kGsmSamplesPerBlock;
        if (auto why = CheckSoundTimeline(carried, SoundEnd(rec.audio), rec.rate.samplesPerSec)) {
            return Fail(*why);
        }
        if (auto why = CheckWavSize(SoundBytes(SoundRuns(rec.audio)))) return Fail(*why);
    }
    const FrameGeometry& g = rec.reader.geometry();
    // IVF sides are 16-bit and its frame sizes 32-bit.
    if (g.width > 65535 || g.height > 65535 || int64_t{g.width} * g.height * 3 > UINT32_MAX) {
        return Fail("the screen is too large for a video");
    }
    const std::string ffmpeg = FindFfmpeg();
    if (ffmpeg.empty()) return UsageError(text::kExportNoFfmpeg);
    std::string error;
    TempFolder temp;
    if (!temp.Make(error)) return UsageError(error);
    const std::string made = temp.File(kind == Video::Mp4 ? "out.mp4" : "out.gif");
    const char* what = kind == Video::Mp4 ? "mp4" : "gif";

    if (kind == Video::Gif) {
        // Pass one: the palette, from every picture; pass two: the frames through it. Neither
        // keeps more than a frame, as a one-pass filter graph would keep them all.
        const std::string palette = temp.File("palette.png");
        ChildSpec first{ffmpeg, PictureInputArgs(), true, false, {}};
        first.args.insert(first.args.end(),
                          {"-vf", "palettegen=stats_mode=diff", FfmpegFileArgument(palette)});
        auto pass = StartChild(first, error);
        if (!pass) return UsageError(error);
        const bool sent = SendPictures(rec, *pass, MaxTicksPerFrame(pacing.tickMs, kMaxGifFrameMs),
                                       "gif palette");
        if (const int status = pass->Wait(); Interrupted()) {
            return Fail(text::kExportInterrupted);
        } else if (!sent || status != 0) {
            return Fail("ffmpeg failed (status " + std::to_string(status) + ") making " + out);
        }
    }

    ChildSpec request{ffmpeg, PictureInputArgs(), true, false, {}};
    auto& a = request.args;
    if (kind == Video::Mp4) {
        if (sound) {
            request.extraInput = ExtraInputName();
            a.insert(a.end(), {"-f", "s16le", "-ar", std::to_string(rec.rate.samplesPerSec), "-ac",
                               "1", "-i", ExtraInputArgument(request.extraInput), "-map", "0:v",
                               "-map", "1:a", "-c:a", "aac", "-b:a", "64k"});
        }
        // H.264 in 4:2:0 wants even sides: pad odd ones with one black line.
        a.insert(a.end(),
                 {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
                  "-movflags", "+faststart", "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2"});
    } else {
        // The last frame lasts one tick (GIF delays are centiseconds).
        const int64_t lastCs = std::clamp<int64_t>(TickMicros(pacing.tickMs) / 10000, 1, 65535);
        a.insert(a.end(), {"-i", FfmpegFileArgument(temp.File("palette.png")), "-lavfi",
                           "[0:v][1:v]paletteuse", "-final_delay", std::to_string(lastCs)});
    }
    // Each picture keeps its own time stamp: no frame is repeated to fill a constant rate.
    a.insert(a.end(), {"-fps_mode", "passthrough", FfmpegFileArgument(made)});
    auto encoder = StartChild(request, error);
    if (!encoder) return UsageError(error);
    SoundPipeline pipeline(rec, ffmpeg);
    if (sound && !pipeline.Start(*encoder, error)) return UsageError(error);
    const int64_t maxTicks =
        MaxTicksPerFrame(pacing.tickMs, kind == Video::Gif ? kMaxGifFrameMs : 0);
    const bool sent = SendPictures(rec, *encoder, maxTicks, what);
    if (!sent) pipeline.Abort();
    encoder->CloseInput();
    const bool soundOk = pipeline.Finish();
    const int status = encoder->Wait();
    if (Interrupted()) return Fail(text::kExportInterrupted);
    if (!sent || !soundOk || status != 0) {
        return Fail("ffmpeg failed (status " + std::to_string(status) + ") making " + out);
    }
    if (!MoveInPlace(made, out)) return UsageError("cannot write " + out);
    std::printf("%zu pictures over %lld ticks at %.3f per second written to %s\n",
                rec.timeline.records().size(), static_cast<long long>(pacing.totalTicks),
                1000.0 / pacing.tickMs, out.c_str());
    return kExitOk;
}

// True when `out` is the recording or the stub: writing there would destroy the input.
bool NamesInput(const Args& args, const std::string& out) {
    std::vector<std::string> inputs = args.positional;
    if (auto stub = args.Option("stub")) inputs.push_back(*stub);
    for (const std::string& in : inputs) {
        std::error_code ec;
        if (fs::equivalent(Utf8Path(in), Utf8Path(out), ec)) return true;
    }
    return false;
}

int RunExport(const Args& args) {
    const auto png = args.Option("png");
    const auto wav = args.Option("wav");
    const auto mp4 = args.Option("mp4");
    const auto gif = args.Option("gif");
    if (!png && !wav && !mp4 && !gif) {
        return UsageError("export needs --png DIR, --wav OUT.wav, --mp4 OUT.mp4 or --gif OUT.gif");
    }
    for (const auto& out : {png, wav, mp4, gif}) {
        if (out && NamesInput(args, *out)) return UsageError(text::kExportOutputIsInput);
    }
    CatchInterrupts();
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
     RunExport,
     {{"png", "wav", "mp4", "gif", "stub"}, {}}}};

}  // namespace
}  // namespace mrv::tools
