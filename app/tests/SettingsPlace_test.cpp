// Where the INI file and the recordings go, and the INI file read with the one beside the program.
#include "app/SettingsPlace.h"

#include <gtest/gtest.h>

#include <set>

#include "app/tests/FakeIni.h"

namespace mrv::app {
namespace {

constexpr char kProgram[] = "C:\\Program Files\\Morvanta\\";
constexpr char kBeside[] = "C:\\Program Files\\Morvanta\\Morvanta.ini";

class FakeFolders final : public SettingsFolders {
  public:
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    bool CanWriteFile(const std::string& path) override { return writableFiles.count(path) != 0; }
    bool CanCreateIn(const std::string& folder) override {
        triedFolders.insert(folder);
        return writableFolders.count(folder) != 0;
    }
    std::string AppDataFolder() override { return appData; }
    std::string VideosFolder() override { return videos; }
    bool MakeFolders(const std::string& path) override {
        made.insert(path);
        return true;
    }

    std::set<std::string> files, writableFiles, writableFolders, triedFolders, made;
    std::string appData = "C:\\Users\\li\\AppData\\Roaming";
    std::string videos = "C:\\Users\\li\\Videos";
};

SettingsPlace Choose(FakeFolders& folders) {
    return ChooseSettingsPlace(folders, kProgram, "Morvanta.ini");
}

const SettingsPlace kBesideProgram{kBeside, "", ""};

TEST(SettingsPlace, AWritableProgramFolderKeepsTheIniBesideTheProgram) {
    FakeFolders folders;
    folders.writableFolders = {"C:\\Program Files\\Morvanta"};
    EXPECT_EQ(Choose(folders), kBesideProgram);
    EXPECT_TRUE(folders.made.empty());
    // An INI that exists and can be written stays, whatever the folder allows.
    FakeFolders existing;
    existing.files = existing.writableFiles = {kBeside};
    EXPECT_EQ(Choose(existing), kBesideProgram);
    EXPECT_TRUE(existing.triedFolders.empty());
    // A drive root keeps its separator for the trial file.
    FakeFolders root;
    root.writableFolders = {"E:\\"};
    EXPECT_EQ(ChooseSettingsPlace(root, "E:\\", "Morvanta.ini").iniPath, "E:\\Morvanta.ini");
}

TEST(SettingsPlace, AnUnwritableFolderMovesTheIniToAppDataAndRecordingsToVideos) {
    FakeFolders folders;
    const SettingsPlace place = Choose(folders);
    EXPECT_EQ(place.iniPath, "C:\\Users\\li\\AppData\\Roaming\\Morvanta\\Morvanta.ini");
    EXPECT_EQ(place.seedIniPath, "");
    EXPECT_EQ(place.recordingsFolder, "C:\\Users\\li\\Videos\\Morvanta");
    EXPECT_EQ(folders.made, std::set<std::string>{"C:\\Users\\li\\AppData\\Roaming\\Morvanta"});
    // Without a known Videos folder the recordings go beside the INI file.
    folders.videos.clear();
    EXPECT_EQ(Choose(folders).recordingsFolder, "C:\\Users\\li\\AppData\\Roaming\\Morvanta");
    // Without an application data folder nothing better exists than today's place.
    folders.appData.clear();
    EXPECT_EQ(Choose(folders), kBesideProgram);
}

TEST(SettingsPlace, AnUnwritableIniBesideTheProgramIsStillRead) {
    FakeFolders folders;
    folders.files = {kBeside};
    folders.writableFolders = {"C:\\Program Files\\Morvanta"};  // only the file is read-only
    const SettingsPlace place = Choose(folders);
    EXPECT_EQ(place.iniPath, "C:\\Users\\li\\AppData\\Roaming\\Morvanta\\Morvanta.ini");
    EXPECT_EQ(place.seedIniPath, kBeside);
}

TEST(LayeredIni, TheSeedFillsWhatTheUsersCopyLacksUntilItsOwnValuesAreWritten) {
    FakeIni primary, seed;
    seed.Set("Frame", "9");
    seed.Set("Color", "3");
    seed.values[{"FormPosition", "SelfTop"}] = "40";
    primary.Set("Color", "2");
    LayeredIni ini(primary, &seed);
    CaptureSettings settings;
    FormPosition position;
    LoadSettings(ini, settings, position);
    EXPECT_EQ(settings.Frame, 9);
    EXPECT_EQ(settings.Color, 2);
    EXPECT_EQ(position.SelfTop, 40);

    settings.Frame = 4;
    EXPECT_FALSE(SaveSettings(ini, settings).has_value());
    EXPECT_EQ((primary.values[{"Option", "Frame"}]), "4");
    EXPECT_EQ((seed.values[{"Option", "Frame"}]), "9");
    EXPECT_TRUE(seed.writes.empty());
    LoadSettings(ini, settings, position);
    EXPECT_EQ(settings.Frame, 4);
    EXPECT_EQ(ini.Path(), primary.Path());
}

}  // namespace
}  // namespace mrv::app
