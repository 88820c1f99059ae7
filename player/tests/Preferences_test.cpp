// The player's remembered settings: what survives a round trip, and what a bad stored value
// turns into.
#include "player/Preferences.h"

#include <gtest/gtest.h>

#include <vector>

namespace mrv::player {
namespace {

// Two 1920x1040 work areas side by side, the left one primary.
const std::vector<ScreenRect> kTwoMonitors = {{0, 0, 1920, 1040}, {1920, 0, 3840, 1040}};

TEST(Preferences, RoundTripKeepsEverySetting) {
    PlayerPreferences prefs;
    prefs.volume = 35;
    prefs.muted = true;
    prefs.speed = Speed::OneAndHalf;
    prefs.window = WindowPlace{{1700, 100, 2500, 700}, WindowState::Maximized};  // across both
    prefs.ffmpeg = "D:\\工具\\ffmpeg.exe";
    EXPECT_EQ(ParsePreferences(SerialisePreferences(prefs), kTwoMonitors), prefs);

    for (Speed s : {Speed::Half, Speed::Normal, Speed::Double}) {
        prefs.speed = s;
        EXPECT_EQ(ParsePreferences(SerialisePreferences(prefs), kTwoMonitors).speed, s);
    }
    // A place forgotten stays forgotten: its names are written empty, not left out.
    prefs.window.reset();
    const PreferenceValues values = SerialisePreferences(prefs);
    EXPECT_EQ(values.size(), PreferenceNames().size());
    EXPECT_FALSE(ParsePreferences(values, kTwoMonitors).window);
}

TEST(Preferences, BadValuesAreClampedOrTakeTheirDefaults) {
    EXPECT_EQ(ParsePreferences({}, kTwoMonitors), PlayerPreferences{});

    const PreferenceValues garbage = {{"Volume", "loud"}, {"Mute", "yes"}, {"Speed", "75"}};
    EXPECT_EQ(ParsePreferences(garbage, kTwoMonitors), PlayerPreferences{});

    EXPECT_EQ(ParsePreferences({{"Volume", "250"}}, kTwoMonitors).volume, 100);
    EXPECT_EQ(ParsePreferences({{"Volume", "-20"}}, kTwoMonitors).volume, 0);
    EXPECT_EQ(ParsePreferences({{"Volume", "99999999999999999999"}}, kTwoMonitors).volume, 100);
    EXPECT_EQ(ParsePreferences({{"Volume", "40%"}}, kTwoMonitors).volume, 100);
    EXPECT_EQ(ParsePreferences({{"Speed", "300"}}, kTwoMonitors).speed, Speed::Normal);
    EXPECT_EQ(ParsePreferences({{"Speed", "0"}}, kTwoMonitors).speed, Speed::Normal);
}

TEST(Preferences, WindowMostlyOffEveryMonitorIsDropped) {
    const auto values = [](ScreenRect r, const char* state = "normal") {
        return PreferenceValues{{"WindowLeft", std::to_string(r.left)},
                                {"WindowTop", std::to_string(r.top)},
                                {"WindowRight", std::to_string(r.right)},
                                {"WindowBottom", std::to_string(r.bottom)},
                                {"WindowState", state}};
    };
    const auto place = [&](ScreenRect r, const char* state = "normal") {
        return ParsePreferences(values(r, state), kTwoMonitors).window;
    };
    EXPECT_EQ(place({100, 100, 900, 700}, "fullscreen"),
              (WindowPlace{{100, 100, 900, 700}, WindowState::FullScreen}));
    EXPECT_EQ(place({100, 100, 900, 700}, "sideways")->state, WindowState::Normal);
    // Half or more on screen is enough: the title bar can be reached.
    EXPECT_TRUE(place({-400, 100, 400, 700}));
    EXPECT_FALSE(place({-500, 100, 300, 700}));
    // Where a third monitor used to be, below the others, and far away.
    EXPECT_FALSE(place({100, 1100, 900, 1700}));
    EXPECT_FALSE(place({-2147483647, -2147483647, 2147483647, 2147483647}));
    // Empty or inside-out rectangles.
    EXPECT_FALSE(place({100, 100, 100, 700}));
    EXPECT_FALSE(place({900, 100, 100, 700}));
    // No monitors known: nowhere is safe.
    EXPECT_FALSE(ParsePreferences(values({100, 100, 900, 700}), {}).window);
    PreferenceValues garbled = values({100, 100, 900, 700});
    garbled["WindowRight"] = "x";
    EXPECT_FALSE(ParsePreferences(garbled, kTwoMonitors).window);
}

TEST(Preferences, FfmpegIsKeptOnlyAsAnAbsolutePath) {
    auto ffmpeg = [](const char* path) {
        return ParsePreferences({{"Ffmpeg", path}}, kTwoMonitors).ffmpeg;
    };
    EXPECT_EQ(ffmpeg("C:\\tools\\ffmpeg.exe"), "C:\\tools\\ffmpeg.exe");
    EXPECT_EQ(ffmpeg("c:/tools/ffmpeg.exe"), "c:/tools/ffmpeg.exe");
    EXPECT_EQ(ffmpeg("\\\\server\\share\\ffmpeg.exe"), "\\\\server\\share\\ffmpeg.exe");
    // These would resolve against the current folder, which is often the recording's own.
    EXPECT_EQ(ffmpeg("ffmpeg.exe"), "");
    EXPECT_EQ(ffmpeg("..\\bin\\ffmpeg.exe"), "");
    EXPECT_EQ(ffmpeg("C:ffmpeg.exe"), "");
    EXPECT_EQ(ffmpeg("\\ffmpeg.exe"), "");
    EXPECT_EQ(ffmpeg("\\\\\\ffmpeg.exe"), "");
}

TEST(Preferences, AFoldersOwnFileNamesNoProgramToRun) {
    const PlayerPreferences prefs = ParsePreferences(
        FolderPreferenceValues({{"Ffmpeg", "\\\\server\\share\\ffmpeg.exe"}, {"Volume", "40"}}),
        kTwoMonitors);
    EXPECT_EQ(prefs.ffmpeg, "");
    EXPECT_EQ(prefs.volume, 40);
}

}  // namespace
}  // namespace mrv::player
