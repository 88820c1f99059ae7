// Replay: an in-memory screen, a simulated clock and real files around mrv::Recorder. The
// screen's tick brackets time detection; the pipeline's observer times each record's
// compression and write on the worker that did them.
#include "tools/lib/Replay.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "common/ByteOrder.h"
#include "common/PubUtils.h"
#include "recorder/MemoryScreen.h"
#include "recorder/Recorder.h"
#include "tools/lib/StdFileSystem.h"

namespace mrv::tools {

namespace {

class TimedScreen : public ScreenSource {
  public:
    ScreenSize Size() override { return screen.Size(); }
    void BeginTick() override { beginMs = CpuNowMs(); }
    void EndTick() override { endMs = CpuNowMs(); }
    bool GrabRect(int32_t x, int32_t y, int32_t width, int32_t height,
                  std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t rasterOp) override {
        return screen.GrabRect(x, y, width, height, bitmapInfo, bits, rasterOp);
    }
    MemoryScreen screen{1, 1, 32};
    double beginMs = 0;
    double endMs = 0;
};

class SimulatedClock : public Clock {
  public:
    uint32_t TickCount() override { return static_cast<uint32_t>(nowMs); }
    // A fixed start keeps replays byte-for-byte repeatable: 2024-01-01 00:00:00.
    double LocalNow() override { return OleDateTime(2024, 1, 1, 0, 0, 0, 0); }
    double nowMs = 100000;
};

class OriginCursor : public CursorSource {
  public:
    Point CursorPos() override { return {0, 0}; }
};

class NoMouseHook : public MouseHook {
  public:
    bool Install(MouseSink&) override { return false; }
    bool Remove() override { return true; }
    bool Installed() const override { return false; }
};

class NoAudio : public AudioFactory {
  public:
    std::unique_ptr<AudioInput> Create(AudioSink&) override { return nullptr; }
};

class NoTimer : public TickTimer {
  public:
    void Start(int32_t) override {}
    void Stop() override {}
};

class NoView : public RecorderView {
  public:
    void ShowLabels(const std::string&, const std::string&) override {}
};

// The workers' share of each record, by record index (one record per tick here).
class WorkerTimes : public PipelineObserver {
  public:
    double ThreadCpuMs() override { return CpuNowMs(); }
    void RecordWritten(uint64_t index, std::span<const uint8_t> record, double compressMs,
                       double writeMs) override {
        std::lock_guard lock(mutex_);
        if (records_.size() <= index) records_.resize(index + 1);
        TickSample& r = records_[index];
        r.compressMs = compressMs;
        r.tickMs = compressMs + writeMs;
        r.payloadBytes = GetI32(record.data());
        r.recordBytes = static_cast<int64_t>(record.size());
    }
    std::vector<TickSample> Records() const {
        std::lock_guard lock(mutex_);
        return records_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<TickSample> records_;
};

}  // namespace

struct Replay::Platform {
    TimedScreen screen;
    SimulatedClock clock;
    OriginCursor cursor;
    NoMouseHook hook;
    StdFileSystem files;
    NoAudio audio;
    NoTimer timer;
    NoView view;
    WorkerTimes workerTimes;
    std::unique_ptr<Recorder> recorder;
    double tickIntervalMs = 50;
    bool pace = false;
    size_t areaOffset = 0;  // where the frames go on the screen

