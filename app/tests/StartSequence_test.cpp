// The start sequence against a recording fake of the main window and the system.
#include "app/StartSequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/Texts.h"

namespace mrv::app {
namespace {

class FakeIni final : public IniStore {
  public:
    explicit FakeIni(std::vector<std::string>& log) : log_(log) {}
    std::optional<std::string> Read(const std::string&, const std::string& key) override {
        const auto it = values.find(key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool Write(const std::string&, const std::string& key, const std::string& value) override {
        if (readOnly) return false;
        log_.push_back("ini " + key + "=" + value);
        values[key] = value;
        return true;
    }
    std::string Path() const override { return "Z:\\app\\Morvanta.ini"; }

    std::map<std::string, std::string> values;
    bool readOnly = false;

  private:
    std::vector<std::string>& log_;
};

class FakeHost final : public StartHost, public AreaSystem {
  public:
    LocalTime Now() override { return times.at(nowCalls++); }
    ModalResult ShowSettingsDialog(SettingsForm& form) override {
        log.push_back("dialog");
        shown = form;
        if (user) user(form);
        return result;
    }
    std::string ProgramFolder() override { return "Z:\\app\\"; }
    std::string RecordingsFolder() override { return recordingsFolder; }
    bool FolderExists(const std::string& path) override { return folders.count(path) != 0; }
    ErrorText CreateFolder(const std::string& path) override {
        log.push_back("mkdir " + path);
        const size_t slash = path.find_last_of('\\');
        if (slash != std::string::npos && !folders.count(path.substr(0, slash)))
            return std::string(text::kCannotCreateFolder) + path;
        folders.insert(path);
        return std::nullopt;
    }
    void RegisterCommandHotKey(HotKeyCommand command, uint16_t value) override {
        log.push_back("hotkey " + std::to_string(static_cast<int>(command)) + " " +
                      std::to_string(value));
    }
    void SpeedButton5Click() override { log.push_back("tray"); }
    StartResult StartRecording(const std::string& outputPath, const CaptureSettings& settings,
                               const DerivedValues& derived) override {
        log.push_back("start " + outputPath);
        startedWith = settings;
        derivedAtStart = derived;
        return startResult;
    }
    void ShowRecordingIcon() override { log.push_back("icon"); }
    void SetEditEnabled(bool enabled) override { log.push_back(enabled ? "edit on" : "edit off"); }
    void PressStopButton() override { log.push_back("press stop"); }
    AreaSystem& Areas() override { return *this; }
    std::vector<Monitor> Monitors() override { return monitors; }
    mrv::Rect VirtualScreen() override { return {-1280, 0, 1920, 1080}; }
    std::optional<mrv::Rect> PickArea(PickMode mode, const std::optional<mrv::Rect>& last,
                                      int bitsPerPixel) override {
        log.push_back(std::string("pick ") + (mode == PickMode::Region ? "region" : "window") +
                      (last ? " last " + std::to_string(last->left) : "") + " at " +
                      std::to_string(bitsPerPixel));
        return picked;
    }
    bool RunCountdown(const std::optional<mrv::Rect>&) override {
        log.push_back("countdown");
        return countdownCompletes;
    }
    void SetRecordingArea(const std::optional<mrv::Rect>& area) override { areaAtStart = area; }

    std::vector<LocalTime> times{{2025, 3, 3, 14, 5, 9}, {2026, 12, 31, 23, 59, 58}};
    size_t nowCalls = 0;
    ModalResult result = ModalResult::Ok;
    std::function<void(SettingsForm&)> user;
    SettingsForm shown;
    std::set<std::string> folders{"Z:\\app", "D:\\rec"};
    std::string recordingsFolder;
    StartResult startResult{StartResult::Outcome::Started, false, ""};
    CaptureSettings startedWith;
    DerivedValues derivedAtStart;
    std::vector<std::string> log;
    std::vector<Monitor> monitors{{{0, 0, 1920, 1080}, 1, true}, {{-1280, 0, 0, 1024}, 2, false}};
    std::optional<mrv::Rect> picked;
    bool countdownCompletes = true;
    std::optional<mrv::Rect> areaAtStart;
};

class StartSequenceTest : public ::testing::Test {
  protected:
    StartOutcome Run() { return RunStartSequence(host, ini, settings, derived); }
    size_t IniWrites() const {
        size_t n = 0;
        for (const std::string& line : host.log) n += line.rfind("ini ", 0) == 0;
        return n;
    }

    FakeHost host;
    FakeIni ini{host.log};
    CaptureSettings settings;
    DerivedValues derived;
};

TEST(DefaultOutputName, IsTwoDigitDateAndTime) {
    EXPECT_EQ(DefaultOutputName({2025, 3, 3, 14, 5, 9}), "MRV_250303_140509.exe");
    EXPECT_EQ(DefaultOutputName({2009, 11, 30, 0, 0, 0}), "MRV_091130_000000.exe");
}

TEST_F(StartSequenceTest, DialogOpensOnGeneralTabFilledFromTheOptions) {
    settings.Frame = 9;
    settings.EditSleep = 55;
    settings.HotKey2 = 0x6078;
    host.result = ModalResult::Cancel;
    Run();
    EXPECT_EQ(host.shown.activeTab, SettingsTab::General);
    EXPECT_EQ(host.shown.EdtName, "MRV_250303_140509.exe");
    EXPECT_TRUE(host.shown.PathIsMarker());
    EXPECT_EQ(host.shown.edtPathColor, kPathMarkerColor);
    EXPECT_EQ(host.shown.ComboBox1, 9);
    EXPECT_EQ(host.shown.UpDown1, 55);
    EXPECT_FALSE(host.shown.CheckBox3.enabled);
    EXPECT_TRUE(host.shown.CheckBox6.enabled);
}

TEST_F(StartSequenceTest, OkRunsTheStepsInOrderAndSavesAfterwards) {
    host.user = [](SettingsForm& f) {
        f.ComboBox1 = 6;
        f.RadioGroup1 = 3;
        f.RadioGroup3 = 1;
        f.CheckBox1.checked = false;
        f.HotKey1 = 0x6078;
        f.HotKey4 = 0x4045;
    };
    const StartOutcome out = Run();
    EXPECT_EQ(out.kind, StartOutcome::Kind::Started);
    EXPECT_EQ(out.error, std::nullopt);
    EXPECT_EQ(out.outputPath, "Z:\\app\\MRV_250303_140509.exe");
    const std::vector<std::string> head{"dialog",
                                        "hotkey 0 24696",
                                        "hotkey 1 0",
                                        "hotkey 2 0",
                                        "hotkey 3 16453",
                                        "tray",
                                        "start Z:\\app\\MRV_250303_140509.exe",
                                        "icon",
                                        "edit on",
                                        "ini Frame=6"};
    ASSERT_GE(host.log.size(), head.size());
    EXPECT_EQ(std::vector<std::string>(host.log.begin(), host.log.begin() + head.size()), head);
    EXPECT_EQ(IniWrites(), 17u);
    EXPECT_EQ(derived, (DerivedValues{32, 13, 0x00CC0020, 142}));
    EXPECT_EQ(host.derivedAtStart, derived);
    EXPECT_EQ(host.startedWith.HotKey1, 24696);
    EXPECT_EQ(settings.HotKey4, 0x4045);
    EXPECT_EQ(ini.values["HotKey1"], "24696");
    EXPECT_EQ(ini.values["Color"], "3");
    EXPECT_EQ(ini.values["Captureblt"], "0");
}

TEST_F(StartSequenceTest, NoTrayStepWithoutDynamicTray) {
    host.user = [](SettingsForm& f) { f.CheckBox2.checked = false; };
    Run();
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "tray"), 0);
    EXPECT_FALSE(settings.DynamicTray);
}

TEST_F(StartSequenceTest, CancelPressesStopAndSavesTheOptionsUnchanged) {
    settings.Frame = 2;
    host.result = ModalResult::Cancel;
    host.user = [](SettingsForm& f) {
        f.ComboBox1 = 15;
        f.HotKey1 = 0x70;
    };
    const StartOutcome out = Run();
    EXPECT_EQ(out.kind, StartOutcome::Kind::Cancelled);
    EXPECT_EQ(host.log[1], "press stop");
    EXPECT_EQ(host.log[2], "edit off");
    EXPECT_EQ(host.log[3], "ini Frame=2");
    EXPECT_EQ(IniWrites(), 17u);
    EXPECT_EQ(settings.HotKey1, 0);
    for (const std::string& line : host.log) EXPECT_EQ(line.rfind("hotkey", 0), std::string::npos);
}

TEST_F(StartSequenceTest, EmptyNameTakesTheTimeOfTheOk) {
    host.user = [](SettingsForm& f) { f.EdtName.clear(); };
    const StartOutcome out = Run();
    EXPECT_EQ(out.outputPath, "Z:\\app\\MRV_261231_235958.exe");
}

TEST_F(StartSequenceTest, NameIsTakenAsTyped) {
    host.user = [](SettingsForm& f) { f.EdtName = "lesson 1"; };
    EXPECT_EQ(Run().outputPath, "Z:\\app\\lesson 1");
}

TEST_F(StartSequenceTest, FolderPathsExistingNewAndRoot) {
    host.user = [](SettingsForm& f) { f.FolderChosen("D:\\rec"); };
    EXPECT_EQ(Run().outputPath, "D:\\rec\\MRV_250303_140509.exe");

    host.nowCalls = 0;
    host.user = [](SettingsForm& f) { f.PathEdited("D:\\rec\\new"); };
    EXPECT_EQ(Run().outputPath, "D:\\rec\\new\\MRV_250303_140509.exe");
    EXPECT_TRUE(host.folders.count("D:\\rec\\new"));

    host.nowCalls = 0;
    host.folders.insert("C:\\");
    host.user = [](SettingsForm& f) { f.FolderChosen("C:\\"); };
    EXPECT_EQ(Run().outputPath, "C:\\MRV_250303_140509.exe");
}

TEST_F(StartSequenceTest, AFolderOtherThanTheProgramsIsShownAndTakesTheRecording) {
    host.recordingsFolder = "C:\\Users\\li\\Videos\\Morvanta";
    host.folders.insert("C:\\Users\\li\\Videos");
    EXPECT_EQ(Run().outputPath, "C:\\Users\\li\\Videos\\Morvanta\\MRV_250303_140509.exe");
    EXPECT_EQ(host.shown.EdtPath, host.recordingsFolder);
    EXPECT_EQ(host.shown.edtPathColor, kPathTextColor);
    EXPECT_EQ(host.log[1], "mkdir " + host.recordingsFolder);
}

TEST_F(StartSequenceTest, ARecordingFileIsNamedMrvAtOpeningAndAtAnEmptyNamesOk) {
    settings.FileType = 1;
    host.user = [](SettingsForm& f) { f.EdtName.clear(); };
    EXPECT_EQ(Run().outputPath, "Z:\\app\\MRV_261231_235958.mrv");
    EXPECT_EQ(host.shown.EdtName, "MRV_250303_140509.mrv");
    EXPECT_EQ(host.startedWith.FileType, 1);
    EXPECT_EQ(ini.values["FileType"], "1");
}

TEST_F(StartSequenceTest, MarkerWithABlankIsAFolder) {
    host.user = [](SettingsForm& f) { f.PathEdited(std::string(text::kSetPathMarker) + " "); };
    Run();
    EXPECT_EQ(host.log[1], "mkdir " + std::string(text::kSetPathMarker) + " ");
}

TEST_F(StartSequenceTest, MissingParentFolderFailsBeforeAnythingStarts) {
    settings.Frame = 3;
    host.user = [](SettingsForm& f) {
        f.PathEdited("D:\\none\\deeper");
        f.ComboBox1 = 12;
    };
    const StartOutcome out = Run();
    EXPECT_EQ(out.kind, StartOutcome::Kind::Failed);
    EXPECT_EQ(out.error, std::string(text::kCannotCreateFolder) + "D:\\none\\deeper");
    EXPECT_EQ(host.log, (std::vector<std::string>{"dialog", "mkdir D:\\none\\deeper"}));
    EXPECT_EQ(settings.Frame, 3);
}

TEST_F(StartSequenceTest, FailedStartWritesNoIni) {
    host.startResult = {StartResult::Outcome::Failed, false, "Cannot create file \"x\". Denied"};
    const StartOutcome out = Run();
    EXPECT_EQ(out.kind, StartOutcome::Kind::Failed);
    EXPECT_EQ(out.error, "Cannot create file \"x\". Denied");
    EXPECT_EQ(IniWrites(), 0u);
    EXPECT_EQ(host.log.back().rfind("start ", 0), 0u);
}

TEST_F(StartSequenceTest, FailedSoundDeviceSavesSoundOff) {
    host.user = [](SettingsForm& f) { f.CheckBox5.checked = true; };
    host.startResult = {StartResult::Outcome::Started, true, ""};
    EXPECT_EQ(Run().kind, StartOutcome::Kind::Started);
    EXPECT_TRUE(host.startedWith.Sound);
    EXPECT_FALSE(settings.Sound);
    EXPECT_EQ(ini.values["Sound"], "0");
}

TEST_F(StartSequenceTest, MissingStubSkipsTheRecordingStepsButSaves) {
    host.startResult = {StartResult::Outcome::StubMissing, false, ""};
    EXPECT_EQ(Run().kind, StartOutcome::Kind::StubMissing);
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "icon"), 0);
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "edit on"), 0);
    EXPECT_EQ(IniWrites(), 17u);
}

