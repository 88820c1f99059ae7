// Win32 implementations of the recorder's clock, cursor, mouse hook, files and timer.
#include "recorder/win32/Win32Platform.h"

#include <algorithm>
#include <future>
#include <system_error>

#include "common/PubUtils.h"
#include "common/win32/WinText.h"
#include "recorder/win32/DpiAwareness.h"

namespace mrv::win {

namespace {

constexpr DWORD kMaxChunk = 1u << 30;  // ReadFile/WriteFile take 32-bit counts

// A low-level hook procedure gets no context pointer; there is one hook per process. The sink
// and handle are written by the hook's thread before it pumps and after it stops, and read only
// by the procedure on that thread.
MouseSink* gMouseSink = nullptr;
HHOOK gHook = nullptr;
bool gHookHeld = false;  // Install and Remove run on the user-interface thread only

LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (gMouseSink) gMouseSink->OnMouseMessage(nCode, static_cast<uint32_t>(wParam));
    return ::CallNextHookEx(gHook, nCode, wParam, lParam);
}

// Windows calls a low-level hook on the thread that set it, inside that thread's message
// retrieval, and holds every mouse event of the desktop until the call returns; a call that
// takes too long makes Windows drop the hook without a word. So the hook lives here, where
// nothing else runs: a slow tick on the user-interface thread can neither stall the pointer nor
// lose the hook.
void RunHookThread(MouseSink& sink, HANDLE stop, std::promise<bool> installed) {
    // Every mouse event of the desktop waits for this thread: it must not queue behind the
    // compression workers or anything else of ours.
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    gMouseSink = &sink;
    UniqueHook hook(
        ::SetWindowsHookExW(WH_MOUSE_LL, MouseHookProc, ::GetModuleHandleW(nullptr), 0));
    gHook = hook.get();
    const bool ok = static_cast<bool>(hook);
    installed.set_value(ok);
    // The stop event rather than WM_QUIT: posting to a thread can fail, setting an event cannot.
    while (ok && ::MsgWaitForMultipleObjectsEx(1, &stop, INFINITE, QS_ALLINPUT,
                                               MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    // Should unhooking fail, the thread's end takes the hook with it.
    hook.reset();
    gHook = nullptr;
    gMouseSink = nullptr;
}

bool SeekTo(HANDLE file, int64_t offset, DWORD method) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    return ::SetFilePointerEx(file, distance, nullptr, method) != 0;
}

bool WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), kMaxChunk));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes = bytes.subspan(written);
    }
    return true;
}

bool ReadAll(HANDLE file, std::span<uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), kMaxChunk));
        DWORD read = 0;
        if (!::ReadFile(file, bytes.data(), chunk, &read, nullptr)) return false;
        if (read == 0) {
            ::SetLastError(ERROR_HANDLE_EOF);
            return false;
        }
        bytes = bytes.subspan(read);
    }
    return true;
}

class Win32InputFile final : public InputFile {
  public:
    explicit Win32InputFile(UniqueFile file) : file_(std::move(file)) {}

    int64_t Read(std::span<uint8_t> bytes) override {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), kMaxChunk));
        DWORD read = 0;
        if (!::ReadFile(file_.get(), bytes.data(), chunk, &read, nullptr)) {
            lastError_ = ::GetLastError();
            return -1;
        }
        return read;
    }
    std::string LastError() override { return ErrorText(lastError_); }

  private:
    UniqueFile file_;
    DWORD lastError_ = ERROR_SUCCESS;
};

class Win32OutputFile final : public OutputFile {
  public:
    explicit Win32OutputFile(UniqueFile file) : file_(std::move(file)) {}

    bool Append(std::span<const uint8_t> bytes) override {
        return Check(SeekTo(file_.get(), 0, FILE_END) && WriteAll(file_.get(), bytes));
    }
    int64_t Size() override {
        LARGE_INTEGER size;
        if (!Check(::GetFileSizeEx(file_.get(), &size) != 0)) return -1;
        return size.QuadPart;
    }
    bool ReadAt(int64_t offset, std::span<uint8_t> bytes) override {
        return Check(SeekTo(file_.get(), offset, FILE_BEGIN) && ReadAll(file_.get(), bytes));
    }
    bool WriteAt(int64_t offset, std::span<const uint8_t> bytes) override {
        return Check(SeekTo(file_.get(), offset, FILE_BEGIN) && WriteAll(file_.get(), bytes));
    }
    bool Truncate(int64_t size) override {
        return Check(SeekTo(file_.get(), size, FILE_BEGIN) && ::SetEndOfFile(file_.get()) != 0);
    }
    std::string LastError() override { return ErrorText(lastError_); }

  private:
    // The error code is kept at the failure, before later calls overwrite it.
    bool Check(bool ok) {
        if (!ok) lastError_ = ::GetLastError();
        return ok;
    }

    UniqueFile file_;
    DWORD lastError_ = ERROR_SUCCESS;
};

bool FileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && ::GetFileInformationByHandle(file.get(), &info) != 0;
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    full.resize(written < n ? written : 0);
    return full;
}

}  // namespace

