// Row sizes, duration and size texts, and the date encoding of the stream header.
#include "common/PubUtils.h"

#include <cinttypes>
#include <cstdio>

namespace mrv {

int64_t BytesPerRow(int64_t bits) { return (bits + 31) / 32 * 4; }

std::string DurationText(int32_t ms) {
    // Division truncates toward zero, so a negative time keeps its sign in each field.
    const int32_t hours = ms / 3600000;
    const int32_t minutes = (ms % 3600000) / 60000;
    const int32_t seconds = (ms % 60000) / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", hours, minutes, seconds);
    return text;
}

namespace {

// value / unit with two decimals, rounded half away from zero, without floating-point drift.
std::string TwoDecimals(int64_t value, int64_t unit, const std::string& separator) {
    // value < 1024 * unit here, so value * 100 fits easily in 64 bits for unit <= 2^30;
    // for the GB form value may be huge, so divide first to keep it in range.
    uint64_t whole = static_cast<uint64_t>(value) / static_cast<uint64_t>(unit);
    uint64_t rest = static_cast<uint64_t>(value) % static_cast<uint64_t>(unit);
    uint64_t hundredths =
        (rest * 100 + static_cast<uint64_t>(unit) / 2) / static_cast<uint64_t>(unit);
    if (hundredths == 100) {
        ++whole;
        hundredths = 0;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%" PRIu64 "%s%02" PRIu64, whole, separator.c_str(),
                  hundredths);
    return text;
}

}  // namespace

std::string SizeText(int64_t bytes, const std::string& decimalSeparator) {
    if (bytes < 1024) return std::to_string(bytes) + " B";
    if (bytes < 1048576) return TwoDecimals(bytes, 1024, decimalSeparator) + " KB";
    if (bytes < 1073741824) return TwoDecimals(bytes, 1048576, decimalSeparator) + " MB";
    return TwoDecimals(bytes, 1073741824, decimalSeparator) + " GB";
}

double OleDateTime(int year, int month, int day, int hour, int minute, int second, int ms) {
    // Days from civil (Howard Hinnant's algorithm), then shifted to the 1899-12-30 epoch.
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned mp = static_cast<unsigned>(month + (month > 2 ? -3 : 9));
    const unsigned doy = (153 * mp + 2) / 5 + static_cast<unsigned>(day) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t daysSince1970 = static_cast<int64_t>(era) * 146097 + doe - 719468;
    const int64_t daysSince1899 = daysSince1970 + 25569;
    const double fraction = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + ms) / 86400000.0;
    return static_cast<double>(daysSince1899) + fraction;
}

}  // namespace mrv
