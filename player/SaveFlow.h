// Saving a copy of the recording as GIF, MP4, WAV or PNG: the name and type, ffmpeg for MP4,
// progress with the time left, cancel, and the messages for what can go wrong.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export/Export.h"
#include "player/Selection.h"

namespace mrv::player {

using exporting::ExportFormat;
using exporting::ExportProgress;
using exporting::ExportRequest;
using exporting::ExportResult;
using exporting::ExportStatus;

// In the order the Save As dialog lists them; the recording's own two kinds come last.
inline constexpr std::array<ExportFormat, 6> kSaveTypes = {ExportFormat::Gif, ExportFormat::Mp4,
                                                           ExportFormat::Wav, ExportFormat::Png,
                                                           ExportFormat::Mrv, ExportFormat::Exe};
// What skip-idle shortens every still, silent stretch to.
inline constexpr double kSkipIdleSeconds = 1.0;
// The progress window guesses the time left only once it has seen this much of the work.
inline constexpr int64_t kMinElapsedForEstimateMs = 1000;

// ".gif", ".mp4", ".wav", ".png", ".mrv", ".exe".
const char* ExtensionOf(ExportFormat format);

struct SaveTarget {
    std::string path;
    ExportFormat format = ExportFormat::Gif;
};

// A typed extension that names one of the types wins over the type chosen in the list;
// otherwise the chosen type's extension is added.
SaveTarget ResolveSaveTarget(const std::string& typed, int32_t typeIndex);

// The recording's own name with the type's extension, in the recording's folder.
std::string DefaultSaveName(const std::string& recording, ExportFormat format);

// How far along the bar is, 0..1000.
int32_t ProgressPermille(const ExportProgress& progress);
// The time left at the pace so far, or that it is still being estimated.
std::string TimeLeftText(const ExportProgress& progress, int64_t elapsedMs);

// The message for how an export ended; null when there is nothing to say.
const char* SaveMessage(ExportStatus status);
// The whole message, with what ffmpeg said or the file in use; empty when there is none.
std::string SaveMessageFor(const ExportResult& result);

// The Save As dialog's options: the saved copy's speed, and a GIF's width.
inline constexpr std::array<double, 4> kSaveSpeeds = {1.0, 1.5, 2.0, 4.0};
inline constexpr std::array<int32_t, 3> kGifWidths = {1280, 960, 640};

// Which of the options a type takes.
struct SaveOptionsShown {
    bool skipIdle = false;
    bool speed = false;
    bool width = false;  // with the estimated size
    bool operator==(const SaveOptionsShown&) const = default;
};
SaveOptionsShown OptionsFor(ExportFormat format);

// 0 (as recorded) and the widths narrower than the recording: a GIF is never enlarged.
std::vector<int32_t> GifWidthChoices(int32_t recordedWidth);
// "原始" for 0, else the number of pixels.
std::string GifWidthLabel(int32_t width);
// The estimated size, or empty while it cannot be known.
std::string EstimateText(std::optional<int64_t> bytes);

// The folder Save As opens in: the recording's own, unless it lies in one of the temporary
// folders (an attachment opened from mail, a recording inside a zip), then the user's Videos.
std::string SaveFolder(const std::string& recordingFolder,
                       const std::vector<std::string>& temporaryFolders,
                       const std::string& videosFolder);

struct SaveChoice {
    std::string path;
    int32_t typeIndex = 0;
    bool skipIdle = false;
    int32_t speedIndex = 0;  // into kSaveSpeeds
    int32_t widthIndex = 0;  // into the dialog's widths
};

// What the Save As dialog opens with.
struct SaveDialogSetup {
    std::string suggested;  // the full name offered
    SaveChoice preset;      // the type and options preselected
    std::vector<std::string> widthLabels;
    // The estimated size's text for the choices as they stand; empty while not known.
    std::function<std::string(const SaveChoice&)> estimate;
};

// Folders the system names, for the start of Save As.
struct SystemFolders {
    std::vector<std::string> temporary;
    std::string videos;  // empty when the user has none
};

// What the save flow asks of the window, the system and the worker that exports.
class SaveShell {
  public:
    virtual ~SaveShell() = default;
    // The Save As dialog; none when the user cancels.
    virtual std::optional<SaveChoice> AskSaveName(const SaveDialogSetup& setup) = 0;
    virtual SystemFolders Folders() = 0;
    virtual std::optional<int64_t> EstimateGifBytes(const ExportRequest& request) = 0;
    virtual bool AskYesNo(const char* text) = 0;
    virtual void ShowError(const char* text) = 0;
    // Try again or give up (a retry/cancel question); true for try again.
    virtual bool AskRetry(const std::string& text) = 0;
    // The finished output kept while its target was held: moved in again, or thrown away.
    virtual ExportResult MoveKept(const exporting::KeptOutput& kept) = 0;
    virtual void DiscardKept(const exporting::KeptOutput& kept) = 0;
    virtual std::optional<std::string> AskFfmpegLocation() = 0;
    // Beside the player, on the PATH, then `userChosen`; empty when none exists. Never one in
    // `recordingDir` but the user's choice: anyone can put a file beside a received recording.
    virtual std::string FindFfmpeg(const std::string& userChosen,
                                   const std::string& recordingDir) = 0;
    virtual void RememberFfmpeg(const std::string& path) = 0;
    // Runs the export off the window's thread; its progress and end come back to the flow.
    virtual void StartExport(const ExportRequest& request) = 0;
    virtual void CancelExport() = 0;
    virtual void ShowProgress(int32_t permille, const std::string& timeLeft) = 0;
    virtual void CloseProgress() = 0;
    virtual int64_t NowMs() = 0;
};

class SaveFlow {
  public:
    // `recordedWidth` bounds the GIF widths offered.
    SaveFlow(SaveShell& shell, std::string recording, std::string userFfmpeg,
             int32_t recordedWidth = 0)
        : shell_(shell),
          recording_(std::move(recording)),
          userFfmpeg_(std::move(userFfmpeg)),
          widths_(GifWidthChoices(recordedWidth)) {}
    SaveFlow(const SaveFlow&) = delete;
    SaveFlow& operator=(const SaveFlow&) = delete;
    ~SaveFlow() { Abandon(); }

