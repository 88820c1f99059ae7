// Row sizes, label texts and the stream's date encoding.
#include "common/PubUtils.h"

#include <gtest/gtest.h>

namespace mrv {
namespace {

TEST(BytesPerRow, PadsToWholeWords) {
    EXPECT_EQ(BytesPerRow(0), 0);
    EXPECT_EQ(BytesPerRow(1), 4);
    EXPECT_EQ(BytesPerRow(32), 4);
    EXPECT_EQ(BytesPerRow(33), 8);
    EXPECT_EQ(BytesPerRow(1366 * 4), 684);
    EXPECT_EQ(BytesPerRow(801 * 16), 1604);
}

TEST(DurationText, FormatsHoursMinutesSeconds) {
    EXPECT_EQ(DurationText(0), "00:00:00");
    EXPECT_EQ(DurationText(999), "00:00:00");
    EXPECT_EQ(DurationText(3600000 + 2 * 60000 + 3000), "01:02:03");
    EXPECT_EQ(DurationText(59 * 60000 + 59999), "00:59:59");
    // Hours above 99 take more digits instead of wrapping.
    EXPECT_EQ(DurationText(123 * 3600000), "123:00:00");
}

TEST(SizeText, PicksUnitAndTwoDecimals) {
    EXPECT_EQ(SizeText(0), "0 B");
    EXPECT_EQ(SizeText(512), "512 B");
    EXPECT_EQ(SizeText(1023), "1023 B");
    EXPECT_EQ(SizeText(1024), "1.00 KB");
    EXPECT_EQ(SizeText(1536), "1.50 KB");
    EXPECT_EQ(SizeText(1048575), "1024.00 KB");  // rounds up but stays in the KB form
    EXPECT_EQ(SizeText(1048576), "1.00 MB");
    EXPECT_EQ(SizeText(5 * 1048576 + 262144), "5.25 MB");
    EXPECT_EQ(SizeText(1073741824), "1.00 GB");
    EXPECT_EQ(SizeText(int64_t{3} * 1073741824 + 536870912), "3.50 GB");
    EXPECT_EQ(SizeText(-5), "-5 B");
}

TEST(SizeText, UsesTheUsersDecimalSeparator) {
    EXPECT_EQ(SizeText(1536, ","), "1,50 KB");
    EXPECT_EQ(SizeText(1152, "."), "1.13 KB");  // 1.125 rounds half away from zero
}

TEST(OleDateTime, CountsDaysFrom30December1899) {
    EXPECT_DOUBLE_EQ(OleDateTime(1899, 12, 30, 0, 0, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(OleDateTime(1900, 1, 1, 0, 0, 0, 0), 2.0);
    EXPECT_DOUBLE_EQ(OleDateTime(2000, 1, 1, 12, 0, 0, 0), 36526.5);
    EXPECT_NEAR(OleDateTime(2025, 3, 3, 14, 5, 9, 500),
                45719.0 + (14 * 3600 + 5 * 60 + 9.5) / 86400.0, 1e-9);
}

}  // namespace
}  // namespace mrv
