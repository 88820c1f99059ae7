// Per-tick figures of a replay and their percentiles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mrv::tools {

// CPU time of the calling thread in milliseconds (wall time where the platform has no
// fine-grained thread clock).
double CpuNowMs();

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
    double tickMs = 0;
    int64_t payloadBytes = 0;
    int64_t recordBytes = 0;
};

std::string StatsJson(const std::vector<TickSample>& ticks);
std::string StatsText(const std::vector<TickSample>& ticks);

}  // namespace mrv::tools
