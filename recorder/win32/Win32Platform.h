// The recorder's Win32 platform: clock, cursor, mouse hook, files, timer and the program's files.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "common/win32/Handles.h"
#include "recorder/Platform.h"
#include "recorder/Recorder.h"

namespace mrv::win {

class SystemClock final : public Clock {
  public:
    uint32_t TickCount() override;
    double LocalNow() override;
};

class SystemCursor final : public CursorSource {
  public:
    Point CursorPos() override;
};

// WH_MOUSE_LL for the whole desktop, on a thread of its own that only pumps messages; the sink
// is called on that thread. One per process.
class LowLevelMouseHook final : public MouseHook {
  public:
    LowLevelMouseHook() = default;
    ~LowLevelMouseHook() override;
    LowLevelMouseHook(const LowLevelMouseHook&) = delete;
    LowLevelMouseHook& operator=(const LowLevelMouseHook&) = delete;

    // Returns once the hook is in place (true) or could not be set (false).
    bool Install(MouseSink& sink) override;
    // Removes the hook and joins its thread.
    bool Remove() override;
    bool Installed() const override;

  private:
    std::thread thread_;
    UniqueHandleOrNull stop_;  // set to end the hook's thread
};

class Win32FileSystem final : public FileSystem {
  public:
    bool Exists(const std::string& path) override;
    std::unique_ptr<InputFile> OpenRead(const std::string& path, std::string& error) override;
    std::unique_ptr<OutputFile> Create(const std::string& path, std::string& error) override;
    bool Remove(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
};

// A window timer on one window and id.
class WindowTimer final : public TickTimer {
  public:
    WindowTimer(HWND window, UINT_PTR id) : window_(window), id_(id) {}
    ~WindowTimer() override { Stop(); }
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    void Start(int32_t intervalMs) override;
    void Stop() override;

  private:
    HWND window_;
    UINT_PTR id_;
    bool running_ = false;
};

// Power throttling of this process (its timers) by the system: off while a recording runs.
void AllowPowerThrottling(bool allowed);
// For a compression worker: below normal, so the pointer and the tick come first.
void LowerThisThreadPriority();

// The player stub, the program and its INI file, all beside the program.
ProgramFiles ProgramFilesBesideProgram();

}  // namespace mrv::win
