// What the save flow asks of the system, on Win32: the dialogs, the messages, ffmpeg's search,
// the export on a thread of its own and the progress window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "player/Preferences.h"
#include "player/SaveFlow.h"
#include "player/win32/ExportWorker.h"
#include "player/win32/SaveAsUi.h"
#include "player/win32/TestHooks.h"

namespace mrv::player::win {

class SaveAsView final : public SaveShell {
  public:
    // The export's thread posts `progressMessage` and `endMessage` to the window; the window
    // hands them to TakeProgress and Finish. A located ffmpeg goes into `prefs`.
    SaveAsView(std::span<const uint8_t> stream, PlayerPreferences& prefs, const TestHooks& hooks,
               UINT progressMessage, UINT endMessage);
    SaveAsView(const SaveAsView&) = delete;
    SaveAsView& operator=(const SaveAsView&) = delete;

    // The window that owns the dialogs, and what its Cancel does.
    void Attach(HWND window, std::function<void()> onCancel) {
        window_ = window;
        onCancel_ = std::move(onCancel);
    }
    void SetDpi(int dpi) { dpi_ = dpi; }
    HWND progressWindow() const { return progress_.hwnd(); }
    bool running() const { return worker_.running(); }
    // The name the last export was asked to write.
    const std::string& output() const { return output_; }
    // For the window closing mid-way: the export removes what it wrote before this returns.
    void CancelAndWait();
    ExportProgress TakeProgress();
    ExportResult Finish();

    std::optional<SaveChoice> AskSaveName(const SaveDialogSetup& setup) override;
    SystemFolders Folders() override;
    std::optional<int64_t> EstimateGifBytes(const ExportRequest& request) override;
    bool AskYesNo(const char* text) override;
    void ShowError(const char* text) override;
    bool AskRetry(const std::string& text) override;
    ExportResult MoveKept(const exporting::KeptOutput& kept) override;
    void DiscardKept(const exporting::KeptOutput& kept) override;
    std::optional<std::string> AskFfmpegLocation() override;
    std::string FindFfmpeg(const std::string& userChosen, const std::string& recordingDir) override;
    void RememberFfmpeg(const std::string& path) override;
    void StartExport(const ExportRequest& request) override;
    void CancelExport() override;
    void ShowProgress(int32_t permille, const std::string& timeLeft) override;
    void CloseProgress() override;
    int64_t NowMs() override;

  private:
    std::span<const uint8_t> stream_;
    PlayerPreferences& prefs_;
    TestHooks hooks_;
    HWND window_ = nullptr;
    int dpi_ = 96;
    std::function<void()> onCancel_;
    std::vector<uint8_t> playerImage_;  // before the stream of a self-playing copy
    ExportWorker worker_;
    ProgressWindow progress_;
    std::string output_;
};

}  // namespace mrv::player::win
