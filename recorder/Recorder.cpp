// Recording control: the stream writer's rules, the accounting and the audio sink.
#include "recorder/Recorder.h"

#include <algorithm>
#include <new>

#include "common/PubUtils.h"
#include "common/Texts.h"

namespace mrv {

namespace {

constexpr size_t kMaxPendingAudio = 0xFFFF;  // what the 16-bit audioSize can describe
constexpr uint32_t kAudioBufferSize = 1024;
constexpr size_t kStubPiece = 65536;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string FileError(const char* what, const std::string& path, const std::string& system) {
    return std::string(what) + Quoted(path) + ". " + system;
}

}  // namespace

Recorder::Recorder(RecorderPlatform platform)
    : platform_(std::move(platform)),
      pipeline_(platform_.compressionWorkers < 0 ? DefaultCompressionWorkers()
                                                 : platform_.compressionWorkers,
                ZlibCompressors(), platform_.pipelineObserver, platform_.compressionThreadStart) {}

// The hook's thread writes into this recorder's click state: it must be gone before the state is.
Recorder::~Recorder() {
    if (platform_.mouseHook.Installed()) platform_.mouseHook.Remove();
}

StartResult Recorder::StartRecording(const std::string& outputPath, RecordingOptions& options,
                                     const ProgramFiles& files) {
    StartResult result;
    // The main window routes a start during a recording to resume; here it does nothing.
    if (isRecording_) return result;
    const bool withStub = options.kind == RecordingKind::SelfPlaying;
    // A recording file needs no player inside it.
    if (withStub && !platform_.files.Exists(files.stubPath)) {
        result.outcome = StartResult::Outcome::StubMissing;
        return result;
    }
    // Creating the output over the stub, the program or its INI file would destroy them.
    for (const std::string* own : {&files.stubPath, &files.programPath, &files.iniPath}) {
        if (!own->empty() && platform_.files.SameFile(outputPath, *own)) {
            result.error =
                FileError(text::kCannotCreateFile, outputPath, text::kOutputIsProgramFile);
            return result;
        }
    }
    if (!IsValidDepth(options.bitsPerPixel) || options.scanStep <= 0 ||
        options.tickIntervalMs <= 0) {
        result.error = "Invalid recording options.";
        return result;
    }

    if (options.area && (options.area->right - options.area->left <= 0 ||
                         options.area->bottom - options.area->top <= 0)) {
        result.error = "Invalid recording options.";
        return result;
    }

    options_ = options;
    areaScreen_.reset();
    areaCursor_.reset();
    if (options_.area) {
        areaScreen_.emplace(platform_.screen, *options_.area);
        areaCursor_.emplace(platform_.cursor, *options_.area);
    }
    uint8_t audioFormat = 0;
    if (options_.sound) {
        AudioRate rate{};
        audio_ = platform_.audio.Create(*this);
        if (audio_ && AudioRateForOption(options_.samples, rate)) {
            audio_->Open(rate.samplesPerSec, rate.avgBytesPerSec, kAudioBufferSize);
        }
        options_.sound = audio_ && audio_->Active();
        if (!options_.sound) {
            const bool noCodec = audio_ && audio_->CodecMissing();
            audio_.reset();
            result.soundFailed = true;
            if (noCodec) {
                platform_.view.SoundCodecMissing();
            } else {
                platform_.view.SoundDeviceFailed();
            }
        } else {
            audioFormat = static_cast<uint8_t>(options_.samples + 1);
        }
    }
    options.sound = options_.sound;

    const ScreenSize screen = Screen().Size();
    if (screen.width <= 0 || screen.height <= 0) {
        ReleaseDevices();
        result.error = "The screen size could not be read.";
        return result;
    }
    const FrameGeometry geometry = MakeGeometry(screen.width, screen.height, options_.bitsPerPixel);
    try {
        detector_.Reset(geometry, options_.scanStep, options_.rasterOp);
        tickBuffer_.clear();
        tickBuffer_.reserve(detector_.MaxTickBytes());
        pipeline_.Reserve(detector_.MaxTickBytes());
        pendingAudio_.clear();
        pendingAudio_.reserve(kMaxPendingAudio + kAudioBufferSize);
    } catch (const std::bad_alloc&) {
        ReleaseDevices();
        result.error = text::kOutOfMemory;
        return result;
    }
    // Only the colour table is wanted here; the reference image stays all zero. Without it a
    // recording at 4 or 8 bits would play black from start to end.
    if (!Screen().GrabRect(0, 0, screen.width, screen.height, detector_.bitmapInfo(), nullptr,
                           kSrcCopy)) {
        ReleaseDevices();
        result.error = text::kScreenUnreadable;
        return result;
    }

    // A press left from an earlier recording is not this one's; presses from here on are.
    clicks_.Clear();
    if (options_.showClick && !platform_.mouseHook.Installed()) {
        platform_.mouseHook.Install(clicks_);
    }

    if (ErrorText error = StartStream(outputPath, withStub ? files.stubPath : "", audioFormat)) {
        ReleaseDevices();
        result.error = *error;
        return result;
    }
    pipeline_.Start(*output_);
    next_ = FrameHeader{};
    isPaused_ = false;
    pausedSound_.Clear();
    frameCounter_ = 0;
    accumulatedMs_ = 0;
    isRecording_ = true;
    timerEnabled_ = true;
    platform_.timer.Start(options_.tickIntervalMs);
    result.outcome = StartResult::Outcome::Started;
    return result;
}

// An empty `stubPath` writes the stream alone.
ErrorText Recorder::StartStream(const std::string& outputPath, const std::string& stubPath,
                                uint8_t audioFormat) {
    std::string error;
    std::unique_ptr<InputFile> stub;
    if (!stubPath.empty()) {
        stub = platform_.files.OpenRead(stubPath, error);
        if (!stub) return FileError(text::kCannotOpenFile, stubPath, error);
    }
    output_ = platform_.files.Create(outputPath, error);
    if (!output_) return FileError(text::kCannotCreateFile, outputPath, error);
    outputPath_ = outputPath;

    // The stub goes over in pieces, so that its size never decides what memory is needed. A
    // stub that cannot be read to its end (a locked range) is the stub's fault, and the file
    // begun for it is no recording.
    std::vector<uint8_t> piece(stub ? kStubPiece : 0);
    int64_t stubBytes = 0;
    while (stub) {
        const int64_t read = stub->Read(piece);
        if (read < 0) {
            DiscardOutput();
            return FileError(text::kCannotOpenFile, stubPath, stub->LastError());
        }
        if (read == 0) break;
        if (!output_->Append(std::span(piece).first(static_cast<size_t>(read)))) {
            return FailStart();
        }
        stubBytes += read;
    }

    const FrameGeometry& g = detector_.geometry();
    StreamHeader header;
    streamStart_ = stubBytes;
    runStartTick_ = platform_.clock.TickCount();
    header.startTime = platform_.clock.LocalNow();
    header.frameCount = 0;
    header.durationMs = kUnstoppedDurationMs;
    header.screenWidth = g.width;
    header.screenHeight = g.height;
    header.bytesPerLine = g.bytesPerLine;
    header.frameBytes = static_cast<int32_t>(g.frameBytes);
    header.bitmapInfoSize = g.bitmapInfoSize;
    header.audioFormat = audioFormat;
    const auto headerBytes = EncodeStreamHeader(header);
    if (!output_->Append(headerBytes) || !output_->Append(detector_.bitmapInfo())) {
        return FailStart();
    }
    recordsStart_ = streamStart_ + kStreamHeaderSize + g.bitmapInfoSize;
    return std::nullopt;
}

ErrorText Recorder::FailStart() {
    const std::string system = output_->LastError();
    DiscardOutput();
    return FileError(text::kCannotWriteFile, outputPath_, system);
}

void Recorder::DiscardOutput() {
    output_.reset();
    platform_.files.Remove(outputPath_);
}

ErrorText Recorder::Timer1Timer() {
    if (!isRecording_) return std::nullopt;
    // A write that failed behind an earlier tick ends the recording now, paused or not.
    if (pipeline_.Failed()) return CloseRecording();
    if (isPaused_) return std::nullopt;
    return ScanTick();
}

ErrorText Recorder::ScanTick(HoldTicks hold) {
    tickBuffer_.clear();
    ScreenSource& screen = Screen();
    screen.BeginTick();
    // The press is taken at the tick's instant, with the cursor: one made while the tick runs
    // belongs to the next record.
    next_.click = clicks_.Take();
    const Point cursor = Cursor().CursorPos();
    next_.cursorX = cursor.x;
    next_.cursorY = cursor.y;
    detector_.FindAndCaptureBands(screen, tickBuffer_);
    screen.EndTick();
    ErrorText error = WriteFrame(tickBuffer_, hold);
    next_.click = 0;
    return error;
}

ErrorText Recorder::WriteFrame(std::vector<uint8_t>& payload, HoldTicks hold) {
    if (!isRecording_) {
        payload.clear();
        return std::nullopt;
    }
    // The tick buffer goes to the pool with the record's header and sound, and a free one
    // comes back; the record reaches the file behind this tick, in tick order.
    pipeline_.Submit(payload, next_, pendingAudio_, hold.value);
    pendingAudio_.clear();
    ++frameCounter_;
    if (pipeline_.Failed()) return CloseRecording();
    durationText_ = DurationText(options_.tickIntervalMs * frameCounter_);
    sizeText_ = SizeText(recordsStart_ + pipeline_.WrittenBytes(), platform_.decimalSeparator);
    platform_.view.ShowLabels(sizeText_, durationText_);
    return std::nullopt;
}

ErrorText Recorder::Flush() {
    if (!isRecording_) return std::nullopt;
    if (!pipeline_.Drain()) return CloseRecording();
    ShowSize();
    return std::nullopt;
}

// The size label lags by the records in flight; once they are written it shows the file.
void Recorder::ShowSize() {
    std::string size =
        SizeText(recordsStart_ + pipeline_.WrittenBytes(), platform_.decimalSeparator);
    if (size == sizeText_) return;
    sizeText_ = std::move(size);
    platform_.view.ShowLabels(sizeText_, durationText_);
}

void Recorder::OnAudioBlock(const uint8_t* data, int32_t size) {
    if (!isRecording_ || data == nullptr || size <= 0) return;
    // Sound from a pause is not part of the recording; the sound recorded before it and
    // delivered during it is, and rides with the first record after the resume.
    AudioRate rate{};
    const int32_t samplesPerSec =
        AudioRateForOption(options_.samples, rate) ? rate.samplesPerSec : 0;
    pausedSound_.AppendRunningSound(data, size, platform_.clock.TickCount(), samplesPerSec,
                                    pendingAudio_);
    if (pendingAudio_.size() > kMaxPendingAudio) {
        // Drop the oldest whole GSM blocks so the rest still decodes.
        const size_t excess = pendingAudio_.size() - kMaxPendingAudio;
        const size_t drop = (excess + kGsmBlockBytes - 1) / kGsmBlockBytes * kGsmBlockBytes;
        pendingAudio_.erase(pendingAudio_.begin(),
                            pendingAudio_.begin() + static_cast<ptrdiff_t>(drop));
    }
}

void Recorder::OnSilentInput() {
    if (isRecording_) platform_.view.SilentMicrophone();
}

bool Recorder::Pause() {
    if (!timerEnabled_ || isPaused_) return false;
    isPaused_ = true;
    // Whatever comes next (an edit's frame, a stop) finds every earlier record on disk; a failed
    // write found here ends the recording at the next tick.
    if (pipeline_.Drain()) ShowSize();
    pausedSound_.Paused(platform_.clock.TickCount());
    accumulatedMs_ += static_cast<int32_t>(platform_.clock.TickCount() - runStartTick_);
    return true;
}

bool Recorder::Resume() {
    if (!timerEnabled_ || !isPaused_) return false;
    isPaused_ = false;
    runStartTick_ = platform_.clock.TickCount();
    pausedSound_.Resumed(runStartTick_);
    return true;
}

void Recorder::AccountHold(uint8_t hold) {
    accumulatedMs_ += options_.tickIntervalMs * hold;
    frameCounter_ += hold;
}

ErrorText Recorder::InsertEditedFrame(EditMode mode, uint8_t hold, ScreenSource& whole,
                                      Point pictureOrigin) {
    if (!isRecording_) return std::nullopt;
    if (mode == EditMode::Scan) {
        AccountHold(hold);
        ErrorText error = ScanTick(HoldTicks{hold});
        return error ? error : Flush();
    }
    // The picture becomes the reference image too, so the next tick stores only what differs
    // from it on the screen.
    tickBuffer_.clear();
    std::optional<AreaScreen> areaPicture;
    if (options_.area) areaPicture.emplace(whole, *options_.area, pictureOrigin);
    ScreenSource& picture = areaPicture ? *areaPicture : whole;
    const ScreenSize size = picture.Size();
    Rect all{0, 0, size.width, size.height};
    // A picture that cannot be read would go in as whatever the grab buffer last held; nothing
    // is inserted or accounted then.
    if (!detector_.CaptureRect(picture, all, tickBuffer_)) {
        tickBuffer_.clear();
        return std::string(text::kEditPictureUnreadable);
    }
    AccountHold(hold);
    next_.click = clicks_.Take();
    ErrorText error = WriteFrame(tickBuffer_, HoldTicks{hold});
    // A press is reported by one record only, as after a scan tick.
    next_.click = 0;
    // The edit command reports a failed write of its frame itself, as it always did.
    return error ? error : Flush();
}

int32_t Recorder::RunningDurationMs() {
    if (isPaused_) return accumulatedMs_;
    return accumulatedMs_ + static_cast<int32_t>(platform_.clock.TickCount() - runStartTick_);
}

ErrorText Recorder::StopRecording() {
    platform_.timer.Stop();
    timerEnabled_ = false;
    if (!isRecording_) return std::nullopt;
    // A failed last write has already closed the recording.
    if (ErrorText error = WriteLastTick()) return error;
    return CloseRecording();
}

ErrorText Recorder::WriteLastTick() {
    // The sound still in the device, and what was delivered since the last tick, are the last
    // words before Stop: one more ordinary tick carries them. While paused, Stop keeps nothing
    // new: the screen and sound of a pause are not part of the recording.
    if (isPaused_ || !audio_) return std::nullopt;
    audio_->HandOver();
    if (pendingAudio_.empty()) return std::nullopt;
    return ScanTick();
}

ErrorText Recorder::CloseRecording() {
    platform_.timer.Stop();
    timerEnabled_ = false;
    // The header is patched after the last record is on disk.
    ErrorText error;
    if (!pipeline_.Drain()) {
        // Keep what was written a whole, readable stream: cut a partial record off and count
        // only the records on disk. The ticks a lost record was to be held for are not in it.
        output_->Truncate(recordsStart_ + pipeline_.WrittenBytes());
        frameCounter_ -= pipeline_.LostTicks();
        accumulatedMs_ -= options_.tickIntervalMs * pipeline_.LostHolds();
        error = FileError(text::kCannotWriteFile, outputPath_, pipeline_.FailureText());
    } else {
        ShowSize();
    }
    pipeline_.Finish();
    isRecording_ = false;
    const int32_t durationMs = RunningDurationMs();
    isPaused_ = false;
    ErrorText finished = FinishStream(durationMs);
    if (!error) error = std::move(finished);
    frameCounter_ = 0;
    accumulatedMs_ = 0;
    ReleaseDevices();
    pendingAudio_.clear();
    return error;
}

ErrorText Recorder::FinishStream(int32_t durationMs) {
    std::array<uint8_t, kStreamHeaderSize> bytes{};
    ErrorText error;
    if (output_->ReadAt(streamStart_, bytes)) {
        StreamHeader header = DecodeStreamHeader(bytes);
        header.frameCount = frameCounter_;
        header.durationMs = durationMs;
        bytes = EncodeStreamHeader(header);
        if (!output_->WriteAt(streamStart_, bytes)) {
            error = FileError(text::kCannotWriteFile, outputPath_, output_->LastError());
        }
    } else {
        error = FileError(text::kCannotWriteFile, outputPath_, output_->LastError());
    }
    output_.reset();
    return error;
}

void Recorder::ReleaseDevices() {
    if (platform_.mouseHook.Installed()) platform_.mouseHook.Remove();
    if (audio_) {
        audio_->Close();
        audio_.reset();
    }
}

}  // namespace mrv
