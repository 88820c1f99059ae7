// A stand-in ffmpeg for the export tests: it reads the pictures piped to it and the extra sound
// input, and writes, to the file named last, how many bytes arrived on each and the arguments it
// got, so the tests see exactly what mrvtool passed. As the sound decoder (output "pipe:1") it
// answers with silence of the right length. MRV_FAKE_FFMPEG_FAIL=1 makes it fail after reading;
// MRV_FAKE_FFMPEG_SLEEP=S makes it wait S seconds before it reads.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
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
    const char* fail = std::getenv("MRV_FAKE_FFMPEG_FAIL");
    return fail && *fail == '1' ? 1 : 0;
}
