// MP4 and ffmpeg's GIF: the pictures go to ffmpeg, started without a shell, with their own time
// stamps, and the MP4's sound is laid out as the player plays it into a second input.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "common/ByteOrder.h"
#include "common/PathText.h"
#include "common/Texts.h"
#include "export/ExportJob.h"
#include "export/FileOps.h"
#include "export/Gif.h"
#include "export/Ivf.h"
#include "export/Output.h"
#include "export/ProgramLookup.h"

namespace mrv::exporting {

namespace {

// A piece of 16-bit sound this loud on average is heard, not room noise (about -36 dBFS).
constexpr double kHeardRms = 500;

// Sound pieces of this many samples are decoded and written at a time.
constexpr int64_t kPieceSamples = 65536;

// A folder only this user can open, removed with everything in it on every way out.
class TempFolder {
  public:
    bool Make(std::string& error) {
        path_ = MakePrivateTempFolder(error);
        return !path_.empty();
    }
    ~TempFolder() {
        if (!path_.empty()) files::RemoveFolder(path_);
    }
    // ffmpeg sees only these names, never the user's.
    std::string File(const char* name) const { return path::Join(path_, name); }

  private:
    std::string path_;
};

// A helper program that the job can end while it runs.
class Attached {
  public:
    Attached(Job& job, std::unique_ptr<ChildProcess> child) : job_(job), child_(std::move(child)) {
        if (child_) job_.Attach(child_.get());
    }
    ~Attached() {
        if (child_) {
            child_->Wait();
            job_.Detach(child_.get());
        }
    }
    ChildProcess* operator->() { return child_.get(); }
    explicit operator bool() const { return child_ != nullptr; }

  private:
    Job& job_;
    std::unique_ptr<ChildProcess> child_;
};

// The start of every ffmpeg command that reads our pictures from its standard input.
std::vector<std::string> PictureInputArgs() {
    return {"-hide_banner", "-nostdin", "-loglevel", "error", "-y",    "-f",
            "ivf",          "-c:v",     "rawvideo",  "-i",    "pipe:0"};
}

std::string ExtraInputArgument(const std::string& name) {
    return name.rfind("pipe:", 0) == 0 ? name : FfmpegFileArgument(name);
}

// Sends every record's picture at the times the schedule gives. False when a picture cannot be
// read, ffmpeg stopped or the job was cancelled; `failure` then says why if it is the picture.
// Pictures less than `minGap` units after the one before replace it (a GIF's shortest delay).
bool SendPictures(Recording& rec, ChildProcess& ffmpeg, const FrameSchedule& schedule,
                  const RecordRange& range, PictureSize size, int64_t minGap, const char* stage,
                  Job& job, ExportResult& failure) {
    const auto header =
        IvfHeader(static_cast<uint16_t>(size.width), static_cast<uint16_t>(size.height),
                  static_cast<uint32_t>(schedule.unitMicros()), 1000000,
                  static_cast<uint32_t>(std::min<int64_t>(schedule.totalUnits(), UINT32_MAX)));
    if (!ffmpeg.Write(header)) return false;
    rec.reader.Rewind();
    const auto& records = rec.timeline.records();
    RgbImage image, waiting;
    int64_t waitingAt = -1;
    const auto send = [&](const RgbImage& picture, int64_t at) {
        const auto frame =
            IvfFrameHeader(static_cast<uint32_t>(picture.rgb.size()), static_cast<uint64_t>(at));
        return ffmpeg.Write(frame) && ffmpeg.Write(picture.rgb);
    };
    std::vector<int64_t> times;
    for (size_t i = 0; i < range.end; ++i) {
        if (!job.Step(stage, static_cast<int64_t>(i), static_cast<int64_t>(records.size()),
                      rec.timeline.MsOfTick(records[i].firstTick))) {
            return false;
        }
        if (failure = NextPicture(rec, i, range, size, image); failure.status != ExportStatus::Done)
            return false;
        times.clear();
        if (i >= range.first) schedule.Times(i, times);
        for (int64_t at : times) {
            if (minGap <= 0) {
                if (!send(image, at)) return false;
                continue;
            }
            if (waitingAt < 0 || at - waitingAt >= minGap) {
                if (waitingAt >= 0 && !send(waiting, waitingAt)) return false;
                waitingAt = at;
            }
            waiting = image;
        }
    }
    if (waitingAt >= 0 && !send(waiting, waitingAt)) return false;
    job.Step(stage, static_cast<int64_t>(records.size()), static_cast<int64_t>(records.size()),
             rec.timeline.pacing().totalMs);
    return true;
}

ExportResult FfmpegFailed(int status, const std::string& out) {
    return {ExportStatus::EncoderFailed,
            "ffmpeg failed (status " + std::to_string(status) + ") making " + out};
}

}  // namespace

ExportResult LaySound(Recording& rec, playback::GsmDecoder& decoder, const TimeMap& cut, Job& job,
                      const std::function<bool(std::span<const uint8_t>)>& sink,
                      const char* stage) {
    const auto kept = cut.KeptSamples(rec.audio.sampleRate(), SoundEnd(rec.audio));
    const int64_t end = kept.empty() ? 0 : kept.back().second;
    std::vector<int16_t> piece(kPieceSamples);
    std::vector<uint8_t> bytes(piece.size() * 2);
    for (int64_t at = 0; at < end; at += kPieceSamples) {
        if (stage ? !job.Step(stage, 0, 0, rec.audio.MsAtSample(at)) : job.cancelled()) {
            return {ExportStatus::Cancelled, text::kExportInterrupted};
        }
        const int64_t n = std::min(kPieceSamples, end - at);
        const std::span<int16_t> part(piece.data(), static_cast<size_t>(n));
        const int64_t blocks = rec.audio.blocksDecoded();
        rec.audio.Fill(rec.stream, decoder, at, part);
        for (size_t i = 0; i < part.size(); ++i)
            PutU16(&bytes[2 * i], static_cast<uint16_t>(part[i]));
        for (const auto& [from, to] : kept) {
            const int64_t a = std::max(from, at), b = std::min(to, at + n);
            if (a < b && !sink(std::span(bytes).subspan(static_cast<size_t>(a - at) * 2,
                                                        static_cast<size_t>(b - a) * 2))) {
                return {ExportStatus::CannotWrite, "the sound could not be written"};
            }
        }
        // Fill leaves a chunk the decoder failed on silent; an export says so instead.
        int64_t expected = 0;
        for (const auto& c : rec.audio.chunks()) {
            const int64_t s = c.startSample, e = s + int64_t{c.blocks} * kGsmSamplesPerBlock;
            if (e > at && s < at + n && s >= at) expected += c.blocks;
        }
        if (rec.audio.blocksDecoded() - blocks < expected) {
            return {ExportStatus::EncoderFailed, "the sound could not be decoded"};
        }
    }
    return {};
}

ExportResult HeardSound(Recording& rec, GsmDecoderFactory& decoders, Job& job,
                        std::vector<Busy>& busy) {
    std::string error;
    auto decoder = decoders.Start(SoundOf(rec), error);
    if (!decoder) return {ExportStatus::EncoderFailed, error};
    const int32_t rate = rec.audio.sampleRate();
    const int64_t window = std::max(rate / 50, 1);  // 20 ms
    int64_t at = 0;
    std::vector<Busy> heard;
    double sum = 0;
    int64_t counted = 0;
    ExportResult r = LaySound(
        rec, *decoder, TimeMap(rec.timeline.pacing().totalMs), job,
        [&](std::span<const uint8_t> bytes) {
            for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
                const double v = static_cast<int16_t>(GetU16(&bytes[i]));
                sum += v * v;
                if (++counted == window) {
                    if (std::sqrt(sum / static_cast<double>(window)) >= kHeardRms) {
                        const int64_t from = rec.audio.MsAtSample(at - window + 1);
                        const int64_t to = rec.audio.MsAtSample(at + 1);
                        if (!heard.empty() && heard.back().endMs >= from) {
                            heard.back().endMs = to;
                        } else {
                            heard.push_back({from, to});
                        }
                    }
                    sum = 0;
                    counted = 0;
                }
                ++at;
            }
            return true;
        },
        "sound");
    busy.insert(busy.end(), heard.begin(), heard.end());
    return r;
}

