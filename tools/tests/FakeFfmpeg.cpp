// A stand-in ffmpeg for the export tests: it reads the pictures piped to it and the extra sound
// input, and writes, to the file named last, how many bytes arrived on each and the arguments it
// got, so the tests see exactly what mrvtool passed. As the sound decoder (output "pipe:1") it
// answers with silence of the right length. MRV_FAKE_FFMPEG_FAIL=1 makes it fail after reading,
// with an error line; MRV_FAKE_FFMPEG_SLEEP=S makes it wait S seconds before it reads. Its
// `-version` is MRV_FAKE_FFMPEG_VERSION's (6.1 by default), without libx264 when
// MRV_FAKE_FFMPEG_NO_X264=1. MRV_FAKE_FFMPEG_LOG=FILE gets "start PROGRAM LAST-ARGUMENT", "woke"
// (after the sleep) and "end" lines: a run killed in its sleep has neither. On Windows
// MRV_FAKE_FFMPEG_LAUNCH=1 makes it a launcher, as package managers install ffmpeg: it runs
// itself as a child with its standard handles and waits.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

long long Drain(std::FILE* f, std::vector<char>* keep = nullptr) {
    char buffer[65536];
    long long total = 0;
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        total += static_cast<long long>(n);
        if (keep) keep->insert(keep->end(), buffer, buffer + n);
    }
    return total;
}

std::string Unprefixed(const char* arg) {
    return std::strncmp(arg, "file:", 5) == 0 ? arg + 5 : arg;
}

void Log(const std::string& line) {
    const char* log = std::getenv("MRV_FAKE_FFMPEG_LOG");
    if (!log || !*log) return;
    if (std::FILE* f = std::fopen(log, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

std::string Self([[maybe_unused]] const char* argv0) {
#ifdef _WIN32
    char name[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, name, MAX_PATH);
    return name;
#else
    return argv0;
#endif
}

#ifdef _WIN32
// The launcher: the same command line for the real program, its handles passed on.
int Launch() {
    ::SetEnvironmentVariableW(L"MRV_FAKE_FFMPEG_LAUNCH", nullptr);
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = ::GetCommandLineW();
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(self, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                          &pi)) {
        return 1;
    }
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    return static_cast<int>(code);
}
#endif

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
#ifdef _WIN32
    if (const char* launch = std::getenv("MRV_FAKE_FFMPEG_LAUNCH"); launch && *launch == '1') {
        return Launch();
    }
#endif
    Log("start " + Self(argv[0]) + " " + argv[argc - 1]);
    if (std::string(argv[argc - 1]) == "-version") {
        const char* version = std::getenv("MRV_FAKE_FFMPEG_VERSION");
        const char* noX264 = std::getenv("MRV_FAKE_FFMPEG_NO_X264");
        std::printf("ffmpeg version %s Copyright (c) 2000-2023 the FFmpeg developers\n",
                    version && *version ? version : "6.1");
        std::printf("configuration: --enable-gpl%s\n",
                    noX264 && *noX264 == '1' ? "" : " --enable-libx264");
        Log("end");
        return 0;
    }
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::string last = argv[argc - 1];
    if (last == "pipe:1") {  // the GSM 6.10 WAV in, 320 samples of 16 bits per 65-byte block out
        const long long bytes = Drain(stdin);
        const long long samples = bytes > 60 ? (bytes - 60) / 65 * 320 : 0;
        const std::vector<char> zeros(640, 0);
        for (long long i = 0; i < samples / 320; ++i) std::fwrite(zeros.data(), 1, 640, stdout);
        return 0;
    }
    if (const char* sleep = std::getenv("MRV_FAKE_FFMPEG_SLEEP")) {
        std::this_thread::sleep_for(std::chrono::seconds(std::atoi(sleep)));
        Log("woke");
    }
    const long long total = Drain(stdin);
    long long extra = -1;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-i") != 0 || std::strcmp(argv[i + 1], "pipe:0") == 0) continue;
        std::string name = Unprefixed(argv[i + 1]);
        if (name == "pipe:3") {
#ifndef _WIN32
            if (std::FILE* f = fdopen(3, "rb")) extra = Drain(f);
#endif
        } else if (name.rfind("\\\\.\\pipe\\", 0) == 0) {
            if (std::FILE* f = std::fopen(name.c_str(), "rb")) {
                extra = Drain(f);
                std::fclose(f);
            }
        }
    }
    std::FILE* out = std::fopen(Unprefixed(argv[argc - 1]).c_str(), "wb");
    if (!out) return 1;
    std::fprintf(out, "bytes %lld\n", total);
    if (extra >= 0) std::fprintf(out, "extra %lld\n", extra);
    for (int i = 1; i < argc; ++i) std::fprintf(out, "arg %s\n", argv[i]);
    if (std::fclose(out) != 0) return 1;
    Log("end");
    const char* fail = std::getenv("MRV_FAKE_FFMPEG_FAIL");
    if (fail && *fail == '1') {
        std::fprintf(stderr, "[out#0/mp4 @ 0x1] starting\nConversion failed: fake at frame 7\n");
        return 1;
    }
    return 0;
}
