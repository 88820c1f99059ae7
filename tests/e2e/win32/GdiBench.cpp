// Benchmark: one tick's sampled-line grabs with a fresh DC and bitmap per line vs reused ones.
//
// Usage: mrv_bench_gdi [--ticks N] [--step N] [--bpp N]
// Both ways grab the same lines of the (unchanging) screen; the program fails when their pixels
// differ. Prints the median and mean milliseconds per tick of each way and their ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/win32/Handles.h"
#include "recorder/StreamFormat.h"
#include "recorder/win32/GdiScreenSource.h"

namespace {

double NowMs() {
    LARGE_INTEGER count, frequency;
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x;
    return sum / static_cast<double>(v.size());
}

}  // namespace

int main(int argc, char** argv) {
    int ticks = 40, step = 17, bpp = 32;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (arg == "--ticks") ticks = std::max(1, value);
        if (arg == "--step") step = std::max(1, value);
        if (arg == "--bpp") bpp = value;
    }
    if (!mrv::IsValidDepth(bpp)) {
        std::fprintf(stderr, "usage: mrv_bench_gdi [--ticks N] [--step N] [--bpp 4|8|16|32]\n");
        return 2;
    }
    mrv::win::GdiScreenSource screen;
    const mrv::ScreenSize size = screen.Size();
    const mrv::FrameGeometry g = mrv::MakeGeometry(size.width, size.height, bpp);
    std::vector<uint8_t> info = mrv::MakeBitmapInfo(size.width, size.height, bpp);
    screen.GrabRect(0, 0, size.width, size.height, info, nullptr, mrv::kSrcCopy);

    const size_t lines = static_cast<size_t>((size.height + step - 1) / step);
    std::vector<uint8_t> naive(lines * static_cast<size_t>(g.bytesPerLine));
    std::vector<uint8_t> reused(naive.size());
    std::vector<double> naiveMs, reusedMs, blitMs;
    bool identical = true;
    int phase = 0;
    for (int t = 0; t < ticks; ++t) {
        // Alternate the two ways over the same lines so that both see the same screen.
        double start = NowMs();
        {
            mrv::win::WindowDC dc(nullptr);
            size_t i = 0;
            for (int y = phase; y < size.height; y += step, ++i) {
                mrv::win::GrabRectFresh(dc.get(), 0, y, size.width, 1, info,
                                        naive.data() + i * static_cast<size_t>(g.bytesPerLine),
                                        mrv::kSrcCopy);
            }
        }
        naiveMs.push_back(NowMs() - start);

        start = NowMs();
        screen.BeginTick();
        size_t i = 0;
        for (int y = phase; y < size.height; y += step, ++i) {
            screen.GrabRect(0, y, size.width, 1, info,
                            reused.data() + i * static_cast<size_t>(g.bytesPerLine), mrv::kSrcCopy);
        }
        screen.EndTick();
        reusedMs.push_back(NowMs() - start);

        // The copies alone, without the conversion: the floor for any way of grabbing lines.
        start = NowMs();
        {
            mrv::win::WindowDC dc(nullptr);
            mrv::win::UniqueMemoryDC memory(::CreateCompatibleDC(dc.get()));
            mrv::win::UniqueBitmap line(::CreateCompatibleBitmap(dc.get(), size.width, 1));
            mrv::win::ScopedSelect select(memory.get(), line.get());
            for (int y = phase; y < size.height; y += step) {
                ::BitBlt(memory.get(), 0, 0, size.width, 1, dc.get(), 0, y, mrv::kSrcCopy);
            }
        }
        blitMs.push_back(NowMs() - start);

        const size_t used = i * static_cast<size_t>(g.bytesPerLine);
        if (std::memcmp(naive.data(), reused.data(), used) != 0) identical = false;
        phase = (phase + 3) % step;
    }
    const double naiveMedian = Median(naiveMs);
    const double reusedMedian = Median(reusedMs);
    std::printf("screen %dx%d, %d bits, step %d, %zu lines a tick, %d ticks\n", size.width,
                size.height, bpp, step, lines, ticks);
    std::printf("fresh DC+bitmap per line: median %.2f ms/tick, mean %.2f\n", naiveMedian,
                Mean(naiveMs));
    std::printf("reused per tick:          median %.2f ms/tick, mean %.2f\n", reusedMedian,
                Mean(reusedMs));
    std::printf("BitBlt alone:             median %.2f ms/tick, mean %.2f\n", Median(blitMs),
                Mean(blitMs));
    std::printf("ratio %.1fx; pixels %s\n", naiveMedian / reusedMedian,
                identical ? "identical" : "DIFFER");
    return identical ? 0 : 1;
}