ExportResult ExportThroughFfmpeg(Recording& rec, const ExportRequest& request, const TimeMap& cut,
                                 GsmDecoderFactory& decoders, Job& job) {
    const bool gif = request.format == ExportFormat::Gif;
    const playback::Pacing& pacing = rec.timeline.pacing();
    const bool sound = !gif && !rec.audio.chunks().empty();
    Selection selection;
    if (ExportResult r = SelectionOf(rec, request, selection); r.status != ExportStatus::Done) {
        return r;
    }
    const RecordRange range = RecordsShown(rec, selection);
    const PictureSize size = SavedSize(rec, request);
    if (sound) {
        const int64_t carried = rec.timeline.audioBlocks() * kGsmSamplesPerBlock;
        const auto kept = cut.KeptSamples(rec.rate.samplesPerSec, SoundEnd(rec.audio));
        const int64_t end = std::max(SoundEnd(rec.audio), kept.empty() ? 0 : kept.back().second);
        if (auto why = CheckSoundTimeline(carried, end, rec.rate.samplesPerSec)) {
            return {ExportStatus::Refused, *why};
        }
        if (auto why = CheckWavSize(SoundBytes(SoundRuns(rec.audio)))) {
            return {ExportStatus::Refused, *why};
        }
    }
    // IVF sides are 16-bit and its frame sizes 32-bit.
    if (size.width > 65535 || size.height > 65535 ||
        int64_t{size.width} * size.height * 3 > UINT32_MAX) {
        return {ExportStatus::Refused, "the screen is too large for a video"};
    }
    const std::string& ffmpeg = request.ffmpeg;
    std::string error;
    TempFolder temp;
    if (!temp.Make(error)) return {ExportStatus::CannotWrite, error};
    const std::string made = temp.File(gif ? "out.gif" : "out.mp4");
    const FrameSchedule schedule(rec.firstTicks, pacing.totalTicks, pacing.tickMs, &cut,
                                 gif ? kMaxGifFrameMs : 0, selection.halves);
    // A GIF's shortest delay, in the schedule's units.
    const int64_t minGap =
        gif ? (kMinGifDelayCs * 10000 + schedule.unitMicros() - 1) / schedule.unitMicros() : 0;
    ExportResult failure;

    if (gif) {
        // Pass one: the palette, from every picture; pass two: the frames through it. Neither
        // keeps more than a frame, as a one-pass filter graph would keep them all.
        ChildSpec first{ffmpeg, PictureInputArgs(), true, false, {}};
        first.args.insert(first.args.end(), {"-vf", "palettegen=stats_mode=diff",
                                             FfmpegFileArgument(temp.File("palette.png"))});
        Attached pass(job, StartChild(first, error));
        if (!pass) return {ExportStatus::EncoderFailed, error};
        const bool sent = SendPictures(rec, *pass.operator->(), schedule, range, size, minGap,
                                       "gif palette", job, failure);
        pass->CloseInput();
        const int status = pass->Wait();
        if (job.cancelled()) return {ExportStatus::Cancelled, text::kExportInterrupted};
        if (failure.status != ExportStatus::Done) return failure;
        if (!sent || status != 0) return FfmpegFailed(status, request.output);
    }

    ChildSpec child{ffmpeg, PictureInputArgs(), true, false, {}};
    auto& a = child.args;
    if (!gif) {
        if (sound) {
            child.extraInput = ExtraInputName();
            a.insert(a.end(), {"-f", "s16le", "-ar", std::to_string(rec.rate.samplesPerSec), "-ac",
                               "1", "-i", ExtraInputArgument(child.extraInput), "-map", "0:v",
                               "-map", "1:a", "-c:a", "aac", "-b:a", "64k"});
        }
        // H.264 in 4:2:0 wants even sides: pad odd ones with one black line.
        a.insert(a.end(),
                 {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
                  "-movflags", "+faststart", "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2"});
    } else {
        // The last frame lasts one tick (GIF delays are centiseconds).
        const int64_t lastCs = std::clamp<int64_t>(
            AtSpeed(TickMicros(pacing.tickMs), selection.halves) / 10000, kMinGifDelayCs, 65535);
        a.insert(a.end(), {"-i", FfmpegFileArgument(temp.File("palette.png")), "-lavfi",
                           "[0:v][1:v]paletteuse", "-final_delay", std::to_string(lastCs)});
    }
    // Each picture keeps its own time stamp: no frame is repeated to fill a constant rate.
    a.insert(a.end(), {"-fps_mode", "passthrough", FfmpegFileArgument(made)});
    Attached encoder(job, StartChild(child, error));
    if (!encoder) return {ExportStatus::EncoderFailed, error};
    ChildProcess& video = *encoder.operator->();

    // The sound is laid into the encoder's second input while the pictures go to its first.
    std::unique_ptr<playback::GsmDecoder> decoder;
    if (sound) {
        decoder = decoders.Start(SoundOf(rec), error);
        if (!decoder) {
            job.Cancel();
            return {ExportStatus::EncoderFailed, error};
        }
    }
    ExportResult soundResult;
    std::thread layout;
    if (sound) {
        layout = std::thread([&] {
            try {
                soundResult = LaySoundAtSpeed(
                    rec, *decoder, cut, selection.halves, job,
                    [&](std::span<const uint8_t> b) { return video.WriteExtra(b); }, nullptr);
            } catch (const std::exception& e) {
                soundResult = {ExportStatus::EncoderFailed, e.what()};
            }
            video.CloseExtra();
        });
    }
    const bool sent =
        SendPictures(rec, video, schedule, range, size, minGap, gif ? "gif" : "mp4", job, failure);
    // A picture that failed must not leave the sound thread waiting on a live encoder.
    if (!sent) video.Kill();
    video.CloseInput();
    if (layout.joinable()) layout.join();
    decoder.reset();
    const int status = video.Wait();
    if (job.cancelled()) return {ExportStatus::Cancelled, text::kExportInterrupted};
    if (failure.status != ExportStatus::Done) return failure;
    if (soundResult.status == ExportStatus::EncoderFailed) return soundResult;
    if (!sent || soundResult.status != ExportStatus::Done || status != 0) {
        return FfmpegFailed(status, request.output);
    }
    ExportResult r = MoveInPlace(made, request.output);
    if (r.status == ExportStatus::Done) {
        char rate[32];
        std::snprintf(rate, sizeof rate, "%.3f", 1000.0 / pacing.tickMs);
        r.detail = std::to_string(range.end - range.first) + " pictures over " +
                   (schedule.unitMicros() == 1000
                        ? std::to_string(schedule.totalUnits()) + " ms"
                        : std::to_string(pacing.totalTicks) + " ticks at " + rate + " per second") +
                   " written to " + request.output;
    }
    return r;
}

}  // namespace mrv::exporting
