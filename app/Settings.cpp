// CaptureSettings: derived values, range clamping and the INI file's reading and writing.
#include "app/Settings.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "common/Texts.h"

namespace mrv::app {
namespace {

constexpr int32_t kFrameMax = 19;
constexpr int32_t kEditSleepLow = 3;
constexpr int32_t kEditSleepHigh = 100;
constexpr int32_t kShortcutMax = 0xFFFF;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A key of [Option]: its name and where it lives in CaptureSettings.
struct IntKey {
    const char* name;
    int32_t CaptureSettings::*field;
};
struct BoolKey {
    const char* name;
    bool CaptureSettings::*field;
};

// The keys of the recording area, read and written after the seventeen.
constexpr std::array<IntKey, 5> kAreaInts{{{"Area", &CaptureSettings::Area},
                                           {"AreaLeft", &CaptureSettings::AreaLeft},
                                           {"AreaTop", &CaptureSettings::AreaTop},
                                           {"AreaWidth", &CaptureSettings::AreaWidth},
                                           {"AreaHeight", &CaptureSettings::AreaHeight}}};
constexpr BoolKey kCountdownKey{"Countdown", &CaptureSettings::Countdown};

template <typename T>
T Clamp(T v, T lo, T hi) {
    return std::min(std::max(v, lo), hi);
}

}  // namespace

int32_t BitsPerPixelFor(int32_t colorIndex) {
    static constexpr std::array<int32_t, 4> kBits{4, 8, 16, 32};
    return kBits[static_cast<size_t>(Clamp(colorIndex, 0, 3))];
}

int32_t ScanStepFor(int32_t scanDeepIndex) {
    static constexpr std::array<int32_t, 3> kSteps{17, 13, 7};
    return kSteps[static_cast<size_t>(Clamp(scanDeepIndex, 0, 2))];
}

uint32_t RasterOpFor(bool captureBlt) { return captureBlt ? kSrcCopy | kCaptureBlt : kSrcCopy; }

int32_t TickIntervalFor(int32_t frameIndex) { return 1000 / (Clamp(frameIndex, 0, kFrameMax) + 1); }

DerivedValues Derive(const CaptureSettings& s) {
    return {BitsPerPixelFor(s.Color), ScanStepFor(s.ScanDeep), RasterOpFor(s.Captureblt),
            TickIntervalFor(s.Frame)};
}

RecordingOptions ToRecordingOptions(const CaptureSettings& s, const DerivedValues& d) {
    RecordingOptions o;
    o.bitsPerPixel = d.bitsPerPixel;
    o.scanStep = d.scanStep;
    o.rasterOp = d.rasterOp;
    o.tickIntervalMs = d.tickInterval;
    o.sound = s.Sound;
    o.samples = s.Samples;
    o.showClick = s.ShowClick;
    o.kind = KindOf(s.FileType);
    return o;
}

RecordingKind KindOf(int32_t fileType) {
    return fileType == 1 ? RecordingKind::StreamFile : RecordingKind::SelfPlaying;
}

const char* ExtensionOf(RecordingKind kind) {
    return kind == RecordingKind::StreamFile ? ".mrv" : ".exe";
}

void ClampToRange(CaptureSettings& s) {
    s.Frame = Clamp(s.Frame, 0, kFrameMax);
    s.Color = Clamp(s.Color, 0, 3);
    s.Samples = Clamp(s.Samples, 0, 3);
    s.ScanDeep = Clamp(s.ScanDeep, 0, 2);
    s.EditMode = Clamp(s.EditMode, 0, 1);
    s.EditSleep = Clamp(s.EditSleep, kEditSleepLow, kEditSleepHigh);
    for (int32_t* key : {&s.HotKey1, &s.HotKey2, &s.HotKey3, &s.HotKey4})
        *key = Clamp(*key, 0, kShortcutMax);
    if (s.Area < 0 || s.Area > kAreaMonitor + kAreaMaxMonitor) s.Area = kAreaPrimaryScreen;
    // A region is kept only whole: a negative size is no region.
    if (s.AreaWidth <= 0 || s.AreaHeight <= 0) s.AreaWidth = s.AreaHeight = 0;
    s.FileType = Clamp(s.FileType, 0, 1);
}

// Decimal with an optional sign, or "0x"/"0X" and hexadecimal digits up to the bit pattern of
// a 32-bit integer (leading zeros allowed). Anything else, and overflow, is no number.
std::optional<int32_t> ParseIniInteger(const std::string& text) {
    std::string_view s = Trimmed(text);
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        uint64_t v = 0;
        for (char c : s) {
            const int d = HexDigit(c);
            if (d < 0) return std::nullopt;
            v = v * 16 + static_cast<uint64_t>(d);
            if (v > UINT32_MAX) return std::nullopt;
        }
        return static_cast<int32_t>(static_cast<uint32_t>(v));
    }
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > int64_t{INT32_MAX} + 1) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return std::nullopt;
    return static_cast<int32_t>(v);
}

namespace {

int32_t ReadInteger(IniStore& ini, const char* section, const char* key, int32_t fallback) {
    const std::optional<std::string> text = ini.Read(section, key);
    if (!text) return fallback;
    return ParseIniInteger(*text).value_or(fallback);
}

}  // namespace

