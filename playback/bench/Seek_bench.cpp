// What a backward seek costs on a long recording, with and without snapshots.
//   mrv_playback_bench --benchmark_min_time=0.5
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "common/ByteOrder.h"
#include "playback/FrameSeeker.h"
#include "playback/Timeline.h"
#include "recorder/StreamFormat.h"
#include "recorder/StreamReader.h"
#include "tests/support/StreamBuilder.h"

namespace {

using namespace mrv;

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 720;
constexpr int kRecords = 1200;  // a minute at 20 per second

// Every record repaints a 48-line band with noisy pixels, like a scrolling page.
const std::vector<uint8_t>& LongStream() {
    static const std::vector<uint8_t> bytes = [] {
        testing::StreamBuilder stream(kWidth, kHeight);
        stream.Stop(kRecords, kRecords * 50);
        uint32_t seed = 1;
        for (int r = 0; r < kRecords; ++r) {
            std::vector<uint8_t> items;
            const int32_t top = (r * 48) % (kHeight - 48);
            AppendRectHeader(items, Rect{0, top, kWidth, top + 48});
            const size_t at = items.size();
            items.resize(at + static_cast<size_t>(48) * stream.geometry.bytesPerLine);
            for (size_t p = at; p < items.size(); p += 4) {
                seed = seed * 1103515245u + 12345u;
                PutU32(items.data() + p, (seed >> 24) & 0x0F0F0Fu);  // few colours, like text
            }
            stream.AddItems(items);
        }
        return stream.Bytes();
    }();
    return bytes;
}

// From the end back to somewhere in the last third, the typical "replay that bit" drag; the
// targets vary so that the distance to the nearest snapshot is not always the same.
void BackwardSeek(benchmark::State& state, int64_t budgetBytes) {
    const auto& bytes = LongStream();
    StreamReader reader;
    reader.Open(bytes);
    playback::Timeline timeline;
    timeline.Build(bytes, reader.header());
    playback::FrameSeeker seeker(reader, timeline, budgetBytes);
    seeker.GoTo(kRecords - 1);  // plays through once, taking the snapshots
    int64_t decoded = 0;
    int32_t step = 0;
    for (auto _ : state) {
        seeker.GoTo(kRecords * 2 / 3 + (step++ * 37) % (kRecords / 3));
        decoded += seeker.recordsDecoded();
        state.PauseTiming();
        seeker.GoTo(kRecords - 1);
        state.ResumeTiming();
    }
    state.counters["records_decoded"] =
        benchmark::Counter(static_cast<double>(decoded), benchmark::Counter::kAvgIterations);
    state.counters["snapshots"] = seeker.snapshotsTaken();
    state.counters["stream_MB"] = static_cast<double>(bytes.size()) / 1e6;
}

void BM_BackwardSeekWithSnapshots(benchmark::State& state) {
    BackwardSeek(state, playback::kSnapshotBudgetBytes);
}
void BM_BackwardSeekWithoutSnapshots(benchmark::State& state) { BackwardSeek(state, 0); }

BENCHMARK(BM_BackwardSeekWithSnapshots)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackwardSeekWithoutSnapshots)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