    std::vector<TickSample> ticks;
    std::chrono::steady_clock::time_point firstTick;
    double wallMs = 0;
};

Replay::Replay() : platform_(std::make_unique<Platform>()) {}

Replay::~Replay() = default;

bool Replay::Start(int32_t width, int32_t height, const ReplayOptions& options,
                   std::string& error) {
    Platform& p = *platform_;
    const bool area = options.screenWidth > 0 && options.screenHeight > 0;
    p.screen.screen.Reset(area ? options.screenWidth : width, area ? options.screenHeight : height,
                          options.bitsPerPixel);
    p.areaOffset = 0;
    p.tickIntervalMs = 1000.0 / options.fps;
    p.pace = options.pace;
    p.ticks.clear();
    RecorderPlatform platform{p.screen, p.clock, p.cursor, p.hook,
                              p.files,  p.audio, p.timer,  p.view};
    platform.compressionWorkers = options.workers;
    platform.pipelineObserver = &p.workerTimes;
    p.recorder = std::make_unique<Recorder>(std::move(platform));
    RecordingOptions recording;
    recording.bitsPerPixel = options.bitsPerPixel;
    recording.scanStep = options.scanStep;
    recording.tickIntervalMs = 1000 / options.fps;
    if (area) {
        recording.area = Rect{options.areaLeft, options.areaTop, options.areaLeft + width,
                              options.areaTop + height};
        p.areaOffset = static_cast<size_t>(options.areaTop) *
                           static_cast<size_t>(p.screen.screen.geometry().bytesPerLine) +
                       static_cast<size_t>(options.areaLeft) * (options.bitsPerPixel / 8);
    }
    ProgramFiles programFiles;
    programFiles.stubPath = options.stubPath;
    const StartResult started =
        p.recorder->StartRecording(options.outPath, recording, programFiles);
    switch (started.outcome) {
        case StartResult::Outcome::Started:
            return true;
        case StartResult::Outcome::StubMissing:
            error = "stub not found: " + options.stubPath;
            return false;
        default:
            error = started.error;
            return false;
    }
}

void Replay::Show(const RgbImage& frame) {
    MemoryScreen& s = platform_->screen.screen;
    RgbToDib(frame, s.geometry().bitsPerPixel, s.pixels().subspan(platform_->areaOffset),
             s.geometry().bytesPerLine);
}

bool Replay::Tick(std::string& error) {
    using Clock = std::chrono::steady_clock;
    Platform& p = *platform_;
    if (p.ticks.empty()) p.firstTick = Clock::now();
    if (p.pace) {
        // The timer's moment for this tick; a late tick runs at once, as a late WM_TIMER does.
        const auto due =
            p.firstTick +
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(
                p.tickIntervalMs * static_cast<double>(p.ticks.size())));
        std::this_thread::sleep_until(due);
    }
    p.clock.nowMs += p.tickIntervalMs;
    const uint64_t stallsBefore = p.recorder->stallTicks();
    const double startMs = CpuNowMs();
    const ErrorText failed = p.recorder->Timer1Timer();
    const double endMs = CpuNowMs();
    if (failed) {
        error = *failed;
        return false;
    }
    TickSample sample;
    sample.detectMs = p.screen.endMs - p.screen.beginMs;
    sample.stalled = p.recorder->stallTicks() != stallsBefore;
    sample.waitMs = sample.stalled ? p.recorder->lastWaitMs() : 0;
    sample.uiMs = endMs - startMs - (CpuClockCountsWaits() ? sample.waitMs : 0);
    p.ticks.push_back(sample);
    return true;
}

bool Replay::Stop(std::string& error) {
    Platform& p = *platform_;
    const ErrorText failed = p.recorder->StopRecording();
    p.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - p.firstTick)
            .count();
    if (failed) {
        error = *failed;
        return false;
    }
    return true;
}

std::vector<TickSample> Replay::Samples() const {
    std::vector<TickSample> samples = platform_->ticks;
    const std::vector<TickSample> records = platform_->workerTimes.Records();
    for (size_t i = 0; i < samples.size() && i < records.size(); ++i) {
        samples[i].compressMs = records[i].compressMs;
        samples[i].tickMs = samples[i].uiMs + records[i].tickMs;
        samples[i].payloadBytes = records[i].payloadBytes;
        samples[i].recordBytes = records[i].recordBytes;
    }
    return samples;
}

RunFigures Replay::Figures() const {
    return RunFigures{platform_->recorder ? platform_->recorder->compressionWorkers() : 0,
                      platform_->wallMs};
}

}  // namespace mrv::tools
