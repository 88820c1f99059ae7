// Test harness: records the real screen with the real engine, driven through a command file.
//
// Usage: mrv_e2e_recorder --out REC [--bpp 4|8|16|32] [--step 17|13|7] [--fps 1..20]
//        [--captureblt] [--click] [--target] [--stub FILE] [--control FILE] [--max-ticks N]
// On every timer message it reads the new whole lines of the control file (sync, pause,
// resume, stop) and answers each on standard output with the records written so far and the
// scan phase of the next tick, so a script knows which record shows what it put on screen.
// --target shows a small Wine window in the bottom right corner: under Wine the low-level mouse
// hook sees only presses on Wine's own windows.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "common/win32/Handles.h"
#include "common/win32/WinText.h"
#include "recorder/Recorder.h"
#include "recorder/win32/GdiScreenSource.h"
#include "recorder/win32/Win32Platform.h"

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr int kTargetSide = 64;
constexpr UINT kStopMessage = WM_APP + 1;

// Ctrl+C arrives on another thread; the recording is stopped on the window's own thread.
HWND gWindow = nullptr;

BOOL WINAPI OnConsoleControl(DWORD) {
    if (!gWindow) return FALSE;
    ::PostMessageW(gWindow, kStopMessage, 0, 0);
    return TRUE;
}

struct Options {
    std::string out;
    std::string stub;
    std::string control;
    mrv::RecordingOptions recording;
    long maxTicks = 0;
    bool target = false;
};

class NoAudio final : public mrv::AudioFactory {
  public:
    std::unique_ptr<mrv::AudioInput> Create(mrv::AudioSink&) override { return nullptr; }
};

class QuietView final : public mrv::RecorderView {
  public:
    void ShowLabels(const std::string&, const std::string&) override {}
};

void Say(const char* format, auto... args) {
    std::printf(format, args...);
    std::fflush(stdout);
}

bool ParseOptions(int argc, char** argv, Options& o) {
    o.recording.bitsPerPixel = 32;
    o.recording.tickIntervalMs = 200;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--captureblt") {
            o.recording.rasterOp = mrv::kSrcCopy | mrv::kCaptureBlt;
        } else if (arg == "--click") {
            o.recording.showClick = true;
        } else if (arg == "--target") {
            o.target = true;
        } else if (!hasValue) {
            return false;
        } else if (arg == "--out") {
            o.out = argv[++i];
        } else if (arg == "--stub") {
            o.stub = argv[++i];
        } else if (arg == "--control") {
            o.control = argv[++i];
        } else if (arg == "--bpp") {
            o.recording.bitsPerPixel = std::atoi(argv[++i]);
        } else if (arg == "--step") {
            o.recording.scanStep = std::atoi(argv[++i]);
        } else if (arg == "--fps") {
            const int fps = std::atoi(argv[++i]);
            if (fps < 1 || fps > 20) return false;
            o.recording.tickIntervalMs = 1000 / fps;
        } else if (arg == "--max-ticks") {
            o.maxTicks = std::atol(argv[++i]);
        } else {
            return false;
        }
    }
    return !o.out.empty();
}

class Harness {
  public:
    explicit Harness(Options options) : options_(std::move(options)) {}