void LoadSettings(IniStore& ini, CaptureSettings& s, FormPosition& position) {
    const FormPosition noPosition;
    position.SelfTop = ReadInteger(ini, kSectionFormPosition, "SelfTop", noPosition.SelfTop);
    position.SelfLeft = ReadInteger(ini, kSectionFormPosition, "SelfLeft", noPosition.SelfLeft);

    const CaptureSettings d;
    static constexpr std::array<IntKey, 6> kInts{{{"Frame", &CaptureSettings::Frame},
                                                  {"Samples", &CaptureSettings::Samples},
                                                  {"ScanDeep", &CaptureSettings::ScanDeep},
                                                  {"Color", &CaptureSettings::Color},
                                                  {"EditMode", &CaptureSettings::EditMode},
                                                  {"EditSleep", &CaptureSettings::EditSleep}}};
    static constexpr std::array<BoolKey, 7> kBools{{{"ShowClick", &CaptureSettings::ShowClick},
                                                    {"Captureblt", &CaptureSettings::Captureblt},
                                                    {"Sound", &CaptureSettings::Sound},
                                                    {"DynamicTray", &CaptureSettings::DynamicTray},
                                                    {"BeginTips", &CaptureSettings::BeginTips},
                                                    {"PauseTips", &CaptureSettings::PauseTips},
                                                    {"EndTips", &CaptureSettings::EndTips}}};
    static constexpr std::array<IntKey, 4> kHotKeys{{{"HotKey1", &CaptureSettings::HotKey1},
                                                     {"HotKey2", &CaptureSettings::HotKey2},
                                                     {"HotKey3", &CaptureSettings::HotKey3},
                                                     {"HotKey4", &CaptureSettings::HotKey4}}};
    for (const IntKey& k : kInts) s.*k.field = ReadInteger(ini, kSectionOption, k.name, d.*k.field);
    for (const BoolKey& k : kBools)
        s.*k.field = ReadInteger(ini, kSectionOption, k.name, d.*k.field ? 1 : 0) != 0;
    for (const IntKey& k : kHotKeys)
        s.*k.field = ReadInteger(ini, kSectionOption, k.name, d.*k.field);
    for (const IntKey& k : kAreaInts)
        s.*k.field = ReadInteger(ini, kSectionOption, k.name, d.*k.field);
    s.*kCountdownKey.field =
        ReadInteger(ini, kSectionOption, kCountdownKey.name, d.*kCountdownKey.field) != 0;
    s.FileType = ReadInteger(ini, kSectionOption, kKeyFileType, d.FileType);
    // The derived values and the dialog's controls must always see a valid selection.
    ClampToRange(s);
}

namespace {

ErrorText WriteFailed(const IniStore& ini) {
    std::string message = text::kUnableToWrite;
    message.replace(message.find("%s"), 2, ini.Path());
    return message;
}

}  // namespace

ErrorText SaveSettings(IniStore& ini, const CaptureSettings& s) {
    const auto b = [](bool v) { return std::string(v ? "1" : "0"); };
    const auto i = [](int32_t v) { return std::to_string(v); };
    const std::array<std::pair<const char*, std::string>, 17> kValues{{
        {"Frame", i(s.Frame)},
        {"Color", i(s.Color)},
        {"Samples", i(s.Samples)},
        {"ScanDeep", i(s.ScanDeep)},
        {"EditMode", i(s.EditMode)},
        {"EditSleep", i(s.EditSleep)},
        {"HotKey1", i(s.HotKey1)},
        {"HotKey2", i(s.HotKey2)},
        {"HotKey3", i(s.HotKey3)},
        {"HotKey4", i(s.HotKey4)},
        {"Captureblt", b(s.Captureblt)},
        {"Sound", b(s.Sound)},
        {"ShowClick", b(s.ShowClick)},
        {"DynamicTray", b(s.DynamicTray)},
        {"BeginTips", b(s.BeginTips)},
        {"PauseTips", b(s.PauseTips)},
        {"EndTips", b(s.EndTips)},
    }};
    for (const auto& [key, value] : kValues)
        if (!ini.Write(kSectionOption, key, value)) return WriteFailed(ini);
    // An INI file of someone who never chose an area or a type stays as it always was.
    const CaptureSettings d;
    const auto writeNew = [&](const char* key, bool isDefault, const std::string& value) {
        if (isDefault && !ini.Read(kSectionOption, key)) return true;
        return ini.Write(kSectionOption, key, value);
    };
    for (const IntKey& k : kAreaInts)
        if (!writeNew(k.name, s.*k.field == d.*k.field, i(s.*k.field))) return WriteFailed(ini);
    if (!writeNew(kCountdownKey.name, s.Countdown == d.Countdown, b(s.Countdown)))
        return WriteFailed(ini);
    if (!writeNew(kKeyFileType, s.FileType == d.FileType, i(s.FileType))) return WriteFailed(ini);
    return std::nullopt;
}

ErrorText SavePosition(IniStore& ini, const FormPosition& position) {
    if (!ini.Write(kSectionFormPosition, "SelfTop", std::to_string(position.SelfTop)) ||
        !ini.Write(kSectionFormPosition, "SelfLeft", std::to_string(position.SelfLeft)))
        return WriteFailed(ini);
    return std::nullopt;
}

}  // namespace mrv::app
