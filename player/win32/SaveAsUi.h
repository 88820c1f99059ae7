// The Save As and locate-ffmpeg dialogs, and the progress window shown while saving.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/win32/Handles.h"
#include "player/SaveFlow.h"

namespace mrv::player::win {

// The system's Save As dialog with the four types and the options (skip idle, speed, a GIF's
// width and its estimated size): the Common Item Dialog, or the older one where COM cannot
// make it.
enum class SaveDialogKind { CommonItem, Older };
std::optional<SaveChoice> AskSaveName(HWND owner, const SaveDialogSetup& setup,
                                      SaveDialogKind kind = SaveDialogKind::CommonItem);
std::optional<std::string> AskFfmpegLocation(HWND owner);
// The Open dialog for a recording file or a self-playing recording.
std::optional<std::string> AskRecordingToOpen(HWND owner);

// A small window over the player: a bar over the recording's time line, the time left and
// Cancel. The player stays disabled while it is up.
class ProgressWindow {
  public:
    explicit ProgressWindow(std::function<void()> onCancel) : onCancel_(std::move(onCancel)) {}
    ~ProgressWindow() { Close(); }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void Show(HWND owner, int dpi);
    void Update(int32_t permille, const std::string& timeLeft);
    void Close();
    HWND hwnd() const { return hwnd_; }
    // Where the tests click: the Cancel button's centre on the screen.
    POINT CancelCentre() const;

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    std::function<void()> onCancel_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    HWND bar_ = nullptr;
    HWND label_ = nullptr;
    HWND cancel_ = nullptr;
    mrv::win::UniqueFont font_;
};

// Tahoma 8 pt at `dpi`, the program's face for its own controls.
mrv::win::UniqueFont MakeStripFont(int dpi);

}  // namespace mrv::player::win