    // From the dialog to the start of the export of `part` (toMs < 0: to the end); false when
    // nothing was started.
    bool Begin(TimeRange part = {0, -1});
    void Progressed(const ExportProgress& progress);
    void CancelClick();
    // A target held by another program: asks to try again, keeping the finished output until
    // the user chooses.
    void Finished(const ExportResult& result);
    // The player is going away (closed, the session ending): a running export is cancelled and
    // an output kept for a retry is removed. The caller still waits for the worker.
    void Abandon();

    bool running() const { return running_; }
    bool cancelling() const { return cancelling_; }
    // How the last save ended, after any retries of a target in use.
    const ExportResult& outcome() const { return outcome_; }

  private:
    bool FindOrLocateFfmpeg(std::string& ffmpeg);
    // The request for `choice` without its name and ffmpeg: what the estimate sees too.
    ExportRequest RequestFor(const SaveChoice& choice, ExportFormat format, TimeRange part) const;
    // Indexes from the dialog kept within the lists.
    SaveChoice Clamped(SaveChoice choice) const;

    SaveShell& shell_;
    std::string recording_;
    std::string userFfmpeg_;
    std::vector<int32_t> widths_;
    // The next dialog offers what the last one chose.
    SaveChoice last_;
    bool running_ = false;
    bool cancelling_ = false;
    int64_t startedMs_ = 0;
    exporting::KeptOutput kept_;  // while the retry question is open
    ExportResult outcome_;
};

}  // namespace mrv::player
