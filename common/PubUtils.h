// Small helpers shared by the recorder and the main window: row sizes and label texts.
#pragma once

#include <cstdint>
#include <string>

namespace mrv {

// Bytes of one pixel row of `bits` bits, padded to whole 32-bit words.
int64_t BytesPerRow(int64_t bits);

// "hh:mm:ss" for a time in milliseconds.
std::string DurationText(int32_t ms);

// "512 B", "1.50 KB", "2.00 MB", "1.00 GB"; `decimalSeparator` is the user's.
std::string SizeText(int64_t bytes, const std::string& decimalSeparator = ".");

// Days since 1899-12-30 00:00, the fraction being the time of day (to the millisecond).
double OleDateTime(int year, int month, int day, int hour, int minute, int second, int ms);

}  // namespace mrv
