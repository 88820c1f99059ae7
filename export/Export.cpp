// The export's entry points: which ffmpeg to use, and one export run from start to finish on a
// worker thread while the caller's thread reports progress and passes on a cancel.
#include "export/Export.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <new>
#include <stdexcept>
#include <thread>

#include "common/ByteOrder.h"
#include "common/PathText.h"
#include "common/Texts.h"
#include "export/ExportJob.h"
#include "export/FileOps.h"
#include "export/Gif.h"
#include "export/Output.h"
#include "export/ProgramLookup.h"

namespace mrv::exporting {

namespace {

class RealFiles : public ProgramFiles {
  public:
    bool IsFile(const std::string& path) override { return files::IsFile(path); }
};

ExportResult Refuse(std::string why) { return {ExportStatus::Refused, std::move(why)}; }

}  // namespace

ProgramFiles& RealProgramFiles() {
    static RealFiles files;
    return files;
}

std::string FindFfmpeg(ProgramFiles& files, const std::string& programDir,
                       const std::string& pathVariable, const std::string& userChosen) {
#ifdef _WIN32
    const std::string name = "ffmpeg.exe";
    constexpr char kSeparator = ';';
#else
    const std::string name = "ffmpeg";
    constexpr char kSeparator = ':';
#endif
    if (!programDir.empty()) {
        std::string besideUs = path::Join(programDir, name);
        if (files.IsFile(besideUs)) return besideUs;
    }
    for (const std::string& dir : SplitPathVariable(pathVariable, kSeparator)) {
        std::string candidate = path::Join(dir, name);
        if (files.IsFile(candidate)) return candidate;
    }
    if (!userChosen.empty() && files.IsFile(userChosen)) return userChosen;
    return {};
}

bool NamesAnInput(const ExportRequest& request) {
    for (const std::string& in : request.inputs) {
        if (files::Same(in, request.output)) return true;
    }
    return false;
}

ExportResult OpenRecording(std::span<const uint8_t> stream, Recording& rec,
                           const std::function<void(const std::string&)>& notice) {
    rec.stream = stream;
    if (!rec.reader.Open(stream)) return Refuse(rec.reader.error());
    switch (rec.timeline.Build(stream, rec.reader.header())) {
        case playback::Timeline::Scan::Complete:
            break;
        case playback::Timeline::Scan::Truncated:
            if (notice) {
                notice(rec.timeline.error() + "; exporting the " +
                       std::to_string(rec.timeline.records().size()) + " complete records");
            }
            break;
        case playback::Timeline::Scan::Damaged:
            return Refuse(rec.timeline.error());
    }
    if (rec.timeline.records().empty()) return Refuse("the recording holds no pictures");
    if (AudioRateForFormat(rec.reader.header().audioFormat, rec.rate)) {
        rec.audio.Build(rec.timeline, rec.rate.samplesPerSec);
    }
    rec.firstTicks.clear();
    for (const playback::RecordEntry& e : rec.timeline.records())
        rec.firstTicks.push_back(e.firstTick);
    return {};
}

ExportResult NextPicture(Recording& rec, size_t record, RgbImage& image) {
    if (rec.reader.ReadNext() != StreamReader::Next::Frame) {
        return Refuse("record " + std::to_string(rec.reader.recordIndex()) + ": " +
                      rec.reader.error());
    }
    DibToRgb(rec.reader.image(), rec.reader.geometry(), rec.reader.colorTable(), image);
    const playback::RecordEntry& e = rec.timeline.records()[record];
    const int32_t click = rec.timeline.ClickRecordAtMs(rec.timeline.MsOfTick(e.firstTick));
    ClickRing ring;
    if (click >= 0) {
        const playback::RecordEntry& c = rec.timeline.records()[static_cast<size_t>(click)];
        ring = {c.cursorX, c.cursorY, c.click};
    }
    DrawCursor(image, e.cursorX, e.cursorY, click >= 0 ? &ring : nullptr);
    return {};
}

std::vector<SoundRun> SoundRuns(const playback::AudioTimeline& audio) {
    std::vector<SoundRun> runs;
    for (const auto& c : audio.chunks()) {
        runs.push_back({c.streamOffset, int64_t{c.blocks} * kGsmBlockBytes});
    }
    return runs;
}

// The sound track ends with the last sound: a silent tail would only cost encoding time.
int64_t SoundEnd(const playback::AudioTimeline& audio) {
    const auto& chunks = audio.chunks();
    if (chunks.empty()) return 0;
    return chunks.back().startSample + int64_t{chunks.back().blocks} * kGsmSamplesPerBlock;
}

GsmSound SoundOf(const Recording& rec) {
    GsmSound sound;
    sound.sampleRate = rec.rate.samplesPerSec;
    sound.avgBytesPerSec = rec.rate.avgBytesPerSec;
    const std::span<const uint8_t> stream = rec.stream;
    const std::vector<SoundRun> runs = SoundRuns(rec.audio);
    const AudioRate rate = rec.rate;
    sound.writeWav = [stream, runs,
                      rate](const std::function<bool(std::span<const uint8_t>)>& sink) {
        SpanSource source(stream);
        return WriteGsmWav(source, runs, rate.samplesPerSec, rate.avgBytesPerSec, sink);
    };
    return sound;
}

bool Job::Step(const char* stage, int64_t doneRecords, int64_t totalRecords, int64_t doneMs) {
    std::unique_lock lock(mutex_);
    progress_.stage = stage;
    progress_.doneRecords = doneRecords;
    progress_.totalRecords = totalRecords;
    progress_.doneMs = std::clamp<int64_t>(doneMs, 0, totalMs_);
    const uint64_t step = ++steps_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return reported_ >= step || cancelled_; });
    return !cancelled_;
}

