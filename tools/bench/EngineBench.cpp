// Google Benchmark of the engine's ticks over the generated inputs, preloaded so that no PNG
// decoding runs between them: wall time per tick is the records written per second, CPU time
// the user-interface thread's share. Frames come from MRV_BENCH_FRAMES (default
// build/native/bench-frames), as scripts/bench-engine leaves them; the stub and the recording
// go to a temporary folder.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tools/lib/Replay.h"

namespace {

namespace fs = std::filesystem;
using mrv::tools::ReadPng;
using mrv::tools::Replay;
using mrv::tools::RgbImage;

constexpr size_t kMaxFrames = 12;  // enough variety, and bounded memory at 1920x1080

std::vector<RgbImage> LoadFrames(const std::string& kind, std::string& error) {
    const size_t maxFrames = kind.find("4k") != std::string::npos ? 6 : kMaxFrames;
    const char* root = std::getenv("MRV_BENCH_FRAMES");
    const fs::path dir = fs::path(root ? root : "build/native/bench-frames") / kind;
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::vector<RgbImage> frames;
    for (size_t i = 0; i < files.size() && frames.size() < maxFrames; ++i) {
        RgbImage image;
        if (!ReadPng(files[i].string(), image, error)) return {};
        frames.push_back(std::move(image));
    }
    if (frames.empty()) error = "no frames in " + dir.string() + "; run scripts/bench-engine first";
    return frames;
}

// `inFourK` records the frames as an area in the middle of a 3840x2160 screen.
void EngineTick(benchmark::State& state, const std::string& kind, bool inFourK = false) {
    std::string error;
    const std::vector<RgbImage> frames = LoadFrames(kind, error);
    if (frames.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    const int workers = static_cast<int>(state.range(0));
    const fs::path work = fs::temp_directory_path() / ("mrv-bench-" + kind);
    fs::create_directories(work);
    std::ofstream(work / "stub.bin") << "stub";
    mrv::tools::ReplayOptions options;
    options.stubPath = (work / "stub.bin").string();
    options.outPath = (work / "out.exe").string();
    options.workers = workers;
    if (inFourK) {
        options.screenWidth = 3840;
        options.screenHeight = 2160;
        options.areaLeft = (3840 - frames[0].width) / 2;
        options.areaTop = (2160 - frames[0].height) / 2;
    }
    Replay replay;
    if (!replay.Start(frames[0].width, frames[0].height, options, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    // The first tick captures the whole screen; keep it out of the figures.
    replay.Show(frames[0]);
    replay.Tick(error);
    size_t next = 1 % frames.size();
    // Putting the frame on the simulated screen stays in the timing: the workers go on
    // meanwhile, so leaving it out would credit them with time they did not have. It stands
    // for the screen grabs of a real tick.
    for (auto _ : state) {
        replay.Show(frames[next]);
        next = (next + 1) % frames.size();
        if (!replay.Tick(error)) state.SkipWithError(error.c_str());
    }
    state.SetItemsProcessed(state.iterations());
    replay.Stop(error);
    fs::remove_all(work);
}

// The argument is the number of compression workers.
BENCHMARK_CAPTURE(EngineTick, idle, std::string("idle"))
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EngineTick, typing, std::string("typing"))
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EngineTick, scrolling, std::string("scrolling"))
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
// 1280x720 alone, and as an area of a 3840x2160 screen: the same work, so the same cost.
BENCHMARK_CAPTURE(EngineTick, scrolling720, std::string("scrolling-720p"))
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EngineTick, scrolling720in4k, std::string("scrolling-720p"), true)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EngineTick, page4k, std::string("page-4k"))
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
