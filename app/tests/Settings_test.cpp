// CaptureSettings: INI reading and writing, clamping and the derived values.
#include "app/Settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace mrv::app {
namespace {

// An INI file in memory that records the order of reads and writes.
class FakeIni final : public IniStore {
  public:
    std::optional<std::string> Read(const std::string& section, const std::string& key) override {
        reads.push_back(key);
        const auto it = values.find({section, key});
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool Write(const std::string& section, const std::string& key,
               const std::string& value) override {
        if (failFromWrite >= 0 && static_cast<int>(writes.size()) >= failFromWrite) return false;
        writes.push_back(section + "/" + key + "=" + value);
        values[{section, key}] = value;
        return true;
    }
    std::string Path() const override { return "C:\\Tools\\Morvanta.ini"; }

    void Set(const std::string& key, const std::string& value) { values[{"Option", key}] = value; }

    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::string> reads;
    std::vector<std::string> writes;
    int failFromWrite = -1;
};

TEST(IniInteger, ReadsDecimalHexAndRejectsOtherText) {
    EXPECT_EQ(ParseIniInteger("42"), 42);
    EXPECT_EQ(ParseIniInteger("-7"), -7);
    EXPECT_EQ(ParseIniInteger("0x1F"), 31);
    EXPECT_EQ(ParseIniInteger("0X6078"), 24696);
    EXPECT_EQ(ParseIniInteger("0xFFFFFFFF"), -1);
    EXPECT_EQ(ParseIniInteger("0"), 0);
    // "0x" alone is not longer than two characters, so it is no hexadecimal number.
    EXPECT_EQ(ParseIniInteger("0x"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("0x1G"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("0x123456789"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("0x000000014"), 20);
    EXPECT_EQ(ParseIniInteger(""), std::nullopt);
    EXPECT_EQ(ParseIniInteger("abc"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("12abc"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("-"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("2147483648"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
}

TEST(LoadSettings, MissingFileGivesDefaultsAndNoPosition) {
    FakeIni ini;
    CaptureSettings s;
    s.Frame = 11;
    FormPosition pos{7, 9};
    LoadSettings(ini, s, pos);
    EXPECT_EQ(s, CaptureSettings{});
    EXPECT_EQ(pos.SelfTop, 0);
    EXPECT_EQ(pos.SelfLeft, 0);
    const CaptureSettings d;
    EXPECT_EQ(d.Frame, 5);
    EXPECT_EQ(d.Color, 1);
    EXPECT_EQ(d.EditSleep, 20);
    EXPECT_TRUE(d.ShowClick && d.Captureblt && d.DynamicTray && d.BeginTips && d.PauseTips &&
                d.EndTips);
    EXPECT_FALSE(d.Sound);
}

TEST(LoadSettings, ReadsKeysInTheFilesOrder) {
    FakeIni ini;
    CaptureSettings s;
    FormPosition pos;
    LoadSettings(ini, s, pos);
    const std::vector<std::string> order{
        "SelfTop",   "SelfLeft",  "Frame",     "Samples",    "ScanDeep",  "Color",
        "EditMode",  "EditSleep", "ShowClick", "Captureblt", "Sound",     "DynamicTray",
        "BeginTips", "PauseTips", "EndTips",   "HotKey1",    "HotKey2",   "HotKey3",
        "HotKey4",   "Area",      "AreaLeft",  "AreaTop",    "AreaWidth", "AreaHeight",
        "Countdown", "FileType"};
    EXPECT_EQ(ini.reads, order);
}

// The area's keys appear once chosen, then stay (also when set back); a negative size or an
// unknown area from a hand-edited file reads as none.
TEST(SaveSettings, AreaKeysOnlyOnceChosenAndReadBack) {
    FakeIni ini;
    CaptureSettings s;
    s.Countdown = true;
    ASSERT_EQ(SaveSettings(ini, s), std::nullopt);
    EXPECT_EQ(ini.writes.back(), "Option/Countdown=1");
    EXPECT_EQ(ini.writes.size(), 18u);
    s.Countdown = false;
    s.Area = kAreaMonitor + 2;
    s.AreaLeft = -1280;
    s.AreaWidth = 640;
    s.AreaHeight = 480;
    ini.writes.clear();
    ASSERT_EQ(SaveSettings(ini, s), std::nullopt);
    const std::vector<std::string> area(ini.writes.begin() + 17, ini.writes.end());
    EXPECT_EQ(area, (std::vector<std::string>{"Option/Area=4", "Option/AreaLeft=-1280",
                                              "Option/AreaWidth=640", "Option/AreaHeight=480",
                                              "Option/Countdown=0"}));
    CaptureSettings read;
    FormPosition pos;
    LoadSettings(ini, read, pos);
    EXPECT_EQ(read, s);
    ini.Set("Area", "99");
    ini.Set("AreaHeight", "-3");
    LoadSettings(ini, read, pos);
    EXPECT_EQ(read.Area, kAreaPrimaryScreen);
    EXPECT_EQ(read.AreaWidth, 0);
}

TEST(LoadSettings, HexNonNumericAndBooleans) {
    FakeIni ini;
    ini.Set("Frame", "0x0A");
    ini.Set("Color", "three");
    ini.Set("HotKey1", "0x6078");
    ini.Set("Sound", "5");
    ini.Set("ShowClick", "0");
    ini.Set("EndTips", "yes");
    ini.values[{"FormPosition", "SelfTop"}] = "120";
    ini.values[{"FormPosition", "SelfLeft"}] = "0x20";
    CaptureSettings s;
    FormPosition pos;
    LoadSettings(ini, s, pos);
    EXPECT_EQ(s.Frame, 10);
    EXPECT_EQ(s.Color, 1);  // default
    EXPECT_EQ(s.HotKey1, 24696);
    EXPECT_TRUE(s.Sound);
    EXPECT_FALSE(s.ShowClick);
    EXPECT_TRUE(s.EndTips);  // default
    EXPECT_EQ(pos.SelfTop, 120);
    EXPECT_EQ(pos.SelfLeft, 32);
}

TEST(LoadSettings, ClampsOutOfRangeValuesToTheNearestValidOne) {
    FakeIni ini;
    ini.Set("Frame", "25");
    ini.Set("Color", "-1");
    ini.Set("Samples", "9");
    ini.Set("ScanDeep", "3");
    ini.Set("EditMode", "2");
    ini.Set("EditSleep", "1");
    ini.Set("HotKey2", "70000");
    ini.Set("HotKey3", "-5");
    CaptureSettings s;
    FormPosition pos;
    LoadSettings(ini, s, pos);
    EXPECT_EQ(s.Frame, 19);
    EXPECT_EQ(s.Color, 0);
    EXPECT_EQ(s.Samples, 3);
    EXPECT_EQ(s.ScanDeep, 2);
    EXPECT_EQ(s.EditMode, 1);
    EXPECT_EQ(s.EditSleep, 3);
    EXPECT_EQ(s.HotKey2, 65535);
    EXPECT_EQ(s.HotKey3, 0);
    ini.Set("EditSleep", "500");
    LoadSettings(ini, s, pos);
    EXPECT_EQ(s.EditSleep, 100);
}

TEST(SaveSettings, WritesTheSeventeenKeysInTheWriteOrder) {
    FakeIni ini;
    EXPECT_EQ(SaveSettings(ini, CaptureSettings{}), std::nullopt);
    const std::vector<std::string> expected{
        "Option/Frame=5",     "Option/Color=1",       "Option/Samples=0",    "Option/ScanDeep=0",
        "Option/EditMode=0",  "Option/EditSleep=20",  "Option/HotKey1=0",    "Option/HotKey2=0",
        "Option/HotKey3=0",   "Option/HotKey4=0",     "Option/Captureblt=1", "Option/Sound=0",
        "Option/ShowClick=1", "Option/DynamicTray=1", "Option/BeginTips=1",  "Option/PauseTips=1",
        "Option/EndTips=1"};
    EXPECT_EQ(ini.writes, expected);
}

TEST(SaveSettings, RoundTripsThroughLoading) {
    FakeIni ini;
    CaptureSettings s;
    s.Frame = 19;
    s.Color = 3;
    s.Samples = 2;
    s.ScanDeep = 1;
    s.EditMode = 1;
    s.EditSleep = 77;
    s.HotKey1 = 0x6078;
    s.HotKey4 = 0x8041;
    s.Sound = true;
    s.ShowClick = false;
    s.EndTips = false;
    s.FileType = 1;
    ASSERT_EQ(SaveSettings(ini, s), std::nullopt);
    CaptureSettings back;
    FormPosition pos;
    LoadSettings(ini, back, pos);
    EXPECT_EQ(back, s);
    EXPECT_EQ(ToRecordingOptions(back, Derive(back)).kind, RecordingKind::StreamFile);
    // A type this program does not know is a recording file at most.
    ini.Set("FileType", "7");
    LoadSettings(ini, back, pos);
    EXPECT_EQ(back.FileType, 1);
    // Once written, the key follows the type back to the default.
    back.FileType = 0;
    ASSERT_EQ(SaveSettings(ini, back), std::nullopt);
    EXPECT_EQ(ini.writes.back(), "Option/FileType=0");
    EXPECT_EQ(ini.values[std::make_pair(std::string("Option"), std::string("HotKey4"))], "32833");
}

TEST(SaveSettings, FirstFailedKeyStopsWritingAndNamesTheFile) {
    FakeIni ini;
    ini.failFromWrite = 3;
    const ErrorText error = SaveSettings(ini, CaptureSettings{});
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error, "Unable to write to C:\\Tools\\Morvanta.ini");
    EXPECT_EQ(ini.writes.size(), 3u);
}

TEST(SavePosition, WritesTopThenLeft) {
    FakeIni ini;
    EXPECT_EQ(SavePosition(ini, FormPosition{308, 453}), std::nullopt);
    EXPECT_EQ(ini.writes,
              (std::vector<std::string>{"FormPosition/SelfTop=308", "FormPosition/SelfLeft=453"}));
    ini.failFromWrite = 0;
    EXPECT_TRUE(SavePosition(ini, FormPosition{}).has_value());
}

TEST(DerivedValues, FollowEveryOption) {
    const int32_t intervals[20] = {1000, 500, 333, 250, 200, 166, 142, 125, 111, 100,
                                   90,   83,  76,  71,  66,  62,  58,  55,  52,  50};
    for (int32_t i = 0; i < 20; ++i) EXPECT_EQ(TickIntervalFor(i), intervals[i]) << i;
    EXPECT_EQ(BitsPerPixelFor(0), 4);
    EXPECT_EQ(BitsPerPixelFor(1), 8);
    EXPECT_EQ(BitsPerPixelFor(2), 16);
    EXPECT_EQ(BitsPerPixelFor(3), 32);
    EXPECT_EQ(ScanStepFor(0), 17);
    EXPECT_EQ(ScanStepFor(1), 13);
    EXPECT_EQ(ScanStepFor(2), 7);
    EXPECT_EQ(RasterOpFor(true), 0x40CC0020u);
    EXPECT_EQ(RasterOpFor(false), 0x00CC0020u);
}

TEST(DerivedValues, GoIntoTheRecordingOptions) {
    CaptureSettings s;
    s.Frame = 6;
    s.Color = 2;
    s.ScanDeep = 2;
    s.Captureblt = false;
    s.Sound = true;
    s.Samples = 3;
    s.ShowClick = false;
    const RecordingOptions o = ToRecordingOptions(s, Derive(s));
    EXPECT_EQ(o.tickIntervalMs, 142);
    EXPECT_EQ(o.bitsPerPixel, 16);
    EXPECT_EQ(o.scanStep, 7);
    EXPECT_EQ(o.rasterOp, 0x00CC0020u);
    EXPECT_TRUE(o.sound);
    EXPECT_EQ(o.samples, 3);
    EXPECT_FALSE(o.showClick);
}

}  // namespace
}  // namespace mrv::app