void Job::Cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    for (ChildProcess* c : children_) c->Kill();
    changed_.notify_all();
}

void Job::Attach(ChildProcess* child) {
    std::lock_guard lock(mutex_);
    children_.push_back(child);
    if (cancelled_) child->Kill();
}

void Job::Detach(ChildProcess* child) {
    std::lock_guard lock(mutex_);
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

ExportResult Job::Supervise(const std::function<ExportResult()>& work,
                            const std::function<bool(const ExportProgress&)>& onProgress) {
    progress_.totalMs = totalMs_;
    ExportResult result;
    std::thread worker([&] {
        try {
            result = work();
        } catch (const std::bad_alloc&) {
            result = {ExportStatus::OutOfMemory, text::kToolOutOfMemory};
        } catch (const std::length_error&) {
            result = {ExportStatus::OutOfMemory, text::kToolOutOfMemory};
        } catch (const std::exception& e) {
            result = {ExportStatus::EncoderFailed, e.what()};
        }
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        changed_.notify_all();
    });
    // Every step is reported, and at least every 100 ms while a helper program works unseen, so
    // that a cancel is never kept waiting.
    for (;;) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(100),
                          [&] { return finished_ || steps_ != reported_; });
        const bool finished = finished_;
        const uint64_t step = steps_;
        const ExportProgress progress = progress_;
        lock.unlock();
        if (finished && (cancelled_ || result.status != ExportStatus::Done)) break;
        try {
            if (!cancelled_ && onProgress && !onProgress(progress)) Cancel();
        } catch (...) {
            // The caller's failure ends the export as a cancel would, then goes on up.
            Cancel();
            worker.join();
            throw;
        }
        lock.lock();
        reported_ = step;
        changed_.notify_all();
        if (finished) break;
    }
    worker.join();
    if (cancelled_ && result.status != ExportStatus::Done) {
        return {ExportStatus::Cancelled, text::kExportInterrupted};
    }
    return result;
}

