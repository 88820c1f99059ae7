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
#include "playback/TimeStretch.h"

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
                       const std::string& pathVariable, const std::string& userChosen,
                       const std::string& untrustedDir) {
#ifdef _WIN32
    const std::string name = "ffmpeg.exe";
    constexpr char kSeparator = ';';
    const auto full = [](const std::string& dir) {
        return (dir.size() >= 3 && dir[1] == ':' && (dir[2] == '\\' || dir[2] == '/')) ||
               dir.rfind("\\\\", 0) == 0;
    };
#else
    const std::string name = "ffmpeg";
    constexpr char kSeparator = ':';
    const auto full = [](const std::string& dir) { return dir.front() == '/'; };
#endif
    const auto trusted = [&](const std::string& candidate) {
        return !InFolder(candidate, untrustedDir) && files.IsFile(candidate);
    };
    if (!programDir.empty()) {
        std::string besideUs = path::Join(programDir, name);
        if (trusted(besideUs)) return besideUs;
    }
    for (const std::string& dir : SplitPathVariable(pathVariable, kSeparator)) {
        std::string candidate = path::Join(dir, name);
        if (full(dir) && trusted(candidate)) return candidate;
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

ExportResult NextPicture(Recording& rec, size_t record, const RecordRange& range, PictureSize size,
                         RgbImage& image) {
    if (record < range.first) {
        if (rec.reader.ReadNext() == StreamReader::Next::Frame) return {};
        return Refuse("record " + std::to_string(rec.reader.recordIndex()) + ": " +
                      rec.reader.error());
    }
    const FrameGeometry& g = rec.reader.geometry();
    if (size.width == g.width && size.height == g.height) return NextPicture(rec, record, image);
    ExportResult r = NextPicture(rec, record, rec.full);
    if (r.status == ExportStatus::Done) ScaleByArea(rec.full, size.width, size.height, image);
    return r;
}

RecordRange RecordsShown(const Recording& rec, const Selection& selection) {
    const auto& records = rec.timeline.records();
    RecordRange range{0, records.size()};
    const auto startMs = [&](size_t i) { return rec.timeline.MsOfTick(records[i].firstTick); };
    // The first shown is the one on screen at the start: the last to start at or before it.
    while (range.first + 1 < records.size() && startMs(range.first + 1) <= selection.fromMs) {
        ++range.first;
    }
    range.end = range.first + 1;
    while (range.end < records.size() && startMs(range.end) < selection.toMs) ++range.end;
    return range;
}

ExportResult SelectionOf(const Recording& rec, const ExportRequest& request, Selection& out) {
    if (auto why = ResolveSelection(request.fromMs, request.toMs, request.speed,
                                    rec.timeline.pacing().totalMs, out)) {
        return Refuse(*why);
    }
    return {};
}

PictureSize SavedSize(const Recording& rec, const ExportRequest& request) {
    const FrameGeometry& g = rec.reader.geometry();
    if (request.format != ExportFormat::Gif) return {g.width, g.height};
    return ScaledSize(g.width, g.height, request.gifWidth);
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
        DiscardKept(result.kept);
        return {ExportStatus::Cancelled, text::kExportInterrupted};
    }
    return result;
}

namespace {

// One PNG per record, named after the first tick it stands for (held frames leave gaps),
// gathered in a folder beside the target and moved in only when all are written.
ExportResult ExportPng(Recording& rec, const ExportRequest& request, const Selection& selection,
                       Job& job) {
    const std::string dir = path::Parent(request.output);
    const std::string stem = path::Stem(request.output);
    StagedFolder staged;
    if (ExportResult r = staged.Make(request.output); r.status != ExportStatus::Done) return r;
    const auto& records = rec.timeline.records();
    const RecordRange range = RecordsShown(rec, selection);
    std::vector<std::string> names;
    RgbImage image;
    for (size_t i = 0; i < range.end; ++i) {
        if (!job.Step("png", static_cast<int64_t>(i), static_cast<int64_t>(records.size()),
                      rec.timeline.MsOfTick(records[i].firstTick))) {
            return {ExportStatus::Cancelled, text::kExportInterrupted};
        }
        if (rec.reader.ReadNext() != StreamReader::Next::Frame) {
            return Refuse("record " + std::to_string(rec.reader.recordIndex()) + ": " +
                          rec.reader.error());
        }
        if (i < range.first) continue;
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
    KeptOutput set;
    for (const std::string& name : names) {
        set.moves.push_back({path::Join(staged.path(), name), path::Join(dir, name)});
    }
    set.folder = staged.Release();
    ExportResult r = MoveKept(std::move(set));
    if (r.status == ExportStatus::Done) {
        r.detail = std::to_string(names.size()) + " pictures written to " +
                   (dir.empty() ? std::string(".") : dir);
    }
    return r;
}

ExportResult Finish(StagedFile& file, ExportResult result) {
    if (result.status != ExportStatus::Done) return result;
    if (file.failure().status != ExportStatus::Done) return file.failure();
    return file.Commit();
}

// The blocks that start within the selection: GSM 6.10 is cut at its blocks of 320 samples.
std::vector<SoundRun> SoundRunsIn(const playback::AudioTimeline& audio, const Selection& s) {
    const int64_t from = audio.SampleAtMs(s.fromMs);
    const int64_t to = s.trimsEnd ? audio.SampleAtMs(s.toMs) : INT64_MAX;
    const auto blocksBefore = [](int64_t samples) {
        return std::max<int64_t>(0, (samples + kGsmSamplesPerBlock - 1) / kGsmSamplesPerBlock);
    };
    std::vector<SoundRun> runs;
    for (const auto& c : audio.chunks()) {
        const int64_t first = std::min<int64_t>(blocksBefore(from - c.startSample), c.blocks);
        const int64_t end = to == INT64_MAX
                                ? c.blocks
                                : std::min<int64_t>(blocksBefore(to - c.startSample), c.blocks);
        if (end > first) {
            runs.push_back(
                {c.streamOffset + first * kGsmBlockBytes, (end - first) * kGsmBlockBytes});
        }
    }
    return runs;
}

ExportResult ExportGsmWav(Recording& rec, const ExportRequest& request,
                          const Selection& selection) {
    if (selection.halves != 2) {
        return Refuse(
            "a GSM 6.10 WAV is the sound as recorded; save it as PCM to change its speed");
    }
    const auto runs = SoundRunsIn(rec.audio, selection);
    if (runs.empty()) return Refuse("the selection holds no sound");
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
ExportResult ExportPcmWav(Recording& rec, const ExportRequest& request, const Selection& selection,
                          GsmDecoderFactory& decoders, Job& job) {
    const TimeMap cut = TimeMap::Only(selection, rec.timeline.pacing().totalMs);
    const auto kept = cut.KeptSamples(rec.rate.samplesPerSec, SoundEnd(rec.audio));
    if (kept.empty()) return Refuse("the selection holds no sound");
    const int64_t carried = rec.timeline.audioBlocks() * kGsmSamplesPerBlock;
    if (auto why = CheckSoundTimeline(carried, std::max(SoundEnd(rec.audio), kept.back().second),
                                      rec.rate.samplesPerSec)) {
        return Refuse(*why);
    }
    const int64_t end = AtSpeed(SampleCount(kept), selection.halves);
    if (auto why = CheckWavSize(end * 2)) return Refuse(*why);
    StagedFile file(request.output);
    if (ExportResult r = file.Open(); r.status != ExportStatus::Done) return r;
    std::string error;
    auto decoder = decoders.Start(SoundOf(rec), error);
    if (!decoder) return {ExportStatus::EncoderFailed, error};
    file.Write(PcmWavHeader(static_cast<uint32_t>(end * 2), rec.rate.samplesPerSec));
    ExportResult r = LaySoundAtSpeed(
        rec, *decoder, cut, selection.halves, job,
        [&](std::span<const uint8_t> b) { return file.Write(b); }, "wav");
    r = Finish(file, r);
    if (r.status == ExportStatus::Done) {
        r.detail = std::to_string(end) + " samples of 16-bit sound written to " + request.output;
    }
    return r;
}

// Our own GIF of the selection's pictures with the cursor, at the selection's pace, written to
// `sink`; `step` is told of every record read, and returning false cancels. It stops after
// `sampleRecords` of the selection's records, for an estimate.
struct GifRun {
    int64_t records = 0;  // of the selection
    int64_t done = 0;
    int64_t firstFrameBytes = 0;  // the header and the first frame
    int64_t bytes = 0;
    int64_t totalMs = 0;
};
ExportResult WriteGif(Recording& rec, const ExportRequest& request, const TimeMap& cut,
                      const Selection& selection, const std::function<bool(size_t)>& step,
                      const GifWriter::Sink& sink, int64_t sampleRecords, GifRun& run) {
    const PictureSize size = SavedSize(rec, request);
    if (size.width > 65535 || size.height > 65535) {
        return Refuse("the screen is too large for a GIF");
    }
    const playback::Pacing& pacing = rec.timeline.pacing();
    const FrameSchedule schedule(rec.firstTicks, pacing.totalTicks, pacing.tickMs, &cut,
                                 kMaxGifFrameCs * 10, selection.halves);
    const auto cs = [&](int64_t units) {
        return static_cast<int64_t>(
            std::llround(static_cast<double>(units) * schedule.unitMicros() / 10000.0));
    };
    GifWriter gif(size.width, size.height, [&](std::span<const uint8_t> b) {
        run.bytes += static_cast<int64_t>(b.size());
        return sink(b);
    });
    const RecordRange range = RecordsShown(rec, selection);
    run.records = static_cast<int64_t>(range.end - range.first);
    RgbImage image;
    std::vector<int64_t> times;
    for (size_t i = 0; i < range.end && run.done < sampleRecords; ++i) {
        if (!step(i)) return {ExportStatus::Cancelled, text::kExportInterrupted};
        if (ExportResult r = NextPicture(rec, i, range, size, image);
            r.status != ExportStatus::Done) {
            return r;
        }
        if (i < range.first) continue;
        ++run.done;
        times.clear();
        schedule.Times(i, times);
        // Only the first time counts: the writer merges repeats of a picture into one frame.
        if (!times.empty() && !gif.Add(image, cs(times.front()))) break;
        // Each picture added writes at most the frame before it.
        if (run.firstFrameBytes == 0) run.firstFrameBytes = run.bytes;
    }
    gif.Finish(std::max<int64_t>(cs(schedule.totalUnits()), 1));
    if (run.firstFrameBytes == 0) run.firstFrameBytes = run.bytes;
    run.totalMs = schedule.totalUnits() * schedule.unitMicros() / 1000;
    return {};
}

ExportResult ExportGif(Recording& rec, const ExportRequest& request, const TimeMap& cut,
                       const Selection& selection, Job& job) {
    StagedFile file(request.output);
    if (ExportResult r = file.Open(); r.status != ExportStatus::Done) return r;
    const auto& records = rec.timeline.records();
    GifRun run;
    ExportResult r = WriteGif(
        rec, request, cut, selection,
        [&](size_t i) {
            return job.Step("gif", static_cast<int64_t>(i), static_cast<int64_t>(records.size()),
                            rec.timeline.MsOfTick(records[i].firstTick));
        },
        [&](std::span<const uint8_t> b) { return file.Write(b); }, INT64_MAX, run);
    r = Finish(file, r);
    if (r.status == ExportStatus::Done) {
        r.detail = std::to_string(run.done) + " pictures over " + std::to_string(run.totalMs) +
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

ExportResult LaySoundAtSpeed(Recording& rec, playback::GsmDecoder& decoder, const TimeMap& cut,
                             int32_t halves, Job& job,
                             const std::function<bool(std::span<const uint8_t>)>& sink,
                             const char* stage) {
    if (halves == 2) return LaySound(rec, decoder, cut, job, sink, stage);
    playback::TimeStretcher stretch(rec.audio.sampleRate());
    stretch.SetSpeed(static_cast<playback::Speed>(halves));
    stretch.Reset();
    std::vector<int16_t> in, out;
    std::vector<uint8_t> bytes;
    const auto drain = [&] {
        out.resize(stretch.available());
        stretch.Pull(out);
        bytes.resize(out.size() * 2);
        for (size_t i = 0; i < out.size(); ++i)
            PutU16(&bytes[2 * i], static_cast<uint16_t>(out[i]));
        return bytes.empty() || sink(bytes);
    };
    ExportResult r = LaySound(
        rec, decoder, cut, job,
        [&](std::span<const uint8_t> b) {
            in.resize(b.size() / 2);
            for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<int16_t>(GetU16(&b[2 * i]));
            stretch.Push(in);
            return drain();
        },
        stage);
    if (r.status != ExportStatus::Done) return r;
    stretch.Finish();
    if (!drain()) return {ExportStatus::CannotWrite, "the sound could not be written"};
    return r;
}

std::optional<int64_t> EstimateGifBytes(std::span<const uint8_t> stream,
                                        const ExportRequest& request) {
    // Our own encoder only, and only while the records to read stay few; skip idle changes the
    // frames' delays, hardly their bytes, so it is left out.
    constexpr int64_t kSampleRecords = 30;
    constexpr size_t kMostRecordsRead = 3000;
    if (request.format != ExportFormat::Gif || request.gifEncoder != GifEncoder::BuiltIn) {
        return std::nullopt;
    }
    try {
        auto rec = std::make_unique<Recording>();
        if (OpenRecording(stream, *rec, nullptr).status != ExportStatus::Done) return std::nullopt;
        Selection selection;
        if (SelectionOf(*rec, request, selection).status != ExportStatus::Done) return std::nullopt;
        const RecordRange range = RecordsShown(*rec, selection);
        if (range.first + kSampleRecords > kMostRecordsRead) return std::nullopt;
        const TimeMap cut = TimeMap::Only(selection, rec->timeline.pacing().totalMs);
        GifRun run;
        const ExportResult r = WriteGif(
            *rec, request, cut, selection, [](size_t) { return true; },
            [](std::span<const uint8_t>) { return true; }, kSampleRecords, run);
        if (r.status != ExportStatus::Done || run.done == 0) return std::nullopt;
        if (run.done == run.records) return run.bytes;
        // The first frame is the whole screen; the others are changes, like the sampled ones.
        const double perChange = static_cast<double>(run.bytes - run.firstFrameBytes) /
                                 static_cast<double>(std::max<int64_t>(run.done - 1, 1));
        return run.firstFrameBytes +
               static_cast<int64_t>(perChange * static_cast<double>(run.records - 1));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}

ExportResult RunExport(std::span<const uint8_t> stream, const ExportRequest& request,
                       GsmDecoderFactory& decoders,
                       const std::function<bool(const ExportProgress&)>& onProgress) {
    if (NamesAnInput(request)) return Refuse(text::kExportOutputIsInput);
    if (request.format == ExportFormat::Mrv || request.format == ExportFormat::Exe)
        return WriteRecordingFile(stream, request, onProgress);
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
                Selection selection;
                if (ExportResult r = SelectionOf(*rec, request, selection);
                    r.status != ExportStatus::Done) {
                    return r;
                }
                switch (request.format) {
                    case ExportFormat::Png:
                        return ExportPng(*rec, request, selection, job);
                    case ExportFormat::Wav:
                        if (rec->audio.chunks().empty())
                            return Refuse("the recording has no sound");
                        return request.wavAsPcm
                                   ? ExportPcmWav(*rec, request, selection, decoders, job)
                                   : ExportGsmWav(*rec, request, selection);
                    case ExportFormat::Gif:
                    case ExportFormat::Mp4:
                    case ExportFormat::Mrv:  // written before this
                    case ExportFormat::Exe:
                        break;
                }
                if (auto why = CheckPictureTimeline(pacing.totalTicks, pacing.tickMs)) {
                    return Refuse(*why);
                }
                TimeMap cut = TimeMap::Only(selection, pacing.totalMs);
                if (request.skipIdleSeconds >= 0) {
                    std::vector<Busy> busy;
                    if (ExportResult r = BusyTimes(*rec, decoders, job, busy);
                        r.status != ExportStatus::Done) {
                        return r;
                    }
                    cut = TimeMap::SkipIdle(std::move(busy), selection, pacing.totalMs,
                                            static_cast<int64_t>(std::llround(
                                                std::min(request.skipIdleSeconds, 1e9) * 1000)));
                }
                if (request.format == ExportFormat::Gif &&
                    request.gifEncoder == GifEncoder::BuiltIn) {
                    return ExportGif(*rec, request, cut, selection, job);
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
