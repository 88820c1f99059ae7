// mrvtool export: a recording as PNG pictures, its sound as a WAV (GSM 6.10 as recorded, or
// 16-bit PCM laid out as the player plays it), or a video (MP4, GIF) through the export library;
// mrvtool decodes GSM 6.10 through ffmpeg, having no codec of its own.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
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
#include "common/Utf8Path.h"
#include "export/ChildProcess.h"
#include "export/Export.h"
#include "tools/lib/Options.h"
#include "tools/lib/ProcessEnv.h"
#include "tools/mrvtool/RecordingInput.h"

namespace mrv::tools {

namespace {

namespace fs = std::filesystem;
using namespace exporting;

// Shows "stage: n / total (p%)" on a terminal, redrawn at most every whole percent.
class Progress {
  public:
    Progress() : show_(MRV_ISATTY(stderr)) {}
    bool operator()(const ExportProgress& p) {
        if (Interrupted()) return false;
        if (!show_ || p.totalRecords <= 0) return true;
        const int percent = static_cast<int>(p.doneRecords * 100 / p.totalRecords);
        if (percent == shown_ && stage_ == p.stage) return true;
        shown_ = percent;
        stage_ = p.stage;
        std::fprintf(stderr, "\r%s: %lld / %lld (%d%%)", p.stage,
                     static_cast<long long>(p.doneRecords), static_cast<long long>(p.totalRecords),
                     percent);
        if (p.doneRecords >= p.totalRecords) std::fputc('\n', stderr);
        return true;
    }

  private:
    bool show_;
    int shown_ = -1;
    std::string stage_;
};

// GSM 6.10 decoded by an ffmpeg child: the whole sound goes in from a feeder thread, and the
// export reads the PCM of each chunk in order as it asks for it.
class PipedGsm : public playback::GsmDecoder {
  public:
    PipedGsm(std::unique_ptr<ChildProcess> child, const GsmSound& sound)
        : child_(std::move(child)), feeder_([this, sound] {
              sound.writeWav([this](std::span<const uint8_t> b) { return child_->Write(b); });
              child_->CloseInput();
          }) {}
    ~PipedGsm() override {
        child_->CloseOutput();  // unblocks a decoder still writing, and so the feeder
        feeder_.join();
        child_->Wait();
    }
    bool Decode(std::span<const uint8_t>, std::span<int16_t> pcm) override {
        bytes_.resize(pcm.size() * 2);
        for (size_t got = 0; got < bytes_.size();) {
            const int64_t n = child_->Read(std::span(bytes_).subspan(got));
            if (n <= 0) return false;
            got += static_cast<size_t>(n);
        }
        for (size_t i = 0; i < pcm.size(); ++i) {
            pcm[i] = static_cast<int16_t>(GetU16(&bytes_[2 * i]));
        }
        return true;
    }

  private:
    std::unique_ptr<ChildProcess> child_;
    std::thread feeder_;
    std::vector<uint8_t> bytes_;
};

class FfmpegDecoders : public GsmDecoderFactory {
  public:
    explicit FfmpegDecoders(std::string ffmpeg) : ffmpeg_(std::move(ffmpeg)) {}
    std::unique_ptr<playback::GsmDecoder> Start(const GsmSound& sound,
                                                std::string& error) override {
        if (ffmpeg_.empty()) {
            error = text::kExportNoFfmpeg;
            return nullptr;
        }
        ChildSpec request{ffmpeg_,
                          {"-hide_banner", "-nostdin", "-loglevel", "error", "-f", "wav", "-i",
                           "pipe:0", "-f", "s16le", "-acodec", "pcm_s16le", "-ac", "1", "pipe:1"},
                          true,
                          true,
                          {}};
        auto child = StartChild(request, error);
        if (!child) return nullptr;
        return std::make_unique<PipedGsm>(std::move(child), sound);
    }