TEST_F(StartSequenceTest, ReadOnlyIniReportsButTheRecordingGoesOn) {
    ini.readOnly = true;
    const StartOutcome out = Run();
    EXPECT_EQ(out.kind, StartOutcome::Kind::Started);
    EXPECT_EQ(out.error, "Unable to write to Z:\\app\\Morvanta.ini");
}

}  // namespace
}  // namespace mrv::app

namespace mrv::app {
namespace {

// The picker runs after the dialog and before anything of the recording; what it took is the
// recording's area and the next last region. Esc there, or in the countdown, starts nothing but
// keeps the dialog's options.
TEST_F(StartSequenceTest, PickedRegionIsRecordedAndRemembered) {
    settings.Area = kAreaRegion;
    settings.AreaLeft = -100;
    settings.AreaWidth = 50;
    settings.AreaHeight = 40;
    settings.Countdown = true;
    host.picked = mrv::Rect{-300, 10, 340, 490};
    host.user = [](SettingsForm& f) { f.CheckBox2.checked = false; };
    ASSERT_EQ(Run().kind, StartOutcome::Kind::Started);
    EXPECT_EQ(std::vector<std::string>(host.log.begin(), host.log.begin() + 4),
              (std::vector<std::string>{"dialog", "pick region last -100 at 8", "countdown",
                                        "hotkey 0 0"}));
    EXPECT_EQ(host.areaAtStart, host.picked);
    EXPECT_EQ(ini.values["AreaLeft"], "-300");
    EXPECT_EQ(ini.values["AreaWidth"], "640");
    EXPECT_EQ(ini.values["AreaHeight"], "480");
}

TEST_F(StartSequenceTest, EscInThePickerOrCountdownStartsNothing) {
    settings.Area = kAreaWindow;
    host.user = [](SettingsForm& f) { f.RadioGroup1 = 2; };
    StartOutcome out = Run();
    EXPECT_EQ(out.kind, StartOutcome::Kind::Cancelled);
    EXPECT_EQ(out.error, std::nullopt);
    EXPECT_EQ(std::vector<std::string>(host.log.begin(), host.log.begin() + 4),
              (std::vector<std::string>{"dialog", "pick window at 16", "press stop", "edit off"}));
    EXPECT_EQ(ini.values["Color"], "2");

    host.log.clear();
    host.nowCalls = 0;
    settings.Area = kAreaMonitor + 2;
    settings.Countdown = true;
    host.countdownCompletes = false;
    out = Run();
    EXPECT_EQ(out.kind, StartOutcome::Kind::Cancelled);
    EXPECT_EQ(std::vector<std::string>(host.log.begin(), host.log.begin() + 3),
              (std::vector<std::string>{"dialog", "countdown", "press stop"}));
}

TEST_F(StartSequenceTest, MonitorAreaIsItsBoundsAndAMissingOneIsAnError) {
    settings.Area = kAreaMonitor + 2;
    ASSERT_EQ(Run().kind, StartOutcome::Kind::Started);
    EXPECT_EQ(host.areaAtStart, (mrv::Rect{-1280, 0, 0, 1024}));
    settings.Area = kAreaPrimaryScreen;
    host.nowCalls = 0;
    ASSERT_EQ(Run().kind, StartOutcome::Kind::Started);
    EXPECT_EQ(host.areaAtStart, std::nullopt);

    // The monitor went between the dialog's filling and its OK.
    host.nowCalls = 0;
    host.user = [this](SettingsForm& f) {
        f.ComboArea = 4;
        host.monitors.pop_back();
    };
    host.log.clear();
    const StartOutcome out = Run();
    EXPECT_EQ(out.kind, StartOutcome::Kind::Failed);
    EXPECT_EQ(out.error, std::string(text::kMonitorMissing));
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "press stop"), 1);
}

}  // namespace
}  // namespace mrv::app