namespace {

// One PNG per record, named after the first tick it stands for (held frames leave gaps),
// gathered in a folder beside the target and moved in only when all are written.
ExportResult ExportPng(Recording& rec, const ExportRequest& request, Job& job) {
    const std::string dir = path::Parent(request.output);
    const std::string stem = path::Stem(request.output);
    StagedFolder staged;
    if (ExportResult r = staged.Make(request.output); r.status != ExportStatus::Done) return r;
    const auto& records = rec.timeline.records();
    std::vector<std::string> names;
    RgbImage image;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!job.Step("png", static_cast<int64_t>(i), static_cast<int64_t>(records.size()),
                      rec.timeline.MsOfTick(records[i].firstTick))) {
            return {ExportStatus::Cancelled, text::kExportInterrupted};
        }
        if (rec.reader.ReadNext() != StreamReader::Next::Frame) {
            return Refuse("record " + std::to_string(rec.reader.recordIndex()) + ": " +
                          rec.reader.error());
        }
        // The recorded screen as it was: no cursor drawn over it.
        DibToRgb(rec.reader.image(), rec.reader.geometry(), rec.reader.colorTable(), image);
        char number[24];
        std::snprintf(number, sizeof number, "_%08lld.png",
                      static_cast<long long>(records[i].firstTick));
        const std::string name = stem + number;
        StagedFile file(path::Join(staged.path(), name));
        ExportResult r = file.Open();
        const std::vector<uint8_t> png = EncodePng(image);
        if (r.status == ExportStatus::Done && !file.Write(png)) r = file.failure();
        if (r.status == ExportStatus::Done) r = file.Commit();
        if (r.status != ExportStatus::Done) return {r.status, r.detail};
        names.push_back(name);
    }
    job.Step("png", static_cast<int64_t>(records.size()), static_cast<int64_t>(records.size()),
             rec.timeline.pacing().totalMs);
    for (size_t i = 0; i < names.size(); ++i) {
        if (const int error =
                files::Rename(path::Join(staged.path(), names[i]), path::Join(dir, names[i]))) {
            // Half a set is no set: what was moved in goes again.
            for (size_t j = 0; j < i; ++j) files::Remove(path::Join(dir, names[j]));
            return WriteFailure(error, path::Join(dir, names[i]));
        }
    }
    ExportResult done{ExportStatus::Done, std::to_string(names.size()) + " pictures written to " +
                                              (dir.empty() ? std::string(".") : dir)};
    for (const std::string& name : names) done.files.push_back(path::Join(dir, name));
    return done;
}

ExportResult Finish(StagedFile& file, ExportResult result) {
    if (result.status != ExportStatus::Done) return result;
    if (file.failure().status != ExportStatus::Done) return file.failure();
    return file.Commit();
}

ExportResult ExportGsmWav(Recording& rec, const ExportRequest& request) {
    const auto runs = SoundRuns(rec.audio);
    const int64_t bytes = SoundBytes(runs);
    if (auto why = CheckWavSize(bytes)) return Refuse(*why);
    StagedFile file(request.output);
    if (ExportResult r = file.Open(); r.status != ExportStatus::Done) return r;
    SpanSource source(rec.stream);
    const bool written = WriteGsmWav(source, runs, rec.rate.samplesPerSec, rec.rate.avgBytesPerSec,
                                     [&](std::span<const uint8_t> b) { return file.Write(b); });
    ExportResult r = Finish(file, written ? ExportResult{} : WriteFailure(EIO, request.output));
    if (r.status == ExportStatus::Done) {
        r.detail = std::to_string(bytes / kGsmBlockBytes) + " GSM 6.10 blocks written to " +
                   request.output;
    }
    return r;
}