  private:
    std::string ffmpeg_;
};

int Report(const ExportResult& r) {
    switch (r.status) {
        case ExportStatus::Done:
            std::printf("%s\n", r.detail.c_str());
            return kExitOk;
        case ExportStatus::NoFfmpeg:
        case ExportStatus::CannotWrite:
        case ExportStatus::DiskFull:
            return UsageError(r.detail);
        case ExportStatus::OutOfMemory:
            std::fprintf(stderr, "mrvtool: %s\n", r.detail.c_str());
            return kExitNoMemory;
        case ExportStatus::Refused:
        case ExportStatus::EncoderFailed:
        case ExportStatus::Cancelled:
            break;
    }
    std::fprintf(stderr, "mrvtool: %s\n", r.detail.c_str());
    return kExitInvalid;
}

int RunExportCommand(const Args& args) {
    struct Output {
        const char* option;
        ExportFormat format;
        GifEncoder gif;
    };
    const Output kinds[] = {{"png", ExportFormat::Png, GifEncoder::BuiltIn},
                            {"wav", ExportFormat::Wav, GifEncoder::BuiltIn},
                            {"mp4", ExportFormat::Mp4, GifEncoder::BuiltIn},
                            {"gif", ExportFormat::Gif, GifEncoder::Ffmpeg},
                            {"gif-builtin", ExportFormat::Gif, GifEncoder::BuiltIn}};
    ExportRequest base;
    for (const std::string& in : args.positional) base.inputs.push_back(in);
    if (auto stub = args.Option("stub")) base.inputs.push_back(*stub);
    std::vector<ExportRequest> requests;
    for (const Output& kind : kinds) {
        const auto out = args.Option(kind.option);
        if (!out) continue;
        ExportRequest r = base;
        r.format = kind.format;
        r.gifEncoder = kind.gif;
        r.output = *out;
        if (NamesAnInput(r)) return UsageError(text::kExportOutputIsInput);
        requests.push_back(r);
    }
    if (requests.empty()) {
        return UsageError(
            "export needs --png DIR, --wav OUT.wav, --mp4 OUT.mp4, --gif OUT.gif or "
            "--gif-builtin OUT.gif");
    }
    double skipIdle = -1;
    if (args.Flag("skip-idle")) return UsageError("--skip-idle needs SECONDS (e.g. --skip-idle 1)");
    if (auto value = args.Option("skip-idle")) {
        char* end = nullptr;
        skipIdle = std::strtod(value->c_str(), &end);
        if (end == value->c_str() || *end != '\0' || !(skipIdle >= 0 && skipIdle <= 86400)) {
            return UsageError("--skip-idle takes seconds from 0 to 86400, not \"" + *value + "\"");
        }
    }
    const auto time = [&](const char* name, int64_t& ms) -> std::optional<std::string> {
        if (args.Flag(name)) return std::string("--") + name + " needs a time ([[hh:]mm:]ss[.mmm])";
        const auto value = args.Option(name);
        if (!value) return std::nullopt;
        const auto parsed = ParseClockTime(*value);
        if (!parsed) {
            return std::string("--") + name + " takes a time as [[hh:]mm:]ss[.mmm], not \"" +
                   *value + "\"";
        }
        ms = *parsed;
        return std::nullopt;
    };
    int64_t fromMs = 0, toMs = -1;
    if (auto why = time("from", fromMs)) return UsageError(*why);
    if (auto why = time("to", toMs)) return UsageError(*why);
    if (toMs >= 0 && toMs <= fromMs) return UsageError("--to must come after --from");
    double speed = 1;
    if (args.Flag("speed")) return UsageError("--speed needs 1, 1.5, 2 or 4");
    if (auto value = args.Option("speed")) {
        const std::string v = *value;
        if (v == "1")
            speed = 1;
        else if (v == "1.5")
            speed = 1.5;
        else if (v == "2")
            speed = 2;
        else if (v == "4")
            speed = 4;
        else
            return UsageError("--speed takes 1, 1.5, 2 or 4, not \"" + v + "\"");
    }
    int32_t gifWidth = 0;
    if (args.Flag("gif-width")) return UsageError("--gif-width needs a width in pixels");
    if (auto value = args.Option("gif-width")) {
        char* end = nullptr;
        const long w = std::strtol(value->c_str(), &end, 10);
        if (end == value->c_str() || *end != '\0' || w < 1 || w > 65535) {
            return UsageError("--gif-width takes pixels from 1 to 65535, not \"" + *value + "\"");
        }
        gifWidth = static_cast<int32_t>(w);
    }
    if (gifWidth > 0 && std::none_of(requests.begin(), requests.end(), [](const ExportRequest& r) {
            return r.format == ExportFormat::Gif;
        })) {
        return UsageError("--gif-width is for --gif and --gif-builtin");
    }
    const std::string ffmpeg = FindFfmpeg(RealProgramFiles(), SelfDirectory(), PathVariable(), {});
    CatchInterrupts();
    RecordingInput input;
    if (int rc = LoadRecording(args, input); rc != kExitOk) return rc;
    FfmpegDecoders decoders(ffmpeg);
    for (ExportRequest& r : requests) {
        r.ffmpeg = ffmpeg;
        r.skipIdleSeconds = skipIdle;
        r.wavAsPcm = args.Flag("pcm");
        r.fromMs = fromMs;
        r.toMs = toMs;
        r.speed = speed;
        r.gifWidth = gifWidth;
        r.onNotice = [](const std::string& notice) {
            std::fprintf(stderr, "warning: %s\n", notice.c_str());
        };
        if (r.format == ExportFormat::Png) {
            // mrvtool names a folder; the pictures are tick_<first tick>.png in it.
            std::error_code ec;
            fs::create_directories(Utf8Path(r.output), ec);
            if (ec) return UsageError(r.output + ": " + ec.message());
            r.output = path::Join(r.output, "tick.png");
        }
        Progress progress;
        const ExportResult result =
            RunExport(input.stream(), r, decoders,
                      [&progress](const ExportProgress& p) { return progress(p); });
        if (int rc = Report(result); rc != kExitOk) return rc;
    }
    return kExitOk;
}

const CommandRegistration kExport{
    {"export",
     "export REC (--png DIR | --wav OUT.wav [--pcm] | --mp4 OUT.mp4 | --gif OUT.gif | "
     "--gif-builtin OUT.gif) [--from TIME] [--to TIME] [--speed 1|1.5|2|4] [--gif-width N] "
     "[--skip-idle SECONDS] [--stub FILE]",
     RunExportCommand,
     {{"png", "wav", "mp4", "gif", "gif-builtin", "skip-idle", "stub", "from", "to", "speed",
       "gif-width"},
      {"pcm"}}}};

}  // namespace
}  // namespace mrv::tools