uint32_t SystemClock::TickCount() { return ::GetTickCount(); }

double SystemClock::LocalNow() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return OleDateTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

Point SystemCursor::CursorPos() {
    // At the monitors' real pixels, as the screen is read.
    ScopedPerMonitorDpi dpi;
    POINT p{};
    if (!::GetCursorPos(&p)) return {};
    return {p.x, p.y};
}

LowLevelMouseHook::~LowLevelMouseHook() { Remove(); }

bool LowLevelMouseHook::Install(MouseSink& sink) {
    if (gHookHeld) return false;
    UniqueHandleOrNull stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop) return false;
    std::promise<bool> installed;
    std::future<bool> result = installed.get_future();
    std::thread thread;
    try {
        thread = std::thread(RunHookThread, std::ref(sink), stop.get(), std::move(installed));
    } catch (const std::system_error&) {
        return false;
    }
    if (!result.get()) {
        thread.join();
        return false;
    }
    thread_ = std::move(thread);
    stop_ = std::move(stop);
    gHookHeld = true;
    return true;
}

bool LowLevelMouseHook::Remove() {
    if (!thread_.joinable()) return true;
    ::SetEvent(stop_.get());
    thread_.join();
    stop_.reset();
    gHookHeld = false;
    return true;
}

bool LowLevelMouseHook::Installed() const { return thread_.joinable(); }

bool Win32FileSystem::Exists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<InputFile> Win32FileSystem::OpenRead(const std::string& path, std::string& error) {
    // Others may keep the stub open for reading and writing meanwhile.
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        error = ErrorText(::GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32InputFile>(std::move(file));
}

std::unique_ptr<OutputFile> Win32FileSystem::Create(const std::string& path, std::string& error) {
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = ErrorText(::GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32OutputFile>(std::move(file));
}

bool Win32FileSystem::Remove(const std::string& path) {
    return ::DeleteFileW(Widen(path).c_str()) != 0;
}

bool Win32FileSystem::SameFile(const std::string& a, const std::string& b) {
    const std::wstring wa = Widen(a);
    const std::wstring wb = Widen(b);
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    if (FileIdentity(wa, ia) && FileIdentity(wb, ib)) {
        return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
               ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
    }
    // A file that does not exist yet (the INI before its first save) is compared by name.
    const std::wstring fa = FullPath(wa);
    const std::wstring fb = FullPath(wb);
    return ::CompareStringOrdinal(fa.c_str(), static_cast<int>(fa.size()), fb.c_str(),
                                  static_cast<int>(fb.size()), TRUE) == CSTR_EQUAL;
}

void WindowTimer::Start(int32_t intervalMs) {
    running_ = ::SetTimer(window_, id_, static_cast<UINT>(intervalMs), nullptr) != 0;
    // The tick timer runs exactly while a recording does.
    if (running_) AllowPowerThrottling(false);
}

void WindowTimer::Stop() {
    if (running_) {
        ::KillTimer(window_, id_);
        AllowPowerThrottling(true);
    }
    running_ = false;
}

void AllowPowerThrottling(bool allowed) {
    // Windows 10 1709 and later may slow the timers of a process without a visible window (a
    // recorder hidden in the tray) on battery, and Windows 11 may coarsen its timer
    // resolution; a recording would lose ticks. Looked up at run time: older systems lack the
    // call, and then nothing throttles us either.
    struct PowerThrottlingState {  // PROCESS_POWER_THROTTLING_STATE
        ULONG version, controlMask, stateMask;
    };
    constexpr int kProcessPowerThrottling = 4;  // PROCESS_INFORMATION_CLASS
    constexpr ULONG kExecutionSpeed = 0x1, kIgnoreTimerResolution = 0x4;
    using SetInformation = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    static const auto set = reinterpret_cast<SetInformation>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetProcessInformation")));
    if (!set) return;
    // Opted out: the bits controlled and cleared; allowed again: the system decides.
    PowerThrottlingState state{1, allowed ? 0 : kExecutionSpeed | kIgnoreTimerResolution, 0};
    if (!set(::GetCurrentProcess(), kProcessPowerThrottling, &state, sizeof state) && !allowed) {
        // Before Windows 11 the timer-resolution bit is unknown and refused as a whole.
        state.controlMask = kExecutionSpeed;
        set(::GetCurrentProcess(), kProcessPowerThrottling, &state, sizeof state);
    }
}

void LowerThisThreadPriority() {
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

ProgramFiles ProgramFilesBesideProgram() {
    ProgramFiles files;
    const std::wstring program = ProgramPath();
    files.programPath = Narrow(program);
    files.stubPath = Narrow(ProgramFolder() + L"HeadFile.hdf");
    const size_t slash = program.find_last_of(L"\\/");
    const size_t dot = program.find_last_of(L'.');
    const std::wstring stem =
        (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash))
            ? program.substr(0, dot)
            : program;
    files.iniPath = Narrow(stem + L".ini");
    return files;
}

}  // namespace mrv::win
