// Replay statistics: nearest-rank percentiles, printed as a table or as one JSON object.
#include "tools/lib/TickStats.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>

#ifndef _WIN32
#include <time.h>
#endif

namespace mrv::tools {

double CpuNowMs() {
#ifdef _WIN32
    // The Windows thread clock ticks in 15.6 ms steps: useless for sub-millisecond ticks.
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
#else
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
#endif
}

bool CpuClockCountsWaits() {
#ifdef _WIN32
    return true;
#else
    return false;
#endif
}

Percentiles Summarise(std::vector<double> values) {
    Percentiles p;
    if (values.empty()) return p;
    std::sort(values.begin(), values.end());
    const auto rank = [&](double q) {
        const size_t r = static_cast<size_t>(std::ceil(q * static_cast<double>(values.size())));
        return values[std::clamp<size_t>(r, 1, values.size()) - 1];
    };
    p.p50 = rank(0.50);
    p.p95 = rank(0.95);
    p.max = values.back();
    for (double v : values) p.total += v;
    return p;
}

namespace {

template <typename Field>
Percentiles Column(const std::vector<TickSample>& ticks, Field field) {
    std::vector<double> values;
    values.reserve(ticks.size());
    for (const TickSample& t : ticks) values.push_back(static_cast<double>(std::invoke(field, t)));
    return Summarise(std::move(values));
}

std::string Format(const char* pattern, auto... values) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, values...);
    return buffer;
}

std::string JsonTimes(const Percentiles& p) {
    return Format("{\"p50\": %.4f, \"p95\": %.4f, \"max\": %.4f}", p.p50, p.p95, p.max);
}

}  // namespace

size_t StallTicks(const std::vector<TickSample>& ticks) {
    return static_cast<size_t>(
        std::count_if(ticks.begin(), ticks.end(), [](const TickSample& t) { return t.stalled; }));
}

std::string StatsJson(const std::vector<TickSample>& ticks, const RunFigures& run) {
    const Percentiles payload = Column(ticks, &TickSample::payloadBytes);
    const Percentiles record = Column(ticks, &TickSample::recordBytes);
    return Format("{\"ticks\": %zu, \"workers\": %d, ", ticks.size(), run.workers) +
           "\"detect_ms\": " + JsonTimes(Column(ticks, &TickSample::detectMs)) +
           ", \"compress_ms\": " + JsonTimes(Column(ticks, &TickSample::compressMs)) +
           ", \"tick_ms\": " + JsonTimes(Column(ticks, &TickSample::tickMs)) +
           ", \"ui_ms\": " + JsonTimes(Column(ticks, &TickSample::uiMs)) +
           ", \"wait_ms\": " + JsonTimes(Column(ticks, &TickSample::waitMs)) +
           Format(", \"stall_ticks\": %zu, \"wall_ms\": %.1f", StallTicks(ticks), run.wallMs) +
           Format(", \"payload_bytes\": %.0f, \"record_bytes\": %.0f}", payload.total,
                  record.total);
}

std::string StatsText(const std::vector<TickSample>& ticks, const RunFigures& run) {
    std::string out = Format("ticks: %zu, workers: %d, stalled ticks: %zu, wall: %.1f ms\n",
                             ticks.size(), run.workers, StallTicks(ticks), run.wallMs);
    out += Format("%-16s %12s %12s %12s %14s\n", "", "p50", "p95", "max", "total");
    const auto time = [&](const char* name, double TickSample::*field) {
        const Percentiles p = Column(ticks, field);
        out += Format("%-16s %12.4f %12.4f %12.4f %14.3f\n", name, p.p50, p.p95, p.max, p.total);
    };
    const auto bytes = [&](const char* name, int64_t TickSample::*field) {
        const Percentiles p = Column(ticks, field);
        out += Format("%-16s %12.0f %12.0f %12.0f %14.0f\n", name, p.p50, p.p95, p.max, p.total);
    };
    time("detect ms", &TickSample::detectMs);
    time("compress ms", &TickSample::compressMs);
    time("tick ms", &TickSample::tickMs);
    time("ui ms", &TickSample::uiMs);
    time("wait ms", &TickSample::waitMs);
    bytes("payload bytes", &TickSample::payloadBytes);
    bytes("record bytes", &TickSample::recordBytes);
    return out;
}

}  // namespace mrv::tools
