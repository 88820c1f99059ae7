// Turns a recording into files that play anywhere (GIF, MP4, WAV, PNG), for mrvtool and the
// player alike: one set of limits, one pacing, one sound layout.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "playback/AudioTimeline.h"

namespace mrv::exporting {

enum class ExportFormat { Gif, Mp4, Wav, Png };

// How a GIF is made: our own encoder, or ffmpeg's two-pass palette (mrvtool's --gif).
enum class GifEncoder { BuiltIn, Ffmpeg };

struct ExportRequest {
    ExportFormat format = ExportFormat::Gif;
    // PNG: the typed name; the pictures are "<stem>_<first tick, 8 digits>.png" beside it.
    std::string output;
    // MP4 (and the ffmpeg GIF): the program FindFfmpeg found; empty gives NoFfmpeg.
    std::string ffmpeg;
    double skipIdleSeconds = -1;  // < 0: off; MP4 and GIF only
    bool wavAsPcm =
        true;  // WAV: 16-bit PCM laid out as the player plays it; false: GSM as recorded
    GifEncoder gifEncoder = GifEncoder::BuiltIn;
    // Files the export must never write over (the recording itself, its stub).
    std::vector<std::string> inputs;
    // Told what the export goes on despite (a stream cut off in a record); may be empty.
    std::function<void(const std::string&)> onNotice;
};

struct ExportProgress {
    int64_t doneMs;  // recording time done, of totalMs
    int64_t totalMs;
    const char* stage = "";  // "png", "wav", "gif", "gif palette", "mp4", "sound"
    int64_t doneRecords = 0;
    int64_t totalRecords = 0;
};

enum class ExportStatus {
    Done,
    Cancelled,
    CannotWrite,
    DiskFull,
    NoFfmpeg,
    EncoderFailed,
    Refused,  // the recording cannot be exported (damaged, a forged time line, no sound for WAV)
    OutOfMemory
};

struct ExportResult {
    ExportResult() = default;
    ExportResult(ExportStatus s, std::string d = {}) : status(s), detail(std::move(d)) {}
    ExportStatus status = ExportStatus::Done;
    std::string detail;  // English, for logs and mrvtool's messages
    // A finished set of pictures (PNG): every file written, in order; otherwise empty, the
    // request's output being the one file.
    std::vector<std::string> files;
};

// The recording's sound as a GSM 6.10 WAV file (as mrvtool --wav writes it), for a decoder that
// must see the whole sound before it gives any back (an ffmpeg child); the player's ACM decoder
// ignores it.
struct GsmSound {
    int32_t sampleRate = 0;
    int32_t avgBytesPerSec = 0;
    // Writes the whole WAV to `sink`, piece by piece; false when the sink refused a piece.
    std::function<bool(const std::function<bool(std::span<const uint8_t>)>& sink)> writeWav;
};

// Makes the GSM 6.10 decoder for one export. The export asks it for every chunk of sound once,
// in order; a chunk it cannot decode fails the export.
class GsmDecoderFactory {
  public:
    virtual ~GsmDecoderFactory() = default;
    // Null with `error` set when no decoder can be made.
    virtual std::unique_ptr<playback::GsmDecoder> Start(const GsmSound& sound,
                                                        std::string& error) = 0;
};

// Runs on any thread; onProgress is called on that same thread as the work advances (after
// each record and at least every 100 ms while ffmpeg works), and returning false cancels.
// On every outcome but Done nothing is left at `output` or beside it; an existing file there
// is replaced only by a complete new one (written beside it, then moved into place).
ExportResult RunExport(std::span<const uint8_t> stream, const ExportRequest& request,
                       GsmDecoderFactory& decoders,
                       const std::function<bool(const ExportProgress&)>& onProgress);

// True when the request's output is one of its inputs.
bool NamesAnInput(const ExportRequest& request);

// What FindFfmpeg needs to know of the file system.
class ProgramFiles {
  public:
    virtual ~ProgramFiles() = default;
    virtual bool IsFile(const std::string& path) = 0;
};

// The real file system.
ProgramFiles& RealProgramFiles();

// ffmpeg: beside the program, then the PATH's folders in order, then `userChosen`; empty when
// none exists. `pathVariable` is the PATH's value (';'-separated on Windows, ':' elsewhere).
std::string FindFfmpeg(ProgramFiles& files, const std::string& programDir,
                       const std::string& pathVariable, const std::string& userChosen);

}  // namespace mrv::exporting
