// A stand-in for ffmpeg.exe in mrvtool.exe's export test under Wine: it reads the frames piped
// to it and writes, to the file named last, how many bytes arrived and the arguments it got,
// so the test sees whether the command line survived cmd.exe and the pipe stayed binary.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    _setmode(_fileno(stdin), _O_BINARY);
    char buffer[65536];
    long long total = 0;
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
        total += static_cast<long long>(n);
    std::FILE* out = std::fopen(argv[argc - 1], "wb");
    if (!out) return 1;
    std::fprintf(out, "bytes %lld\n", total);
    for (int i = 1; i < argc; ++i) std::fprintf(out, "arg %s\n", argv[i]);
    return std::fclose(out) == 0 ? 0 : 1;
}
