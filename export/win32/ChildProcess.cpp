// ChildProcess and friends on Windows: CreateProcessW with anonymous pipes for standard input,
// output and errors, a named pipe the child opens by name for the extra input, and a job
// object that ends whatever the child starts.
#include "export/ChildProcess.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "common/win32/Handles.h"
#include "common/win32/WinText.h"
#include "export/ProgramLookup.h"

namespace mrv::exporting {

namespace {

using win::UniqueHandleOrNull;

std::atomic<unsigned> nameCounter{0};
// An inheritable pipe: the child's end stays inheritable, ours does not.
bool MakePipe(UniqueHandleOrNull& childEnd, UniqueHandleOrNull& ourEnd, bool childReads) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &sa, 1 << 16)) return false;
    childEnd.reset(childReads ? read : write);
    ourEnd.reset(childReads ? write : read);
    return ::SetHandleInformation(ourEnd.get(), HANDLE_FLAG_INHERIT, 0) != 0;
}

UniqueHandleOrNull InheritableCopy(HANDLE h) {
    HANDLE copy = nullptr;
    if (h == nullptr || h == INVALID_HANDLE_VALUE ||
        !::DuplicateHandle(::GetCurrentProcess(), h, ::GetCurrentProcess(), &copy, 0, TRUE,
                           DUPLICATE_SAME_ACCESS)) {
        return UniqueHandleOrNull();
    }
    return UniqueHandleOrNull(copy);
}

// A job that ends every process in it once its last handle is closed: ffmpeg installed by a
// package manager is a small launcher whose real ffmpeg is its child, and ending the launcher
// alone would leave the encoder running with our files open.
UniqueHandleOrNull MakeKillingJob() {
    UniqueHandleOrNull job(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && !::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                          sizeof limits)) {
        job.reset();
    }
    return job;
}

// Ends every process of the job and waits (a little) until they are gone, so that the files
// they held can be removed next.
void EndJob(HANDLE job) {
    ::TerminateJobObject(job, 1);
    for (int i = 0; i < 200; ++i) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        if (!::QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info,
                                         sizeof info, nullptr) ||
            info.ActiveProcesses == 0) {
            return;
        }
        ::Sleep(10);
    }
}

