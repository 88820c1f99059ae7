// ChildProcess and friends on POSIX: posix_spawn with pipes, the extra input as file descriptor 3.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "export/ChildProcess.h"
#include "export/ProgramLookup.h"

extern char** environ;

namespace mrv::exporting {

namespace {

class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { Close(); }
    int get() const { return fd_; }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_ = -1;
};

bool MakePipe(Fd& read, Fd& write) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    read.Reset(fds[0]);
    write.Reset(fds[1]);
    return true;
}

bool WriteAll(Fd& fd, std::span<const uint8_t> bytes) {
    while (!bytes.empty() && fd.get() >= 0) {
        const ssize_t n = ::write(fd.get(), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes = bytes.subspan(static_cast<size_t>(n));
    }
    return bytes.empty();
}

class PosixChild : public ChildProcess {
  public:
    PosixChild(pid_t pid, Fd& in, Fd& out, Fd& extra, Fd& errors) : pid_(pid) {
        in_.Reset(in.Release());
        out_.Reset(out.Release());
        extra_.Reset(extra.Release());
        errors_.Reset(errors.Release());
        drain_ = std::thread([this] {
            uint8_t buffer[4096];
            for (ssize_t n; (n = ::read(errors_.get(), buffer, sizeof buffer)) != 0;) {
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) break;
                tail_.Append(std::span(buffer, static_cast<size_t>(n)));
            }
        });
    }
    ~PosixChild() override { Wait(); }
    bool Write(std::span<const uint8_t> bytes) override { return WriteAll(in_, bytes); }
    void CloseInput() override { in_.Close(); }
    bool WriteExtra(std::span<const uint8_t> bytes) override { return WriteAll(extra_, bytes); }
    void CloseExtra() override { extra_.Close(); }
    int64_t Read(std::span<uint8_t> out) override {
        if (out_.get() < 0) return -1;
        for (;;) {
            const ssize_t n = ::read(out_.get(), out.data(), out.size());
            if (n < 0 && errno == EINTR) continue;
            return n;
        }
    }
    void CloseOutput() override { out_.Close(); }
    int Wait() override {
        in_.Close();
        extra_.Close();
        out_.Close();
        const pid_t pid = pid_;
        if (pid > 0) {
            // Waited for without reaping, then reaped under the lock: Kill must never signal a
            // process id that was given to another process meanwhile.
            siginfo_t info{};
            while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0 &&
                   errno == EINTR) {
            }
            std::lock_guard lock(kill_);
            // What it started and left behind goes with it (its group outlives it while it is
            // not reaped), and then nothing holds the error pipe open.
            ::kill(-pid, SIGKILL);
            if (drain_.joinable()) drain_.join();
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            pid_ = -1;
        }
        return status_;
    }
    void Kill() override {
        std::lock_guard lock(kill_);
        if (pid_ > 0) ::kill(-pid_, SIGKILL);  // its own process group: it and its children
    }
    std::string LastErrorLine() override { return tail_.LastLine(); }

  private:
    std::atomic<pid_t> pid_;
    std::mutex kill_;
    Fd in_, out_, extra_, errors_;
    ErrorTail tail_;
    std::thread drain_;
    int status_ = -1;
};

}  // namespace

std::string ExtraInputName() { return "pipe:3"; }

std::unique_ptr<ChildProcess> StartChild(const ChildSpec& request, std::string& error) {
    // A child that stops reading must show as a failed write, not kill us.
    ::signal(SIGPIPE, SIG_IGN);
    Fd inRead, inWrite, outRead, outWrite, extraRead, extraWrite, errRead, errWrite;
    if (!MakePipe(errRead, errWrite) || (request.pipeInput && !MakePipe(inRead, inWrite)) ||
        (request.pipeOutput && !MakePipe(outRead, outWrite)) ||
        (!request.extraInput.empty() && !MakePipe(extraRead, extraWrite))) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (inRead.get() >= 0) posix_spawn_file_actions_adddup2(&actions, inRead.get(), 0);
    if (outWrite.get() >= 0) posix_spawn_file_actions_adddup2(&actions, outWrite.get(), 1);
    if (extraRead.get() >= 0) posix_spawn_file_actions_adddup2(&actions, extraRead.get(), 3);
    posix_spawn_file_actions_adddup2(&actions, errWrite.get(), 2);
    // A group of its own, so that a kill reaches what it starts (a launcher's real program).
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::vector<char*> argv;
    std::string name = request.program;
    argv.push_back(name.data());
    std::vector<std::string> args = request.args;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc =
        ::posix_spawn(&pid, request.program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) {
        error = "cannot start " + request.program + ": " + std::strerror(rc);
        return nullptr;
    }
    errWrite.Close();  // the child's copy is the only one: its end is the pipe's end
    return std::make_unique<PosixChild>(pid, inWrite, outRead, extraWrite, errRead);
}

std::string MakePrivateTempFolder(std::string& error) {
    std::error_code ec;
    auto base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / "mrvtool-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {  // mode 0700
        error = "cannot make a temporary folder in " + base.string() + ": " + std::strerror(errno);
        return {};
    }
    return pattern;
}

}  // namespace mrv::exporting