std::vector<uint8_t> PcmWavHeader(uint32_t dataBytes, int32_t sampleRate) {
    std::vector<uint8_t> h(44);
    const auto tag = [&](size_t at, const char* t) { std::copy(t, t + 4, h.begin() + at); };
    tag(0, "RIFF");
    PutU32(&h[4], 36 + dataBytes);
    tag(8, "WAVE");
    tag(12, "fmt ");
    PutU32(&h[16], 16);
    PutU16(&h[20], 1);  // PCM
    PutU16(&h[22], 1);
    PutU32(&h[24], static_cast<uint32_t>(sampleRate));
    PutU32(&h[28], static_cast<uint32_t>(sampleRate) * 2);
    PutU16(&h[32], 2);
    PutU16(&h[34], 16);
    tag(36, "data");
    PutU32(&h[40], dataBytes);
    return h;
}

// The sound as the player plays it, as 16-bit PCM: what lines up with the MP4 and GIF.
ExportResult ExportPcmWav(Recording& rec, const ExportRequest& request, GsmDecoderFactory& decoders,
                          Job& job) {
    const int64_t end = SoundEnd(rec.audio);
    const int64_t carried = rec.timeline.audioBlocks() * kGsmSamplesPerBlock;
    if (auto why = CheckSoundTimeline(carried, end, rec.rate.samplesPerSec)) return Refuse(*why);
    if (auto why = CheckWavSize(end * 2)) return Refuse(*why);
    StagedFile file(request.output);
    if (ExportResult r = file.Open(); r.status != ExportStatus::Done) return r;
    std::string error;
    auto decoder = decoders.Start(SoundOf(rec), error);
    if (!decoder) return {ExportStatus::EncoderFailed, error};
    file.Write(PcmWavHeader(static_cast<uint32_t>(end * 2), rec.rate.samplesPerSec));
    ExportResult r = LaySound(
        rec, *decoder, TimeMap(rec.timeline.pacing().totalMs), job,
        [&](std::span<const uint8_t> b) { return file.Write(b); }, "wav");
    r = Finish(file, r);
    if (r.status == ExportStatus::Done) {
        r.detail = std::to_string(end) + " samples of 16-bit sound written to " + request.output;
    }
    return r;
}

// Our own GIF: every record's picture with the cursor, at the recording's pace.
ExportResult ExportGif(Recording& rec, const ExportRequest& request, const TimeMap& cut, Job& job) {
    const FrameGeometry& g = rec.reader.geometry();
    if (g.width > 65535 || g.height > 65535) return Refuse("the screen is too large for a GIF");
    const playback::Pacing& pacing = rec.timeline.pacing();
    const FrameSchedule schedule(rec.firstTicks, pacing.totalTicks, pacing.tickMs, &cut,
                                 kMaxGifFrameCs * 10);
    const auto cs = [&](int64_t units) {
        return static_cast<int64_t>(
            std::llround(static_cast<double>(units) * schedule.unitMicros() / 10000.0));
    };
    StagedFile file(request.output);
    if (ExportResult r = file.Open(); r.status != ExportStatus::Done) return r;
    GifWriter gif(g.width, g.height, [&](std::span<const uint8_t> b) { return file.Write(b); });
    const auto& records = rec.timeline.records();
    RgbImage image;
    std::vector<int64_t> times;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!job.Step("gif", static_cast<int64_t>(i), static_cast<int64_t>(records.size()),
                      rec.timeline.MsOfTick(records[i].firstTick))) {
            return {ExportStatus::Cancelled, text::kExportInterrupted};
        }
        if (ExportResult r = NextPicture(rec, i, image); r.status != ExportStatus::Done) return r;
        times.clear();
        schedule.Times(i, times);
        // Only the first time counts: the writer merges repeats of a picture into one frame.
        if (!times.empty() && !gif.Add(image, cs(times.front()))) break;
    }
    gif.Finish(std::max<int64_t>(cs(schedule.totalUnits()), 1));
    ExportResult r = Finish(file, {});
    if (r.status == ExportStatus::Done) {
        r.detail = std::to_string(records.size()) + " pictures over " +
                   std::to_string(schedule.totalUnits() * schedule.unitMicros() / 1000) +
                   " ms written to " + request.output;
    }
    return r;
}

