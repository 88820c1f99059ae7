// The life of one recording: start, ticks, frame writing, audio, pause, resume and stop.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "recorder/CaptureArea.h"
#include "recorder/ChangeCapture.h"
#include "recorder/ClickState.h"
#include "recorder/FramePipeline.h"
#include "recorder/PausedSound.h"
#include "recorder/Platform.h"
#include "recorder/StreamFormat.h"

namespace mrv {

// What a new recording is: the player stub followed by the stream, or the stream alone (.mrv).
enum class RecordingKind { SelfPlaying = 0, StreamFile = 1 };

// The options a recording starts with, derived from the user's settings.
struct RecordingOptions {
    int bitsPerPixel = 16;
    int scanStep = 17;
    uint32_t rasterOp = kSrcCopy;
    int32_t tickIntervalMs = 200;
    bool sound = false;  // cleared when the sound device does not open
    int samples = 0;     // sample-rate option 0..3
    bool showClick = false;
    // The part of the virtual screen recorded; none records the primary screen as it always
    // did (cursor positions as the system gives them).
    std::optional<Rect> area;
    RecordingKind kind = RecordingKind::SelfPlaying;
};

// The files next to the program that a recording must never overwrite.
struct ProgramFiles {
    std::string stubPath;
    std::string programPath;
    std::string iniPath;
};

struct StartResult {
    enum class Outcome { Started, StubMissing, Failed };
    Outcome outcome = Outcome::Failed;
    bool soundFailed = false;  // the device did not open; the recording runs without sound
    std::string error;         // for Failed: the text for the general error box
};

struct HoldTicks {
    uint8_t value = 0;
};

// How an edited frame enters the recording (the EditMode option).
enum class EditMode { FullScreenCopy = 0, Scan = 1 };

// Error text for the caller's general error box; empty when all went well.
using ErrorText = std::optional<std::string>;

class Recorder final : public AudioSink {
  public:
    explicit Recorder(RecorderPlatform platform);
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // `options.sound` is cleared when the device fails, so the caller can save it so.
    StartResult StartRecording(const std::string& outputPath, RecordingOptions& options,
                               const ProgramFiles& files);
    // The timer's handler. A failed write stops the recording and returns its error; records
    // are written behind the tick, so a failure shows at a later tick, also while paused.
    ErrorText Timer1Timer();
    ErrorText ScanTick(HoldTicks hold = {});
    ErrorText WriteFrame(std::vector<uint8_t>& payload, HoldTicks hold = {});
    bool Pause();   // true when this call paused a running recording
    bool Resume();  // true when this call resumed a paused recording
    ErrorText StopRecording();
    // Waits for the records in flight; after a failed write, closes the recording as a tick
    // would and returns the error.
    ErrorText Flush();

    void OnAudioBlock(const uint8_t* data, int32_t size) override;
    void OnSilentInput() override;

    // Adds hold ticks of an inserted frame to the accounting.
    void AccountHold(uint8_t hold);
    // Writes the frame an edit inserts into a paused recording, held for `hold` more ticks:
    // a scan of the screen, or the whole of `picture` as one item (of an area recording, the
    // area's part of it; the picture's corner lies at `pictureOrigin` of the virtual screen).
    // A failed write closes the recording, as a tick's does.
    ErrorText InsertEditedFrame(EditMode mode, uint8_t hold, ScreenSource& picture,
                                Point pictureOrigin = {});

    bool isRecording() const { return isRecording_; }
    bool isPaused() const { return isPaused_; }
    bool timerEnabled() const { return timerEnabled_; }
    int32_t frameCounter() const { return frameCounter_; }
    int32_t accumulatedMs() const { return accumulatedMs_; }
    const std::string& outputPath() const { return outputPath_; }
    const std::string& sizeText() const { return sizeText_; }
    const std::string& durationText() const { return durationText_; }
    const RecordingOptions& options() const { return options_; }
    const std::optional<Rect>& area() const { return options_.area; }
    ChangeDetector& detector() { return detector_; }
    std::vector<uint8_t>& tickBuffer() { return tickBuffer_; }
    size_t pendingAudioBytes() const { return pendingAudio_.size(); }
    uint64_t stallTicks() const { return pipeline_.Stalls(); }
    double lastWaitMs() const { return pipeline_.LastWaitMs(); }
    int compressionWorkers() const { return pipeline_.workers(); }

  private:
    ErrorText StartStream(const std::string& outputPath, const std::string& stubPath,
                          uint8_t audioFormat);
    // A start that cannot write the stub or header removes the file it began.
    ErrorText FailStart();
    void DiscardOutput();
    ErrorText FinishStream(int32_t durationMs);
    void ShowSize();
    ErrorText CloseRecording();
    ErrorText WriteLastTick();
    void ReleaseDevices();
    int32_t RunningDurationMs();
    ScreenSource& Screen() { return areaScreen_ ? *areaScreen_ : platform_.screen; }
    CursorSource& Cursor() { return areaCursor_ ? *areaCursor_ : platform_.cursor; }

    RecorderPlatform platform_;
    ChangeDetector detector_;
    RecordingOptions options_;
    std::optional<AreaScreen> areaScreen_;
    std::optional<AreaCursor> areaCursor_;

    bool isRecording_ = false;
    bool isPaused_ = false;
    bool timerEnabled_ = false;
    int32_t frameCounter_ = 0;
    int32_t accumulatedMs_ = 0;
    uint32_t runStartTick_ = 0;
    PausedSound pausedSound_;
    int64_t streamStart_ = 0;
    std::string outputPath_;
    std::unique_ptr<OutputFile> output_;
    std::unique_ptr<AudioInput> audio_;
    FrameHeader next_;
    ClickState clicks_;         // written by the mouse hook's thread
    int64_t recordsStart_ = 0;  // file offset of the first record

    std::vector<uint8_t> tickBuffer_;
    std::vector<uint8_t> pendingAudio_;

    std::string sizeText_;
    std::string durationText_;

    // Last, so that its threads end before the file they write goes.
    FramePipeline pipeline_;
};

}  // namespace mrv
