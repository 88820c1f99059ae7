// The player's window: the picture, the cursor and clicks on it, the control strip, and the
// save dialogs and progress; a view over the player form.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/win32/Handles.h"
#include "playback/AudioTimeline.h"
#include "playback/FrameSeeker.h"
#include "playback/Timeline.h"
#include "player/AfterSave.h"
#include "player/DamageRecovery.h"
#include "player/Opening.h"
#include "player/PlayClock.h"
#include "player/PlayerForm.h"
#include "player/Preferences.h"
#include "player/SaveFlow.h"
#include "player/WindowPlacing.h"
#include "player/win32/AfterSaveView.h"
#include "player/win32/AudioOut.h"
#include "player/win32/SaveAsView.h"
#include "player/win32/StripView.h"
#include "player/win32/TestHooks.h"
#include "recorder/StreamReader.h"

namespace mrv::player::win {

// Checks a file dropped on the window: true when it is to be played next (the window then
// closes for it), else `refusal` says why not.
using DropHandler = std::function<bool(const std::wstring& path, Opening& refusal)>;

class PlayerWindow final : private PlayerView, private RecoveryView {
  public:
    // `opening` is how the recording was found: a notice in it shows before playing starts.
    // `recordingPath` is the file the recording came from, for the names offered by Save As;
    // `prefs` what the user left last time, brought up to date when the window closes.
    PlayerWindow(std::span<const uint8_t> stream, StreamReader& reader,
                 playback::Timeline& timeline, const Opening& opening,
                 const std::string& recordingPath, PlayerPreferences& prefs, const TestHooks& hooks,
                 DropHandler onDrop);
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
    // RecoveryView
    void StopSound() override;
    void TimelineShortened() override;
    void ShowDamagedNotice(const std::string& detail) override;
    void ShowEnd(int64_t ms) override;
    void FailDamaged() override { Fail(); }
    void ShowSelection(const Selection& selection) override;

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK BarProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                    DWORD_PTR self);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    // True when the message was one of the player's keys and has been handled.
    bool RouteKey(const MSG& msg);
    bool OnCreate();
    void OnSize();
    void OnDpiChanged(int dpi, const RECT& suggested);
    void LogControls();  // where the tests click: screen centres of the controls
    void OnPaint();
    void OnTimer();
    void OnCommand(int id, int code);
    void OnHScroll(WPARAM wp, HWND control);
    bool OnBarMouseDown(LPARAM lp);
    void OnBarMenu(LPARAM lp);
    void OnClose();
    void OnEndSession();
    void OnContextMenu(HWND from, LPARAM lp);
    void OnDropFiles(HDROP drop);
    void PostTestDrop(const std::wstring& path);
    void OnStartNotice();
    void OnDamagedRecord();
    void OnExportProgress();
    void OnExportEnd();
    void ShowNotice(const char* message, const std::string& detail);
    void SetBarRange();
    void OutOfMemory();
    bool ComposeRecord(int32_t record, int32_t clickRecord);
    void UpdateLabels(int64_t ms);
    void Fail();
    void RememberPlace();

    std::span<const uint8_t> stream_;
    StreamReader& reader_;
    playback::Timeline& timeline_;
    const char* startNotice_ = nullptr;
    std::string startNoticeDetail_;
    std::string recordingPath_;
    std::string title_;
    PlayerPreferences& prefs_;
    TestHooks hooks_;
    DropHandler onDrop_;
    playback::FrameSeeker seeker_;
    playback::AudioTimeline audioTimeline_;
    AcmGsmDecoder decoder_;
    std::unique_ptr<WaveOutput> audio_;
    PlayClock clock_;
    SaveAsView saveView_;
    SaveFlow saveFlow_;
    PlayerForm form_;
    DamageRecovery recovery_;
    AfterSaveView afterSaveView_;
    AfterSave afterSave_;
    std::vector<uint8_t> bitmapInfo_;  // aligned, for GDI

    HWND hwnd_ = nullptr;
    StripView strip_;
    int dpi_ = 96;
    mrv::win::UniqueMemoryDC frameDC_;
    mrv::win::UniqueBitmap frameBitmap_;
    HGDIOBJ frameOldBitmap_ = nullptr;
    HCURSOR arrow_ = nullptr;
    POINT arrowHotSpot_{0, 0};
    RECT picture_{0, 0, 0, 0};  // where the picture goes in the client area
    int32_t shownRecord_ = -2;
    int32_t shownClick_ = -2;
    int64_t shownLabelSeconds_ = -1;
    bool shownPlaying_ = false;
    bool created_ = false;
    bool noticeOpen_ = false;  // the timer waits while a notice is up
    bool incomplete_ = false;  // played only in part
    bool fullScreen_ = false;
    WINDOWPLACEMENT windowed_{};
    LONG_PTR windowedStyle_ = 0;
    int exitCode_ = 0;
};

}  // namespace mrv::player::win
