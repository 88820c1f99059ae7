// Replay: an in-memory screen, a simulated clock and real files around mrv::Recorder. The
// screen's tick brackets and the file's append mark where detection ends and compression ends,
// so the engine itself needs no timing hooks.
#include "tools/lib/Replay.h"

#include <functional>

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

// Reports every append before passing it on: the record's bytes and the moment it was ready.
class ObservedFile : public OutputFile {
  public:
    ObservedFile(std::unique_ptr<OutputFile> file,
                 std::function<void(std::span<const uint8_t>)> onAppend)
        : file_(std::move(file)), onAppend_(std::move(onAppend)) {}
    bool Append(std::span<const uint8_t> bytes) override {
        onAppend_(bytes);
        return file_->Append(bytes);
    }
    int64_t Size() override { return file_->Size(); }
    bool ReadAt(int64_t offset, std::span<uint8_t> bytes) override {
        return file_->ReadAt(offset, bytes);
    }
    bool WriteAt(int64_t offset, std::span<const uint8_t> bytes) override {
        return file_->WriteAt(offset, bytes);
    }
    bool Truncate(int64_t size) override { return file_->Truncate(size); }
    std::string LastError() override { return file_->LastError(); }

  private:
    std::unique_ptr<OutputFile> file_;
    std::function<void(std::span<const uint8_t>)> onAppend_;
};

class ObservedFileSystem : public StdFileSystem {
  public:
    std::unique_ptr<OutputFile> Create(const std::string& path, std::string& error) override {
        auto file = StdFileSystem::Create(path, error);
        if (!file) return nullptr;
        return std::make_unique<ObservedFile>(std::move(file), onAppend);
    }
    std::function<void(std::span<const uint8_t>)> onAppend;
};

}  // namespace

struct Replay::Platform {
    TimedScreen screen;
    SimulatedClock clock;
    OriginCursor cursor;
    NoMouseHook hook;
    ObservedFileSystem files;
    NoAudio audio;
    NoTimer timer;
    NoView view;
    Recorder recorder{RecorderPlatform{screen, clock, cursor, hook, files, audio, timer, view}};
    double tickIntervalMs = 50;

    bool inTick = false;
    double appendMs = 0;
    int64_t appendedBytes = 0;
    int32_t appendedPayload = 0;
};

Replay::Replay() : platform_(std::make_unique<Platform>()) {
    Platform& p = *platform_;
    p.files.onAppend = [&p](std::span<const uint8_t> bytes) {
        if (!p.inTick) return;
        p.appendMs = CpuNowMs();
        p.appendedBytes += static_cast<int64_t>(bytes.size());
        if (bytes.size() >= static_cast<size_t>(kFrameHeaderSize)) {
            p.appendedPayload = GetI32(bytes.data());
        }
    };
}

Replay::~Replay() = default;

bool Replay::Start(int32_t width, int32_t height, const ReplayOptions& options,
                   std::string& error) {
    Platform& p = *platform_;
    p.screen.screen.Reset(width, height, options.bitsPerPixel);
    p.tickIntervalMs = 1000.0 / options.fps;
    RecordingOptions recording;
    recording.bitsPerPixel = options.bitsPerPixel;
    recording.scanStep = options.scanStep;
    recording.tickIntervalMs = 1000 / options.fps;
    ProgramFiles programFiles;
    programFiles.stubPath = options.stubPath;
    const StartResult started = p.recorder.StartRecording(options.outPath, recording, programFiles);
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
    RgbToDib(frame, s.geometry().bitsPerPixel, s.pixels(), s.geometry().bytesPerLine);
}

bool Replay::Tick(TickSample& sample, std::string& error) {
    Platform& p = *platform_;
    p.clock.nowMs += p.tickIntervalMs;
    p.appendedBytes = 0;
    p.appendedPayload = 0;
    p.inTick = true;
    const double startMs = CpuNowMs();
    const ErrorText failed = p.recorder.Timer1Timer();
    const double endMs = CpuNowMs();
    p.inTick = false;
    if (failed) {
        error = *failed;
        return false;
    }
    sample.detectMs = p.screen.endMs - p.screen.beginMs;
    sample.compressMs = p.appendMs - p.screen.endMs;
    sample.tickMs = endMs - startMs;
    sample.payloadBytes = p.appendedPayload;
    sample.recordBytes = p.appendedBytes;
    return true;
}

bool Replay::Stop(std::string& error) {
    if (ErrorText failed = platform_->recorder.StopRecording()) {
        error = *failed;
        return false;
    }
    return true;
}

}  // namespace mrv::tools
