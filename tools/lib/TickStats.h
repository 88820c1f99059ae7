// Per-tick figures of a replay and their percentiles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mrv::tools {

// CPU time of the calling thread in milliseconds (wall time where the platform has no
// fine-grained thread clock).
double CpuNowMs();
// True when CpuNowMs is a wall clock, so that it also counts time spent waiting.
bool CpuClockCountsWaits();

struct Percentiles {
    double p50 = 0;
    double p95 = 0;
    double max = 0;
    double total = 0;
};

// Nearest-rank percentiles: p of n sorted values is the value at rank ceil(p * n).
Percentiles Summarise(std::vector<double> values);

struct TickSample {
    double detectMs = 0;
    double compressMs = 0;
    double tickMs = 0;     // the tick's whole work on every thread
    double uiMs = 0;       // the user-interface thread's work, waits left out
    double waitMs = 0;     // waiting for a free tick buffer
    bool stalled = false;  // the tick waited
    int64_t payloadBytes = 0;
    int64_t recordBytes = 0;
};

// Figures of a whole replay.
struct RunFigures {
    int workers = 0;
    double wallMs = 0;  // first tick to the last record on disk
};

std::string StatsJson(const std::vector<TickSample>& ticks, const RunFigures& run);
std::string StatsText(const std::vector<TickSample>& ticks, const RunFigures& run);

}  // namespace mrv::tools
