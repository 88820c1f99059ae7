// The recording options (CaptureSettings), their derived values and their INI file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "recorder/Recorder.h"

namespace mrv::app {

// Each field is named by its INI key.
struct CaptureSettings {
    int32_t Frame = 5;       // frames per second - 1, 0..19
    int32_t Color = 1;       // 4, 8, 16, 32 bits per pixel
    int32_t Samples = 0;     // 8000, 11025, 22050, 44100 Hz
    int32_t ScanDeep = 0;    // low, medium, high
    int32_t EditMode = 0;    // full-screen copy, scan
    int32_t EditSleep = 20;  // ticks an inserted frame is held, 3..100
    bool ShowClick = true;
    bool Captureblt = true;
    bool Sound = false;
    bool DynamicTray = true;
    bool BeginTips = true;
    bool PauseTips = true;
    bool EndTips = true;
    int32_t HotKey1 = 0;  // shortcut values (0 = none): start, pause, stop, edit
    int32_t HotKey2 = 0;
    int32_t HotKey3 = 0;
    int32_t HotKey4 = 0;
    // What is recorded (kAreaPrimaryScreen ... kAreaMonitor + n), the last region chosen in
    // the picker (virtual-screen pixels; no width means none yet), and the countdown.
    int32_t Area = 0;
    int32_t AreaLeft = 0;
    int32_t AreaTop = 0;
    int32_t AreaWidth = 0;
    int32_t AreaHeight = 0;
    bool Countdown = false;
    int32_t FileType = 0;  // what a new recording is: 0 a program (.exe), 1 a recording file (.mrv)

    bool operator==(const CaptureSettings&) const = default;
};

// The Area option's values; monitor n (as the system numbers it) is kAreaMonitor + n.
inline constexpr int32_t kAreaPrimaryScreen = 0;
inline constexpr int32_t kAreaRegion = 1;
inline constexpr int32_t kAreaWindow = 2;
inline constexpr int32_t kAreaMonitor = 2;
inline constexpr int32_t kAreaMaxMonitor = 64;

// The values the recording engine reads, computed at every OK of the settings dialog.
struct DerivedValues {
    int32_t bitsPerPixel = 8;
    int32_t scanStep = 17;
    uint32_t rasterOp = kSrcCopy | kCaptureBlt;
    int32_t tickInterval = 166;  // milliseconds

    bool operator==(const DerivedValues&) const = default;
};

// The main window's stored position; 0 means that none is stored.
struct FormPosition {
    int32_t SelfTop = 0;
    int32_t SelfLeft = 0;
};

int32_t BitsPerPixelFor(int32_t colorIndex);
int32_t ScanStepFor(int32_t scanDeepIndex);
uint32_t RasterOpFor(bool captureBlt);
int32_t TickIntervalFor(int32_t frameIndex);
DerivedValues Derive(const CaptureSettings& settings);

// What StartRecording needs from the options and their derived values.
RecordingOptions ToRecordingOptions(const CaptureSettings& settings, const DerivedValues& derived);

RecordingKind KindOf(int32_t fileType);
// ".exe" or ".mrv".
const char* ExtensionOf(RecordingKind kind);

// Brings every field into its range (a hand-edited INI file may hold anything).
void ClampToRange(CaptureSettings& settings);

// An integer as the INI file holds it: decimal, or "0x"/"0X" hexadecimal; nullopt for no number.
std::optional<int32_t> ParseIniInteger(const std::string& text);

// A profile file read and written key by key.
class IniStore {
  public:
    virtual ~IniStore() = default;
    // nullopt when the key (or the file) is missing.
    virtual std::optional<std::string> Read(const std::string& section, const std::string& key) = 0;
    // false when the value could not be written.
    virtual bool Write(const std::string& section, const std::string& key,
                       const std::string& value) = 0;
    // The file's path, for the error text.
    virtual std::string Path() const = 0;
};

inline constexpr char kSectionOption[] = "Option";
inline constexpr char kSectionFormPosition[] = "FormPosition";
inline constexpr char kKeyFileType[] = "FileType";

// Reads the position and the seventeen options in the file's key order, then the area's keys,
// with defaults for missing or non-numeric values and out-of-range values clamped.
void LoadSettings(IniStore& ini, CaptureSettings& settings, FormPosition& position);

// Writes [Option] in the write order, then the area's keys and FileType where they are not at
// their defaults or the file already holds them; the first failed key stops it and gives the
// error text.
ErrorText SaveSettings(IniStore& ini, const CaptureSettings& settings);

// Writes SelfTop, then SelfLeft; the error text of the first failure.
ErrorText SavePosition(IniStore& ini, const FormPosition& position);

}  // namespace mrv::app
