// What the time-stretch costs per second of sound at each speed.
//   mrv_stretch_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "playback/TimeStretch.h"

namespace {

using namespace mrv::playback;

constexpr int kSeconds = 10;

// Something like a voice: a wandering fundamental with partials, and some noise.
std::vector<int16_t> Voice(int32_t rate) {
    std::vector<int16_t> pcm(static_cast<size_t>(rate) * kSeconds);
    std::mt19937 random(1);
    double phase = 0;
    for (size_t i = 0; i < pcm.size(); ++i) {
        const double t = double(i) / rate;
        phase +=
            2 * std::numbers::pi * (140 + 30 * std::sin(2 * std::numbers::pi * 0.7 * t)) / rate;
        const double v = 5000 * std::sin(phase) + 2500 * std::sin(2 * phase) +
                         1200 * std::sin(3 * phase) + double(random() % 1500) - 750;
        pcm[i] = static_cast<int16_t>(v);
    }
    return pcm;
}

// The player's way: 100 ms of recording pushed, whatever is ready pulled into wave-out buffers.
void Stretch(benchmark::State& state) {
    const auto rate = static_cast<int32_t>(state.range(0));
    const auto speed = static_cast<Speed>(state.range(1));
    const std::vector<int16_t> in = Voice(rate);
    std::vector<int16_t> out(static_cast<size_t>(rate) * 2);
    TimeStretcher ts(rate);
    ts.SetSpeed(speed);
    ts.SetVolume(80);
    const size_t chunk = static_cast<size_t>(rate) / 10;
    for (auto _ : state) {
        ts.Reset();
        for (size_t at = 0; at < in.size(); at += chunk) {
            ts.Push(std::span(in).subspan(at, std::min(chunk, in.size() - at)));
            while (ts.Pull(out) > 0) {
            }
        }
        ts.Finish();
        while (ts.Pull(out) > 0) {
        }
        benchmark::DoNotOptimize(out.data());
    }
    // CPU time per second of recording played.
    state.counters["per_s_of_sound"] = benchmark::Counter(
        kSeconds, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(Stretch)
    ->ArgsProduct({{8000, 44100}, {1, 2, 3, 4}})
    ->ArgNames({"rate", "halves"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
