// Replay statistics: nearest-rank percentiles and the one-object JSON form.
#include "tools/lib/TickStats.h"

#include <gtest/gtest.h>

namespace mrv::tools {
namespace {

TEST(TickStats, NearestRankPercentilesOfUnsortedValues) {
    std::vector<double> values;
    for (int i = 20; i >= 1; --i) values.push_back(i);
    const Percentiles p = Summarise(values);
    EXPECT_EQ(p.p50, 10);
    EXPECT_EQ(p.p95, 19);
    EXPECT_EQ(p.max, 20);
    EXPECT_EQ(p.total, 210);
}

TEST(TickStats, SmallSamplesTakeTheirOwnValues) {
    const Percentiles one = Summarise({4.5});
    EXPECT_EQ(one.p50, 4.5);
    EXPECT_EQ(one.p95, 4.5);
    const Percentiles three = Summarise({3, 1, 2});
    EXPECT_EQ(three.p50, 2);
    EXPECT_EQ(three.p95, 3);
    const Percentiles none = Summarise({});
    EXPECT_EQ(none.max, 0);
}

TEST(TickStats, JsonIsOneObjectWithTheAgreedKeysAndByteTotals) {
    std::vector<TickSample> ticks(3);
    for (int i = 0; i < 3; ++i) {
        ticks[i].detectMs = 0.5 * (i + 1);
        ticks[i].compressMs = 0.25;
        ticks[i].tickMs = 1;
        ticks[i].uiMs = 0.75;
        ticks[i].payloadBytes = 8 + i;
        ticks[i].recordBytes = 24 + i;
    }
    ticks[1].stalled = true;
    ticks[1].waitMs = 2;
    EXPECT_EQ(StatsJson(ticks, RunFigures{2, 151.25}),
              "{\"ticks\": 3, \"workers\": 2, "
              "\"detect_ms\": {\"p50\": 1.0000, \"p95\": 1.5000, \"max\": 1.5000}, "
              "\"compress_ms\": {\"p50\": 0.2500, \"p95\": 0.2500, \"max\": 0.2500}, "
              "\"tick_ms\": {\"p50\": 1.0000, \"p95\": 1.0000, \"max\": 1.0000}, "
              "\"ui_ms\": {\"p50\": 0.7500, \"p95\": 0.7500, \"max\": 0.7500}, "
              "\"wait_ms\": {\"p50\": 0.0000, \"p95\": 2.0000, \"max\": 2.0000}, "
              "\"stall_ticks\": 1, \"wall_ms\": 151.2, "
              "\"payload_bytes\": 27, \"record_bytes\": 75}");
}

}  // namespace
}  // namespace mrv::tools
