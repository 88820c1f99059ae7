// The records of the recording stream and their little-endian byte layout.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace mrv {

inline constexpr int kStreamHeaderSize = 37;
inline constexpr int kFrameHeaderSize = 16;
inline constexpr int kRectHeaderSize = 16;
inline constexpr int kBitmapInfoHeaderSize = 40;
inline constexpr int32_t kUnstoppedDurationMs = 1024;
inline constexpr int kGsmBlockBytes = 65;
inline constexpr int kGsmSamplesPerBlock = 320;  // in one GSM 6.10 block

struct StreamHeader {
    double startTime = 0;  // days since 1899-12-30, local time
    int32_t frameCount = 0;
    int32_t durationMs = kUnstoppedDurationMs;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    int32_t bytesPerLine = 0;
    int32_t frameBytes = 0;
    int32_t bitmapInfoSize = 0;
    uint8_t audioFormat = 0;  // 0 none; 1..4 = 8000, 11025, 22050, 44100 Hz GSM 6.10
};

struct FrameHeader {
    int32_t payloadSize = 0;
    int32_t cursorX = 0;
    int32_t cursorY = 0;
    uint8_t click = 0;  // 0 none, 1 left, 2 right
    uint16_t audioSize = 0;
    uint8_t holdTicks = 0;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const Rect&) const = default;
};

enum class Click : uint8_t { None = 0, Left = 1, Right = 2 };

std::array<uint8_t, kStreamHeaderSize> EncodeStreamHeader(const StreamHeader& h);
StreamHeader DecodeStreamHeader(std::span<const uint8_t, kStreamHeaderSize> bytes);

std::array<uint8_t, kFrameHeaderSize> EncodeFrameHeader(const FrameHeader& h);
FrameHeader DecodeFrameHeader(std::span<const uint8_t, kFrameHeaderSize> bytes);

void AppendRectHeader(std::vector<uint8_t>& out, const Rect& r);
Rect DecodeRectHeader(const uint8_t* bytes);

// Length of the BITMAPINFO block: header plus a colour table at 4 and 8 bits per pixel.
int32_t BitmapInfoSize(int bitsPerPixel);

bool IsValidDepth(int bitsPerPixel);

// The geometry every reader and writer derives from width, height and depth.
struct FrameGeometry {
    int32_t width = 0;
    int32_t height = 0;
    int bitsPerPixel = 0;
    int32_t bytesPerLine = 0;
    int64_t frameBytes = 0;
    int32_t bitmapInfoSize = 0;
};
FrameGeometry MakeGeometry(int32_t width, int32_t height, int bitsPerPixel);

// Zero-filled BITMAPINFO bytes with the header fields the recorder sets itself.
std::vector<uint8_t> MakeBitmapInfo(int32_t width, int32_t height, int bitsPerPixel);
void SetBitmapInfoSize(std::span<uint8_t> bitmapInfo, int32_t width, int32_t height);

// Sample rates and GSM 6.10 byte rates for the sample-rate option 0..3; false otherwise.
struct AudioRate {
    int32_t samplesPerSec;
    int32_t avgBytesPerSec;
};
bool AudioRateForOption(int option, AudioRate& rate);
bool AudioRateForFormat(uint8_t audioFormat, AudioRate& rate);

}  // namespace mrv