    int Run() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Harness::WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MrvRecorderHarness";
        ::RegisterClassW(&wc);
        window_.reset(::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                        nullptr, wc.hInstance, this));
        if (!window_) return Fail("cannot create the window");
        if (options_.target && !ShowTarget(wc.hInstance)) return Fail("cannot show the target");
        gWindow = window_.get();
        ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
        timer_.emplace(window_.get(), kTimerId);
        recorder_.emplace(
            mrv::RecorderPlatform{screen_, clock_, cursor_, hook_, files_, audio_, *timer_, view_});

        mrv::ProgramFiles own = mrv::win::ProgramFilesBesideProgram();
        if (!options_.stub.empty()) own.stubPath = options_.stub;
        const mrv::StartResult start =
            recorder_->StartRecording(options_.out, options_.recording, own);
        if (start.outcome == mrv::StartResult::Outcome::StubMissing) {
            return Fail("stub missing");
        }
        if (start.outcome != mrv::StartResult::Outcome::Started) return Fail(start.error.c_str());
        const mrv::ScreenSize size = screen_.Size();
        Say("started %d %d %d\n", size.width, size.height, options_.recording.bitsPerPixel);

        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        return exitCode_;
    }

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Harness*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg == kStopMessage) {
            if (self->recorder_->isRecording()) self->Stop();
            return 0;
        }
        if (self && msg == WM_TIMER && wParam == kTimerId) {
            self->OnTimer();
            return 0;
        }
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    bool ShowTarget(HINSTANCE instance) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = instance;
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"MrvClickTarget";
        ::RegisterClassW(&wc);
        const mrv::ScreenSize size = screen_.Size();
        target_.reset(::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE,
                                        size.width - kTargetSide, size.height - kTargetSide,
                                        kTargetSide, kTargetSide, nullptr, nullptr, instance,
                                        nullptr));
        if (target_) ::UpdateWindow(target_.get());
        return static_cast<bool>(target_);
    }

    int Fail(const char* what) {
        Say("error: %s\n", what);
        return 1;
    }

    void OnTimer() {
        ReadCommands();
        if (!recorder_->isRecording()) return;
        if (mrv::ErrorText error = recorder_->Timer1Timer()) Finish(error->c_str());
        if (!recorder_->isPaused() && recorder_->isRecording()) {
            Say("tick %d %d\n", recorder_->frameCounter(), recorder_->detector().phase());
        }
        if (options_.maxTicks > 0 && recorder_->frameCounter() >= options_.maxTicks) Stop();
    }

    void ReadCommands() {
        if (options_.control.empty()) return;
        std::ifstream in(options_.control, std::ios::binary);
        if (!in) return;
        in.seekg(static_cast<std::streamoff>(consumed_));
        std::string line;
        while (std::getline(in, line) && !in.eof()) {
            consumed_ += line.size() + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            Command(line);
        }
    }

    void Command(const std::string& command) {
        if (!recorder_->isRecording()) return;
        if (command == "pause") recorder_->Pause();
        if (command == "resume") recorder_->Resume();
        if (command == "stop") {
            Stop();
            return;
        }
        // Every command answers with the records so far and the phase of the next tick.
        Say("%s %d %d %d\n", command.c_str(), recorder_->frameCounter(),
            recorder_->detector().phase(), recorder_->isPaused() ? 1 : 0);
    }

    void Stop() {
        const int32_t records = recorder_->frameCounter();
        const mrv::ErrorText error = recorder_->StopRecording();
        if (error) {
            Finish(error->c_str());
            return;
        }
        Say("stopped %d\n", records);
        ::PostQuitMessage(0);
    }

    void Finish(const char* error) {
        Say("error: %s\n", error);
        exitCode_ = 1;
        ::PostQuitMessage(1);
    }

    Options options_;
    mrv::win::GdiScreenSource screen_;
    mrv::win::SystemClock clock_;
    mrv::win::SystemCursor cursor_;
    mrv::win::LowLevelMouseHook hook_;
    mrv::win::Win32FileSystem files_;
    NoAudio audio_;
    QuietView view_;
    mrv::win::UniqueWindow window_;
    mrv::win::UniqueWindow target_;
    std::optional<mrv::win::WindowTimer> timer_;
    std::optional<mrv::Recorder> recorder_;
    size_t consumed_ = 0;
    int exitCode_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: mrv_e2e_recorder --out REC [--bpp N] [--step N] [--fps N] "
                     "[--captureblt] [--click] [--stub FILE] [--control FILE] [--max-ticks N]\n");
        return 2;
    }
    return Harness(std::move(options)).Run();
}
