// Turns a recording into files that play anywhere (GIF, MP4, WAV, PNG), for mrvtool and the
// player alike: one set of limits, one pacing, one sound layout.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "playback/AudioTimeline.h"

namespace mrv::exporting {

// Mrv and Exe are the recording itself: the stream alone, or behind a player image.
enum class ExportFormat { Gif, Mp4, Wav, Png, Mrv, Exe };

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
    // The part of the recording to save, in recording time: [fromMs, toMs); toMs < 0: to the end.
    int64_t fromMs = 0;
    int64_t toMs = -1;
    double speed = 1.0;    // 1, 1.5, 2 or 4: the saved copy plays that much faster
    int32_t gifWidth = 0;  // GIF only: the width to scale to, never enlarged; 0: as recorded

    // Exe: the player image the stream follows (the saving player's own).
    std::span<const uint8_t> player;
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
    OutOfMemory,
    EncoderMissing,  // the helper program lacks the encoder the format needs; detail names it
    TargetInUse      // another program holds the target; the finished output is kept (see kept)
};

// A finished output kept beside its target while another program holds the target: the moves
// still to make, what was already moved in, and the staging folder to remove after them.
struct KeptOutput {
    std::vector<std::pair<std::string, std::string>> moves;  // staged file, its target
    std::vector<std::string> placed;                         // targets already moved in
    std::string folder;                                      // staging folder, or empty
    bool empty() const { return moves.empty() && placed.empty() && folder.empty(); }
};

struct ExportResult {
    ExportStatus status = ExportStatus::Done;
    std::string detail;  // English, for logs and mrvtool's messages
    // TargetInUse: what MoveKept tries again and DiscardKept throws away.
    KeptOutput kept = {};
    // EncoderFailed: the helper program's own last error line, as it wrote it.
    std::string toolError = {};
    // Done: the files moved into place, in order (a set of PNG pictures: every one).
    std::vector<std::string> files = {};
};

// Tries the kept moves again (a few times, a while apart); Done, TargetInUse with what is still
// kept, or a write failure that removed it all.
ExportResult MoveKept(KeptOutput kept);
// Removes the kept output and what of it was moved in: half a set is no set.
void DiscardKept(const KeptOutput& kept);
// The file another program holds, for the message.
std::string InUseName(const KeptOutput& kept);

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

// The GIF's size in bytes once it can be known cheaply (from encoding a sample of pictures);
// nullopt while it cannot.
std::optional<int64_t> EstimateGifBytes(std::span<const uint8_t> stream,
                                        const ExportRequest& request);

// The recording file (Mrv) or self-playing recording (Exe), its stream bytes unchanged whatever
// state they are in; progress counts bytes. Called by RunExport for those formats.
ExportResult WriteRecordingFile(std::span<const uint8_t> stream, const ExportRequest& request,
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
// None is taken from `untrustedDir` (the recording's own folder) but the one the user chose,
// nor from a PATH entry that is not a full path (it would be looked up from the current folder).
std::string FindFfmpeg(ProgramFiles& files, const std::string& programDir,
                       const std::string& pathVariable, const std::string& userChosen,
                       const std::string& untrustedDir);

}  // namespace mrv::exporting
