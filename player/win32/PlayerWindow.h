// The player's window: the picture, the cursor and clicks on it, and the control bar.
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
#include "player/AudioTimeline.h"
#include "player/FrameSeeker.h"
#include "player/Opening.h"
#include "player/Playback.h"
#include "player/Timeline.h"
#include "player/win32/AudioOut.h"
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

class PlayerWindow {
  public:
    // `opening` is how the recording was found: a notice in it shows before playing starts.
    PlayerWindow(std::span<const uint8_t> stream, StreamReader& reader, Timeline& timeline,
                 const Opening& opening, const TestHooks& hooks, DropHandler onDrop);
    ~PlayerWindow();
    PlayerWindow(const PlayerWindow&) = delete;
    PlayerWindow& operator=(const PlayerWindow&) = delete;

    // Runs until the window closes; the exit code, non-zero when the recording could not be
    // played whole.
    int Run(HINSTANCE instance, int showCommand);

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    bool OnCreate();
    void OnSize();
    void LogControls();  // where the tests click: screen centres of the controls
    void OnPaint();
    void OnTimer();
    void OnCommand(int id);
    void OnHScroll(WPARAM wp);
    void OnKeyDown(WPARAM key);
    void OnDropFiles(HDROP drop);
    void PostTestDrop(const std::wstring& path);
    void OnStartNotice();
    void OnDamagedRecord();
    void ShowNotice(const char* message, const std::string& detail);
    void ReachEnd(int64_t position);
    void SetBarRange();
    void OutOfMemory();

    int64_t Elapsed();
    void RestartClock();
    bool AudioStalled(int64_t elapsedMs);
    void TogglePlay();
    void SeekTo(int64_t ms);
    void ToggleFullScreen();
    void ShowPosition(int64_t ms, bool moveBar = true);
    bool ComposeRecord(int32_t record, int32_t clickRecord);
    void UpdateLabels(int64_t ms);
    void Fail();

    std::span<const uint8_t> stream_;
    StreamReader& reader_;
    Timeline& timeline_;
    const char* startNotice_ = nullptr;
    std::string startNoticeDetail_;
    TestHooks hooks_;
    DropHandler onDrop_;
    FrameSeeker seeker_;
    Playback playback_;
    BarScale barScale_;
    AudioTimeline audioTimeline_;
    AcmGsmDecoder decoder_;
    std::unique_ptr<WaveOutput> audio_;
    std::vector<uint8_t> bitmapInfo_;
    ULONGLONG clockStart_ = 0;
    int64_t lastAudioMs_ = -1;
    DWORD lastAudioChange_ = 0;

    HWND hwnd_ = nullptr;
    HWND playButton_ = nullptr;
    HWND bar_ = nullptr;
    HWND timeLabel_ = nullptr;
    HWND fullButton_ = nullptr;
    HWND closeButton_ = nullptr;
    mrv::win::UniqueFont font_;
    mrv::win::UniqueMemoryDC frameDC_;
    mrv::win::UniqueBitmap frameBitmap_;
    HGDIOBJ frameOldBitmap_ = nullptr;
    HCURSOR arrow_ = nullptr;
    POINT arrowHotSpot_{0, 0};
    RECT picture_{0, 0, 0, 0};  // where the picture goes in the client area
    int32_t shownRecord_ = -2;
    int32_t shownClick_ = -2;
    int64_t shownLabelSeconds_ = -1;
    bool dragging_ = false;
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
