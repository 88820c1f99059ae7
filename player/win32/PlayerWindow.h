// The player's window: the picture, the cursor and clicks on it, and the control bar.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/win32/Handles.h"
#include "player/AudioTimeline.h"
#include "player/FrameSeeker.h"
#include "player/Playback.h"
#include "player/Timeline.h"
#include "player/win32/AudioOut.h"
#include "recorder/StreamReader.h"

namespace mrv::player::win {

// Hidden switches for the end-to-end tests; a user double-clicking never passes any.
struct TestHooks {
    FILE* log = nullptr;  // what is on screen, the sound queued, messages
    int64_t startPausedAtTick = -1;
    bool exitAtEnd = false;
    void Write(const char* format, ...) const;
};

class PlayerWindow {
  public:
    PlayerWindow(std::span<const uint8_t> stream, StreamReader& reader, const Timeline& timeline,
                 const TestHooks& hooks);
    ~PlayerWindow();
    PlayerWindow(const PlayerWindow&) = delete;
    PlayerWindow& operator=(const PlayerWindow&) = delete;

    // Runs until the window closes; the exit code (non-zero after a damaged record).
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
    const Timeline& timeline_;
    TestHooks hooks_;
    FrameSeeker seeker_;
    Playback playback_;
    AudioTimeline audioTimeline_;
    AcmGsmDecoder decoder_;
    std::unique_ptr<WaveOutput> audio_;
    std::vector<uint8_t> bitmapInfo_;
    DWORD clockStart_ = 0;
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
    bool fullScreen_ = false;
    WINDOWPLACEMENT windowed_{};
    LONG_PTR windowedStyle_ = 0;
    int exitCode_ = 0;
};

}  // namespace mrv::player::win