// The moments a picture changes (a new picture, the cursor moved, a press) and the stretches
// where sound is heard.
ExportResult BusyTimes(Recording& rec, GsmDecoderFactory& decoders, Job& job,
                       std::vector<Busy>& busy) {
    const auto& records = rec.timeline.records();
    for (size_t i = 0; i < records.size(); ++i) {
        const playback::RecordEntry& e = records[i];
        const FrameHeader h = DecodeFrameHeader(
            rec.stream.subspan(static_cast<size_t>(e.offset)).first<kFrameHeaderSize>());
        const bool moved =
            i == 0 || e.cursorX != records[i - 1].cursorX || e.cursorY != records[i - 1].cursorY;
        if (h.payloadSize > playback::kMinPayloadBytes || moved || e.click != 0) {
            const int64_t ms = rec.timeline.MsOfTick(e.firstTick);
            // A press shows for a while: that time is not idle.
            busy.push_back({ms, e.click != 0 ? ms + playback::kClickShowMs : ms});
        }
    }
    if (rec.audio.chunks().empty()) return {};
    return HeardSound(rec, decoders, job, busy);
}

}  // namespace

ExportResult RunExport(std::span<const uint8_t> stream, const ExportRequest& request,
                       GsmDecoderFactory& decoders,
                       const std::function<bool(const ExportProgress&)>& onProgress) {
    if (NamesAnInput(request)) return Refuse(text::kExportOutputIsInput);
    if ((request.format == ExportFormat::Mp4 ||
         (request.format == ExportFormat::Gif && request.gifEncoder == GifEncoder::Ffmpeg)) &&
        !RealProgramFiles().IsFile(request.ffmpeg)) {
        return {ExportStatus::NoFfmpeg, text::kExportNoFfmpeg};
    }
    try {
        auto rec = std::make_unique<Recording>();
        if (ExportResult r = OpenRecording(stream, *rec, request.onNotice);
            r.status != ExportStatus::Done) {
            return r;
        }
        Job job(rec->timeline.pacing().totalMs);
        return job.Supervise(
            [&]() -> ExportResult {
                const playback::Pacing& pacing = rec->timeline.pacing();
                switch (request.format) {
                    case ExportFormat::Png:
                        return ExportPng(*rec, request, job);
                    case ExportFormat::Wav:
                        if (rec->audio.chunks().empty())
                            return Refuse("the recording has no sound");
                        return request.wavAsPcm ? ExportPcmWav(*rec, request, decoders, job)
                                                : ExportGsmWav(*rec, request);
                    case ExportFormat::Gif:
                    case ExportFormat::Mp4:
                        break;
                }
                if (auto why = CheckPictureTimeline(pacing.totalTicks, pacing.tickMs)) {
                    return Refuse(*why);
                }
                TimeMap cut(pacing.totalMs);
                if (request.skipIdleSeconds >= 0) {
                    std::vector<Busy> busy;
                    if (ExportResult r = BusyTimes(*rec, decoders, job, busy);
                        r.status != ExportStatus::Done) {
                        return r;
                    }
                    cut = TimeMap::SkipIdle(std::move(busy), pacing.totalMs,
                                            static_cast<int64_t>(std::llround(
                                                std::min(request.skipIdleSeconds, 1e9) * 1000)));
                }
                if (request.format == ExportFormat::Gif &&
                    request.gifEncoder == GifEncoder::BuiltIn) {
                    return ExportGif(*rec, request, cut, job);
                }
                return ExportThroughFfmpeg(*rec, request, cut, decoders, job);
            },
            onProgress);
    } catch (const std::bad_alloc&) {
        return {ExportStatus::OutOfMemory, text::kToolOutOfMemory};
    } catch (const std::length_error&) {
        return {ExportStatus::OutOfMemory, text::kToolOutOfMemory};
    }
}

}  // namespace mrv::exporting
