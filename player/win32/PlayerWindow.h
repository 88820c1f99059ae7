// The player's window: the picture, the cursor and clicks on it, the control strip, and the
// save dialogs and progress; a view over the player form.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/win32/Handles.h"
#include "player/AudioTimeline.h"
#include "player/FrameSeeker.h"
#include "player/Opening.h"
#include "player/PlayerForm.h"
#include "player/Preferences.h"
#include "player/SaveFlow.h"
#include "player/Timeline.h"
#include "player/win32/AudioOut.h"
#include "player/win32/ExportWorker.h"
#include "player/win32/SaveAsUi.h"
#include "recorder/StreamReader.h"

namespace mrv::player::win {

// Switches of the end-to-end tests' build of the player (HeadFileTest.hdf); the shipped stub
// never sets them.
struct TestHooks {
    FILE* log = nullptr;  // what is on screen, the sound queued, messages
    int64_t startPausedAtTick = -1;
    bool exitAtEnd = false;
    std::wstring dropPath;  // dropped on the window as soon as it is up
    void Write(const char* format, ...) const;
};

// Checks a file dropped on the window: true when it is to be played next (the window then
// closes for it), else `refusal` says why not.
using DropHandler = std::function<bool(const std::wstring& path, Opening& refusal)>;

class PlayerWindow final : private PlayerView, private SaveShell {
  public:
    // `opening` is how the recording was found: a notice in it shows before playing starts.
    // `recordingPath` is the file the recording came from, for the names offered by Save As;
    // `prefs` what the user left last time, brought up to date when the window closes.
    PlayerWindow(std::span<const uint8_t> stream, StreamReader& reader, Timeline& timeline,
                 const Opening& opening, const std::filesystem::path& recordingPath,
                 PlayerPreferences& prefs, const TestHooks& hooks, DropHandler onDrop);
    ~PlayerWindow() override;
    PlayerWindow(const PlayerWindow&) = delete;
    PlayerWindow& operator=(const PlayerWindow&) = delete;

    // Runs until the window closes; the exit code, non-zero when the recording could not be
    // played whole.
    int Run(HINSTANCE instance, int showCommand);

  private:
    // PlayerView
    int64_t ElapsedMs() override;
    void RestartClock(bool playing, int64_t fromMs) override;
    void ShowPlaying(bool playing) override;
    void ShowPosition(int64_t ms, bool moveBar) override;
    void SetFullScreen(bool fullScreen) override;
    void ApplySound(const SoundSettings& sound) override;
    void ReachedEnd(int64_t ms) override;

    // SaveShell
    std::optional<SaveChoice> AskSaveName(const std::filesystem::path& suggested, int32_t typeIndex,
                                          bool skipIdle) override;
    bool AskYesNo(const char* text) override;
    void ShowError(const char* text) override;
    std::optional<std::filesystem::path> AskFfmpegLocation() override;
    std::filesystem::path FindFfmpeg(const std::filesystem::path& userChosen) override;
    void RememberFfmpeg(const std::filesystem::path& path) override;
    void StartExport(const ExportRequest& request) override;
    void CancelExport() override;
    void ShowProgress(int32_t permille, const std::string& timeLeft) override;
    void CloseProgress() override;
    int64_t NowMs() override;

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK BarProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                    DWORD_PTR self);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    // True when the message was one of the player's keys and has been handled.
    bool RouteKey(const MSG& msg);
    bool OnCreate();
    void CreateStrip();
    void OnSize();
    void OnDpiChanged(int dpi, const RECT& suggested);
    void LogControls();  // where the tests click: screen centres of the controls
    void OnPaint();
    LRESULT OnColorStatic(HDC dc, HWND control);
    void OnTimer();
    void OnCommand(int id, int code);
    void OnHScroll(WPARAM wp, HWND control);
    bool OnBarMouseDown(LPARAM lp);
    void OnClose();
    void OnDropFiles(HDROP drop);
    void PostTestDrop(const std::wstring& path);
    void OnStartNotice();
    void OnDamagedRecord();
    void OnExportProgress();
    void OnExportEnd();
    void ShowNotice(const char* message, const std::string& detail);
    void SetBarRange();
    void OutOfMemory();
    bool AudioStalled(int64_t elapsedMs);
    bool ComposeRecord(int32_t record, int32_t clickRecord);
    void UpdateLabels(int64_t ms);
    void Fail();
    void RememberPlace();

    std::span<const uint8_t> stream_;
    StreamReader& reader_;
    Timeline& timeline_;
    const char* startNotice_ = nullptr;
    std::string startNoticeDetail_;
    std::filesystem::path recordingPath_;
    PlayerPreferences& prefs_;
    TestHooks hooks_;
    DropHandler onDrop_;
    FrameSeeker seeker_;
    AudioTimeline audioTimeline_;
    AcmGsmDecoder decoder_;
    std::unique_ptr<WaveOutput> audio_;
    std::vector<uint8_t> bitmapInfo_;
    ULONGLONG clockStart_ = 0;
    int64_t lastAudioMs_ = -1;
    DWORD lastAudioChange_ = 0;
    SaveFlow saveFlow_;
    PlayerForm form_;
    ExportWorker worker_;
    ProgressWindow progress_;

    HWND hwnd_ = nullptr;
    HWND playButton_ = nullptr;
    HWND bar_ = nullptr;
    HWND timeLabel_ = nullptr;
    HWND muteButton_ = nullptr;
    HWND volumeBar_ = nullptr;
    HWND speedBox_ = nullptr;
    HWND saveButton_ = nullptr;
    HWND fullButton_ = nullptr;
    HWND closeButton_ = nullptr;
    HWND tooltip_ = nullptr;
    int dpi_ = 96;
    mrv::win::UniqueFont font_;
    mrv::win::UniqueBrush black_;
    mrv::win::UniqueMemoryDC frameDC_;
    mrv::win::UniqueBitmap frameBitmap_;
    HGDIOBJ frameOldBitmap_ = nullptr;
    HCURSOR arrow_ = nullptr;
    POINT arrowHotSpot_{0, 0};
    RECT picture_{0, 0, 0, 0};  // where the picture goes in the client area
    std::wstring scaleTip_;
    int32_t shownRecord_ = -2;
    int32_t shownClick_ = -2;
    int64_t shownLabelSeconds_ = -1;
    bool shownPlaying_ = false;
    bool created_ = false;
    bool noticeOpen_ = false;     // the timer waits while a notice is up
    bool damagePending_ = false;  // a record failed to decode; handled once the caller is out
    bool incomplete_ = false;     // played only in part
    bool fullScreen_ = false;
    WINDOWPLACEMENT windowed_{};
    LONG_PTR windowedStyle_ = 0;
    int exitCode_ = 0;
};

}  // namespace mrv::player::win
