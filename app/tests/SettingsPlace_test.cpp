// Where the INI file and the recordings go, and the INI file read with the one beside the program.
#include "app/SettingsPlace.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace mrv::app {
namespace {

constexpr char kProgram[] = "C:\\Program Files\\Morvanta\\";
constexpr char kBeside[] = "C:\\Program Files\\Morvanta\\Morvanta.ini";

class FakeFolders final : public SettingsFolders {
  public:
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    bool CanWriteFile(const std::string& path) override { return writable.count(path) != 0; }
    bool CanCreateIn(const std::string& folder) override { return writable.count(folder) != 0; }
    std::string AppDataFolder() override { return appData; }
    std::string VideosFolder() override { return "C:\\Users\\li\\Videos"; }
    bool MakeFolders(const std::string& path) override { return made.insert(path).second; }

    std::set<std::string> files, writable, made;
    std::string appData = "C:\\Users\\li\\AppData\\Roaming";
};

SettingsPlace Choose(FakeFolders& folders) {
    return ChooseSettingsPlace(folders, kProgram, "Morvanta.ini");
}

const SettingsPlace kBesideProgram{kBeside, "", ""};
constexpr char kUserIni[] = "C:\\Users\\li\\AppData\\Roaming\\Morvanta\\Morvanta.ini";

TEST(SettingsPlace, AWritableFolderOrIniKeepsTheIniBesideTheProgram) {
    FakeFolders folders;
    folders.writable = {"C:\\Program Files\\Morvanta"};
    EXPECT_EQ(Choose(folders), kBesideProgram);
    EXPECT_TRUE(folders.made.empty());
    FakeFolders existing;
    existing.files = existing.writable = {kBeside};
    EXPECT_EQ(Choose(existing), kBesideProgram);
    // A drive root keeps its separator for the trial file.
    FakeFolders root;
    root.writable = {"E:\\"};
    EXPECT_EQ(ChooseSettingsPlace(root, "E:\\", "Morvanta.ini").iniPath, "E:\\Morvanta.ini");
}

TEST(SettingsPlace, OtherwiseTheIniGoesToAppDataReadOverTheOneBesideAndRecordingsToVideos) {
    FakeFolders folders;
    EXPECT_EQ(Choose(folders), (SettingsPlace{kUserIni, "", "C:\\Users\\li\\Videos\\Morvanta"}));
    EXPECT_EQ(folders.made, std::set<std::string>{"C:\\Users\\li\\AppData\\Roaming\\Morvanta"});
    // An INI beside the program that cannot be written is still read, even in a writable folder.
    folders.files = {kBeside};
    folders.writable = {"C:\\Program Files\\Morvanta"};
    EXPECT_EQ(Choose(folders).seedIniPath, kBeside);
    // Without an application data folder nothing better exists than today's place.
    folders.appData.clear();
    EXPECT_EQ(Choose(folders), kBesideProgram);
}

class MapIni final : public IniStore {
  public:
    std::optional<std::string> Read(const std::string& s, const std::string& k) override {
        const auto it = values.find(s + "/" + k);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    bool Write(const std::string& s, const std::string& k, const std::string& v) override {
        values[s + "/" + k] = v;
        return true;
    }
    std::string Path() const override { return "primary.ini"; }
    std::map<std::string, std::string> values;
};

TEST(LayeredIni, TheSeedFillsWhatTheUsersCopyLacksUntilItsOwnValuesAreWritten) {
    MapIni primary, seed;
    seed.values = {{"Option/Frame", "9"}, {"Option/Color", "3"}, {"FormPosition/SelfTop", "40"}};
    primary.values = {{"Option/Color", "2"}};
    LayeredIni ini(primary, &seed);
    CaptureSettings settings;
    FormPosition position;
    LoadSettings(ini, settings, position);
    EXPECT_EQ(settings.Frame, 9);
    EXPECT_EQ(settings.Color, 2);
    EXPECT_EQ(position.SelfTop, 40);

    settings.Frame = 4;
    EXPECT_FALSE(SaveSettings(ini, settings).has_value());
    EXPECT_EQ(primary.values["Option/Frame"], "4");
    EXPECT_EQ(seed.values.size(), 3u);
    EXPECT_EQ(seed.values["Option/Frame"], "9");
    LoadSettings(ini, settings, position);
    EXPECT_EQ(settings.Frame, 4);
    EXPECT_EQ(ini.Path(), primary.Path());
}

}  // namespace
}  // namespace mrv::app