class WinChild : public ChildProcess {
  public:
    WinChild(HANDLE process, UniqueHandleOrNull job, UniqueHandleOrNull in, UniqueHandleOrNull out,
             UniqueHandleOrNull extra, UniqueHandleOrNull errors)
        : process_(process),
          job_(std::move(job)),
          in_(std::move(in)),
          out_(std::move(out)),
          extra_(std::move(extra)),
          errors_(std::move(errors)) {
        drain_ = std::thread([this] {
            uint8_t buffer[4096];
            DWORD n = 0;
            while (::ReadFile(errors_.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) {
                tail_.Append(std::span(buffer, n));
            }
        });
    }
    ~WinChild() override { Wait(); }

    bool Write(std::span<const uint8_t> bytes) override { return WriteAll(in_.get(), bytes); }
    void CloseInput() override { in_.reset(); }

    bool WriteExtra(std::span<const uint8_t> bytes) override {
        if (!extra_ || !Connect()) return false;
        while (!bytes.empty()) {
            OVERLAPPED ov{};
            ov.hEvent = event_.get();
            DWORD n = 0;
            const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1 << 20));
            if (!::WriteFile(extra_.get(), bytes.data(), want, nullptr, &ov) &&
                ::GetLastError() != ERROR_IO_PENDING) {
                return false;
            }
            if (!::GetOverlappedResult(extra_.get(), &ov, &n, TRUE) || n == 0) return false;
            bytes = bytes.subspan(n);
        }
        return true;
    }
    void CloseExtra() override {
        if (extra_ && connected_) ::FlushFileBuffers(extra_.get());
        extra_.reset();
    }

    int64_t Read(std::span<uint8_t> out) override {
        if (!out_) return -1;
        DWORD n = 0;
        if (!::ReadFile(out_.get(), out.data(), static_cast<DWORD>(out.size()), &n, nullptr)) {
            return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
        }
        return n;
    }
    void CloseOutput() override { out_.reset(); }

    int Wait() override {
        in_.reset();
        extra_.reset();
        out_.reset();
        if (process_) {
            ::WaitForSingleObject(process_.get(), INFINITE);
            DWORD code = 1;
            ::GetExitCodeProcess(process_.get(), &code);
            status_ = static_cast<int>(code);
            std::lock_guard lock(kill_);
            // What it started and left behind ends with it; then nothing holds the error pipe.
            if (job_) EndJob(job_.get());
            job_.reset();
            process_.reset();
        }
        if (drain_.joinable()) drain_.join();
        return status_;
    }
    void Kill() override {
        std::lock_guard lock(kill_);
        if (job_) {
            ::TerminateJobObject(job_.get(), 1);
        } else if (process_) {
            ::TerminateProcess(process_.get(), 1);
        }
    }
    std::string LastErrorLine() override { return tail_.LastLine(); }

  private:
    static bool WriteAll(HANDLE h, std::span<const uint8_t> bytes) {
        while (!bytes.empty() && h != nullptr) {
            DWORD n = 0;
            const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1 << 20));
            if (!::WriteFile(h, bytes.data(), want, &n, nullptr) || n == 0) return false;
            bytes = bytes.subspan(n);
        }
        return bytes.empty();
    }

    // Waits until the child opens the named pipe, or fails when it ends without doing so.
    bool Connect() {
        if (connected_) return true;
        if (!event_) event_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        OVERLAPPED ov{};
        ov.hEvent = event_.get();
        if (::ConnectNamedPipe(extra_.get(), &ov)) {
            connected_ = true;
        } else if (::GetLastError() == ERROR_PIPE_CONNECTED) {
            connected_ = true;
        } else if (::GetLastError() == ERROR_IO_PENDING) {
            const HANDLE waits[] = {event_.get(), process_.get()};
            if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) {
                DWORD ignored = 0;
                connected_ = ::GetOverlappedResult(extra_.get(), &ov, &ignored, FALSE) != 0;
            } else {
                // The count must have a place: the system writes it even here.
                DWORD ignored = 0;
                ::CancelIo(extra_.get());
                ::GetOverlappedResult(extra_.get(), &ov, &ignored, TRUE);
            }
        }
        return connected_;
    }

    UniqueHandleOrNull process_;
    UniqueHandleOrNull job_;  // or null where the system refused one
    std::mutex kill_;         // Kill comes from another thread
    UniqueHandleOrNull in_, out_, extra_, errors_;
    ErrorTail tail_;
    std::thread drain_;
    UniqueHandleOrNull event_;
    bool connected_ = false;
    int status_ = -1;
};

}  // namespace

std::string ExtraInputName() {
    return "\\\\.\\pipe\\mrvtool-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(::GetTickCount64()) + "-" + std::to_string(nameCounter++);
}

