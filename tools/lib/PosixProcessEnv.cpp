// mrvtool's program environment on POSIX.
#include <signal.h>

#include <cstdlib>
#include <filesystem>

#include "tools/lib/ProcessEnv.h"

namespace mrv::tools {

namespace {
volatile sig_atomic_t interrupted = 0;
void OnInterrupt(int) { interrupted = 1; }
}  // namespace

std::string SelfDirectory() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

std::string PathVariable() {
    const char* path = std::getenv("PATH");
    return path ? path : "";
}

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;  // no SA_RESTART: a blocked write returns
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool Interrupted() { return interrupted != 0; }

// A signal handler returns and the program goes on to clean up by itself: nothing to wait for.
void CleanedUp() {}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace mrv::tools
