// Google Benchmark of one engine tick (detection and compression) over the generated inputs.
// Frames come from MRV_BENCH_FRAMES (default build/native/bench-frames), as scripts/bench-engine
// leaves them; the stub and the recording go to a temporary folder.
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
    const char* root = std::getenv("MRV_BENCH_FRAMES");
    const fs::path dir = fs::path(root ? root : "build/native/bench-frames") / kind;
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::vector<RgbImage> frames;
    for (size_t i = 0; i < files.size() && frames.size() < kMaxFrames; ++i) {
        RgbImage image;
        if (!ReadPng(files[i].string(), image, error)) return {};
        frames.push_back(std::move(image));
    }
    if (frames.empty()) error = "no frames in " + dir.string() + "; run scripts/bench-engine first";
    return frames;
}

void EngineTick(benchmark::State& state, const std::string& kind) {
    std::string error;
    const std::vector<RgbImage> frames = LoadFrames(kind, error);
    if (frames.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    const fs::path work = fs::temp_directory_path() / ("mrv-bench-" + kind);
    fs::create_directories(work);
    std::ofstream(work / "stub.bin") << "stub";
    mrv::tools::ReplayOptions options;
    options.stubPath = (work / "stub.bin").string();
    options.outPath = (work / "out.exe").string();
    Replay replay;
    if (!replay.Start(frames[0].width, frames[0].height, options, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    // The first tick captures the whole screen; keep it out of the figures.
    replay.Show(frames[0]);
    mrv::tools::TickSample sample;
    replay.Tick(sample, error);
    size_t next = 1 % frames.size();
    for (auto _ : state) {
        state.PauseTiming();
        replay.Show(frames[next]);
        next = (next + 1) % frames.size();
        state.ResumeTiming();
        if (!replay.Tick(sample, error)) state.SkipWithError(error.c_str());
    }
    replay.Stop(error);
    fs::remove_all(work);
}

BENCHMARK_CAPTURE(EngineTick, idle, std::string("idle"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EngineTick, typing, std::string("typing"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EngineTick, scrolling, std::string("scrolling"))->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