std::unique_ptr<ChildProcess> StartChild(const ChildSpec& request, std::string& error) {
    UniqueHandleOrNull childIn, ourIn, childOut, ourOut, childErr, ourErr, ourExtra;
    if ((request.pipeInput && !MakePipe(childIn, ourIn, true)) ||
        (request.pipeOutput && !MakePipe(childOut, ourOut, false)) ||
        !MakePipe(childErr, ourErr, false)) {
        error = "cannot make a pipe: " + win::ErrorText(::GetLastError());
        return nullptr;
    }
    if (!request.extraInput.empty()) {
        const HANDLE pipe = ::CreateNamedPipeW(
            win::Widen(request.extraInput).c_str(),
            PIPE_ACCESS_OUTBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
            PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 1 << 16, 1 << 16, 0,
            nullptr);
        if (pipe == INVALID_HANDLE_VALUE) {
            error = "cannot make a pipe: " + win::ErrorText(::GetLastError());
            return nullptr;
        }
        ourExtra.reset(pipe);
    }
    // Handles the child gets where nothing is piped: nothing to read, our own output.
    UniqueHandleOrNull nul(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    if (nul.get() == INVALID_HANDLE_VALUE) nul.release();
    UniqueHandleOrNull in = childIn ? std::move(childIn) : InheritableCopy(nul.get());
    UniqueHandleOrNull out =
        childOut ? std::move(childOut) : InheritableCopy(::GetStdHandle(STD_OUTPUT_HANDLE));

    std::string line = QuoteWindowsArgument(request.program);
    for (const std::string& a : request.args) line += " " + QuoteWindowsArgument(a);
    std::wstring wline = win::Widen(line);
    const std::wstring program = win::Widen(request.program);

    // Only these three handles reach the child, even while another export starts a child of
    // its own with its pipes inheritable at the same moment.
    std::vector<HANDLE> inherited;
    for (HANDLE h : {in.get(), out.get(), childErr.get()}) {
        if (h && std::find(inherited.begin(), inherited.end(), h) == inherited.end()) {
            inherited.push_back(h);
        }
    }
    SIZE_T listBytes = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &listBytes);
    std::vector<uint8_t> listMemory(listBytes);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listMemory.data());
    if (!::InitializeProcThreadAttributeList(list, 1, 0, &listBytes)) {
        error = "cannot start " + request.program + ": " + win::ErrorText(::GetLastError());
        return nullptr;
    }
    struct ListOwner {
        LPPROC_THREAD_ATTRIBUTE_LIST list;
        ~ListOwner() { ::DeleteProcThreadAttributeList(list); }
    } listOwner{list};
    if (!::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.data(),
                                     inherited.size() * sizeof(HANDLE), nullptr, nullptr)) {
        error = "cannot start " + request.program + ": " + win::ErrorText(::GetLastError());
        return nullptr;
    }

    STARTUPINFOEXW si{};
    si.StartupInfo.cb = sizeof si;
    si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    si.StartupInfo.hStdInput = in.get();
    si.StartupInfo.hStdOutput = out.get();
    si.StartupInfo.hStdError = childErr.get();
    si.lpAttributeList = list;
    PROCESS_INFORMATION pi{};
    // A program without a console (the player) would give ffmpeg a console window of its own
    // over the player's; with one (mrvtool) the child shares it.
    const DWORD noWindow = ::GetConsoleWindow() ? 0 : CREATE_NO_WINDOW;
    // Suspended until it is in the job, so that nothing it starts escapes the job.
    const DWORD flags = CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED | noWindow;
    bool started = ::CreateProcessW(program.c_str(), wline.data(), nullptr, nullptr, TRUE,
                                    flags | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                                    &si.StartupInfo, &pi) != 0;
    // Windows 7 refuses a list holding its console's pseudo handles (mrvtool's output): there
    // the child inherits as before.
    if (!started && ::GetLastError() == ERROR_INVALID_PARAMETER) {
        si.StartupInfo.cb = sizeof si.StartupInfo;
        started = ::CreateProcessW(program.c_str(), wline.data(), nullptr, nullptr, TRUE, flags,
                                   nullptr, nullptr, &si.StartupInfo, &pi) != 0;
    }
    if (!started) {
        error = "cannot start " + request.program + ": " + win::ErrorText(::GetLastError());
        return nullptr;
    }
    UniqueHandleOrNull job = MakeKillingJob();
    // Where the system refuses (a job we are in that forbids nesting), ending the child alone
    // is what is left.
    if (job && !::AssignProcessToJobObject(job.get(), pi.hProcess)) job.reset();
    ::ResumeThread(pi.hThread);
    ::CloseHandle(pi.hThread);
    return std::make_unique<WinChild>(pi.hProcess, std::move(job), std::move(ourIn),
                                      std::move(ourOut), std::move(ourExtra), std::move(ourErr));
}

std::string MakePrivateTempFolder(std::string& error) {
    wchar_t base[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) {
        error = "cannot find the temporary folder";
        return {};
    }
    // The user's own temporary folder is closed to others; the name only has to be new.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring dir =
            std::wstring(base) + L"mrvtool-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(nameCounter++);
        if (::CreateDirectoryW(dir.c_str(), nullptr)) return win::Narrow(dir);
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    error = "cannot make a temporary folder in " + win::Narrow(base) + ": " +
            win::ErrorText(::GetLastError());
    return {};
}

}  // namespace mrv::exporting
