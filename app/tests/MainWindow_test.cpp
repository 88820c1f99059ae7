// TFrmMain's rules against fakes of the window, the tray, the hot keys and the recorder's platform.
#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>

#include "app/EditCommand.h"
#include "common/Texts.h"
#include "desktop/tests/FakeDesktop.h"
#include "recorder/StreamFormat.h"
#include "recorder/StreamReader.h"
#include "recorder/tests/Fakes.h"

namespace mrv::app {
namespace {

using namespace mrv::testing;

const char kStub[] = "Z:\\app\\HeadFile.hdf";

class MemoryIni final : public IniStore {
  public:
    std::optional<std::string> Read(const std::string& section, const std::string& key) override {
        const auto it = values.find(section + "/" + key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool Write(const std::string& section, const std::string& key,
               const std::string& value) override {
        if (readOnly) return false;
        values[section + "/" + key] = value;
        return true;
    }
    std::string Path() const override { return "Z:\\app\\Morvanta.ini"; }
    std::map<std::string, std::string> values;
    bool readOnly = false;
};

struct Box {
    std::string text, caption;
    uint32_t flags;
};

class FakeShell final : public MainShell {
  public:
    int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override {
        boxes.push_back({text, caption, flags});
        if (duringBox) duringBox();
        if (answers.empty()) return 1;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void PressButton(ToolButton b) override { pressed = b; }
    void SetEditEnabled(bool e) override { editEnabled = e; }
    void ShowLabels(const std::string& l1, const std::string& l2) override {
        label1 = l1;
        label2 = l2;
    }
    void MoveWindow(int32_t l, int32_t t) override {
        left = l;
        top = t;
    }
    ScreenSize WindowSize() override { return {368, 32}; }
    std::vector<Extent> Screens() override { return screens; }
    void HideWindow() override { visible = false; }
    void ShowWindowInFront() override { visible = true; }
    void CloseWindow() override { ++closeRequests; }
    void OpenTrayMenu(const TrayMenuModel& m) override {
        menu = m;
        ++menuOpened;
    }
    ModalResult ShowSettingsDialog(SettingsForm& form) override {
        ++dialogs;
        if (user) user(form);
        return dialogResult;
    }
    LocalTime Now() override { return {2025, 3, 3, 14, 5, 9}; }
    std::string ProgramFolder() override { return "Z:\\app\\"; }
    bool FolderExists(const std::string& p) override { return p == "Z:\\out"; }
    ErrorText CreateFolder(const std::string& p) override {
        return "Cannot create folder " + p + ". The system cannot find the path specified";
    }

    std::vector<Extent> screens{{0, 0, 1024, 768}};
    std::vector<Box> boxes;
    std::deque<int> answers;
    std::function<void()> duringBox;
    std::function<void(SettingsForm&)> user;
    ModalResult dialogResult = ModalResult::Ok;
    ToolButton pressed = ToolButton::Start;
    bool editEnabled = true;
    bool visible = true;
    std::string label1, label2;
    int32_t left = 0, top = 0;
    int closeRequests = 0;
    int dialogs = 0;
    int menuOpened = 0;
    TrayMenuModel menu;
};

class FakeEditor final : public FrameEditor {
  public:
    ErrorText EditAndInsert(Recorder& recorder, const CaptureSettings&) override {
        ++runs;
        wasPaused = recorder.isPaused();
        if (during) during();
        return result ? result(recorder) : std::nullopt;
    }
    int runs = 0;
    bool wasPaused = false;
    std::function<void()> during;
    std::function<ErrorText(Recorder&)> result;
};

constexpr uint16_t kF5 = 0x74, kF6 = 0x75, kF7 = 0x76, kF8 = 0x77;

class MainWindowTest : public ::testing::Test, protected RecorderFakes {
  protected:
    MainWindowTest()
        : screen(64, 48, 8),  // the default colour depth: the memory screen does not convert
          form(shell, ini, hotKeySystem, trayShell, {kStub, "Z:\\app\\Morvanta.exe", ""}, &editor),
          recorder(Platform(screen, form)) {
        files.files[kStub].bytes = {'M', 'Z'};
        audio.deviceWorks = false;  // no capture device
        form.AttachRecorder(recorder);
    }

    void Create() { form.FormCreate(); }
    // Start with hot keys F5..F8 for start, pause, stop, edit.
    void StartWithKeys(bool dynamicTray = false) {
        shell.user = [dynamicTray](SettingsForm& f) {
            f.HotKey1 = kF5;
            f.HotKey2 = kF6;
            f.HotKey3 = kF7;
            f.HotKey4 = kF8;
            f.CheckBox2.checked = dynamicTray;
        };
        form.ToolBarClick(ToolButton::Start);
        ASSERT_TRUE(form.isRecording());
    }
    int32_t Key(desktop::HotKeyCommand c) const { return form.hotKeys().Id(c); }
    void Tick(uint32_t ms) {
        clock.tick += ms;
        form.Timer1Timer();
    }
    StreamHeader Header() {
        const auto& bytes = files.files[form.outputPath()].bytes;
        return DecodeStreamHeader(
            std::span<const uint8_t>(bytes).subspan(2).first<kStreamHeaderSize>());
    }

    MemoryScreen screen;
    FakeShell shell;
    MemoryIni ini;
    FakeHotKeySystem hotKeySystem;
    FakeTrayShell trayShell;
    FakeEditor editor;
    FrmMain form;
    Recorder recorder;
};

TEST_F(MainWindowTest, FirstStartWithoutIniShowsTheStoppedToolBarAtTheDesignPlace) {
    Create();
    EXPECT_EQ(shell.left, 453);
    EXPECT_EQ(shell.top, 308);
    EXPECT_EQ(shell.pressed, ToolButton::Stop);
    EXPECT_FALSE(shell.editEnabled);
    EXPECT_EQ(shell.label2, "00:00:00");
    EXPECT_EQ(shell.label1, "0KB");
    EXPECT_TRUE(trayShell.log.empty());
    EXPECT_TRUE(hotKeySystem.log.empty());
}

TEST_F(MainWindowTest, StoredPositionIsAppliedAndZeroKeepsTheDesignCoordinate) {
    ini.values["FormPosition/SelfTop"] = "0";
    ini.values["FormPosition/SelfLeft"] = "120";
    Create();
    EXPECT_EQ(shell.left, 120);
    EXPECT_EQ(shell.top, 308);
}

TEST(StartPlaceTest, StoredPlaceHoldsWhileTheToolBarShowsOnSomeScreen) {
    const ScreenSize bar{368, 32};
    const std::vector<Extent> two{{0, 0, 1024, 768}, {1024, -200, 1280, 1024}};
    auto at = [&](int32_t left, int32_t top, const std::vector<Extent>& screens) {
        const WindowPlace p = StartPlace(FormPosition{top, left}, bar, screens);
        return std::make_pair(p.left, p.top);
    };
    EXPECT_EQ(at(2000, -150, two), std::make_pair(2000, -150));  // on the second monitor
    EXPECT_EQ(at(-300, 700, two), std::make_pair(-300, 700));    // half off, still reachable
    // The second monitor is gone: the bar comes back to its design place.
    EXPECT_EQ(at(2000, -150, {two[0]}), std::make_pair(453, 308));
    // A sliver at an edge is as good as gone.
    EXPECT_EQ(at(-360, 100, two), std::make_pair(453, 308));
    EXPECT_EQ(at(100, 760, two), std::make_pair(453, 308));
    EXPECT_EQ(at(-352, 100, two), std::make_pair(-352, 100));
    // Between two monitors that do not touch, above the lower one.
    EXPECT_EQ(at(1100, -250, two), std::make_pair(453, 308));
    // Without any monitor known the stored place is kept.
    EXPECT_EQ(at(5000, 5000, {}), std::make_pair(5000, 5000));
    // Far-off values do not overflow the arithmetic.
    EXPECT_EQ(at(INT32_MAX, INT32_MAX, two), std::make_pair(453, 308));
}

TEST_F(MainWindowTest, StoredPlaceOnARemovedMonitorOpensTheToolBarAtItsDesignPlace) {
    ini.values["FormPosition/SelfTop"] = "300";
    ini.values["FormPosition/SelfLeft"] = "1500";
    Create();
    EXPECT_EQ(shell.left, 453);
    EXPECT_EQ(shell.top, 308);
    form.FormClose();
    EXPECT_EQ(ini.values.at("FormPosition/SelfLeft"), "453");
}

TEST_F(MainWindowTest, StartOkRecordsAndEnablesEditThenStopFinishesTheFile) {
    Create();
    StartWithKeys();
    EXPECT_EQ(form.outputPath(), "Z:\\app\\MRV_250303_140509.exe");
    EXPECT_TRUE(shell.editEnabled);
    EXPECT_EQ(shell.pressed, ToolButton::Start);
    EXPECT_EQ(form.tray().picture(), desktop::TrayPicture::Recording);
    EXPECT_TRUE(timer.enabled);
    Tick(166);
    Tick(166);
    form.ToolBarClick(ToolButton::Stop);
    EXPECT_FALSE(form.isRecording());
    EXPECT_FALSE(shell.editEnabled);
    EXPECT_EQ(shell.pressed, ToolButton::Stop);
    EXPECT_EQ(form.tray().picture(), desktop::TrayPicture::Idle);
    EXPECT_TRUE(hotKeySystem.byId.empty());
    EXPECT_EQ(Header().frameCount, 2);
    EXPECT_EQ(Header().durationMs, 332);
    EXPECT_EQ(ini.values.at("Option/Frame"), "5");
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(MainWindowTest, CancelKeepsStopPressedAndEditDisabledAndSavesTheOptions) {
    Create();
    shell.dialogResult = ModalResult::Cancel;
    form.ToolBarClick(ToolButton::Start);
    EXPECT_FALSE(form.isRecording());
    EXPECT_EQ(shell.pressed, ToolButton::Stop);
    EXPECT_FALSE(shell.editEnabled);
    EXPECT_EQ(ini.values.count("Option/EndTips"), 1u);
    EXPECT_TRUE(hotKeySystem.byId.empty());
}

TEST_F(MainWindowTest, StartWhileRecordingDoesNothingAndStartWhilePausedResumesWithoutDialog) {
    Create();
    StartWithKeys();
    form.ToolBarClick(ToolButton::Start);
    EXPECT_EQ(shell.dialogs, 1);
    form.ToolBarClick(ToolButton::Pause);
    EXPECT_TRUE(form.isPaused());
    EXPECT_EQ(form.tray().picture(), desktop::TrayPicture::Paused);
    EXPECT_EQ(shell.pressed, ToolButton::Pause);
    form.ToolBarClick(ToolButton::Start);
    EXPECT_FALSE(form.isPaused());
    EXPECT_EQ(shell.dialogs, 1);
    EXPECT_EQ(form.tray().picture(), desktop::TrayPicture::Recording);
}

TEST_F(MainWindowTest, SecondPauseChangesNothingAndDurationEndsAtThePause) {
    Create();
    StartWithKeys();
    clock.tick += 400;
    form.ToolBarClick(ToolButton::Pause);
    clock.tick += 1000;
    form.ToolBarClick(ToolButton::Pause);
    form.ToolBarClick(ToolButton::Stop);
    EXPECT_EQ(Header().durationMs, 400);
}

TEST_F(MainWindowTest, StopWithNoRecordingOnlyKeepsEditDisabled) {
    Create();
    shell.editEnabled = true;
    form.ToolBarClick(ToolButton::Stop);
    EXPECT_FALSE(shell.editEnabled);
    EXPECT_TRUE(trayShell.log.empty());
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(MainWindowTest, ToolBarPauseWhileStoppedShowsTheStoppedStateAgain) {
    Create();
    shell.pressed = ToolButton::Pause;  // the group pressed the clicked button
    form.ToolBarClick(ToolButton::Pause);
    EXPECT_EQ(shell.pressed, ToolButton::Stop);
}

TEST_F(MainWindowTest, AboutShowsTheVersionBox) {
    Create();
    form.SpeedButton6Click();
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text, "Morvanta v0.3\t");
    EXPECT_EQ(shell.boxes[0].caption, "About");
    EXPECT_EQ(shell.boxes[0].flags, 0x40040u);
}

TEST_F(MainWindowTest, ExitWithoutRecordingClosesAtOnce) {
    Create();
    form.SpeedButton4Click();
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_EQ(shell.closeRequests, 1);
}

TEST_F(MainWindowTest, ExitAnsweredNoKeepsRecordingWithTheFramesCapturedDuringTheQuestion) {
    Create();
    StartWithKeys();
    shell.answers = {7};  // IDNO
    shell.duringBox = [this] { Tick(166); };
    form.SpeedButton4Click();
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text, "正在进行屏幕录像,确认退出?\t");
    EXPECT_EQ(shell.boxes[0].caption, "Morvanta");
    EXPECT_EQ(shell.boxes[0].flags, 0x40034u);
    EXPECT_EQ(shell.closeRequests, 0);
    EXPECT_TRUE(form.isRecording());
    EXPECT_EQ(recorder.frameCounter(), 1);
}

TEST_F(MainWindowTest, ExitWhilePausedAsksAndYesCloses) {
    Create();
    StartWithKeys();
    form.ToolBarClick(ToolButton::Pause);
    shell.answers = {kIdYes};
    form.SpeedButton4Click();
    EXPECT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.closeRequests, 1);
}

TEST_F(MainWindowTest, CloseFromOutsideFinishesTheRecordingRemovesTheIconAndSavesPosition) {
    Create();
    StartWithKeys(/*dynamicTray=*/true);
    EXPECT_FALSE(shell.visible);
    EXPECT_TRUE(trayShell.present);
    Tick(166);
    form.FormClose();
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_FALSE(form.isRecording());
    EXPECT_EQ(Header().frameCount, 1);
    EXPECT_FALSE(trayShell.present);
    EXPECT_TRUE(hotKeySystem.byId.empty());
    EXPECT_EQ(ini.values.at("FormPosition/SelfTop"), "308");
    EXPECT_EQ(ini.values.at("FormPosition/SelfLeft"), "453");
}

TEST_F(MainWindowTest, SessionEndFinishesTheRecordingAsClosingDoesAndACancelKeepsIt) {
    Create();
    StartWithKeys(/*dynamicTray=*/true);
    Tick(166);
    // Nobody may be there to answer: no question, and nothing ends before the session does.
    EXPECT_TRUE(form.FormQueryEndSession());
    EXPECT_TRUE(shell.boxes.empty());
    form.FormEndSession(false);
    EXPECT_TRUE(form.isRecording());
    Tick(166);
    clock.tick += 100;
    form.FormEndSession(true);
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_FALSE(form.isRecording());
    EXPECT_EQ(Header().frameCount, 2);
    EXPECT_EQ(Header().durationMs, 432);
    EXPECT_FALSE(files.files[form.outputPath()].open);
    EXPECT_FALSE(trayShell.present);
    EXPECT_TRUE(hotKeySystem.byId.empty());
    EXPECT_EQ(ini.values.at("FormPosition/SelfLeft"), "453");
    // A key still queued starts nothing.
    form.WMHotKey(Key(desktop::HotKeyCommand::Start));
    EXPECT_EQ(shell.dialogs, 1);
}

TEST_F(MainWindowTest, MissingStubShowsTheErrorAndClosesTheProgram) {
    files.files.clear();
    Create();
    shell.user = [](SettingsForm& f) { f.HotKey1 = kF5; };
    form.ToolBarClick(ToolButton::Start);
    EXPECT_FALSE(form.isRecording());
    ASSERT_GE(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text, "缺少文件HeadFile.hdf,程序终止运行!\t");
    EXPECT_EQ(shell.boxes[0].caption, "Error");
    EXPECT_EQ(shell.boxes[0].flags, kMbIconError);
    EXPECT_EQ(shell.closeRequests, 1);
    EXPECT_TRUE(hotKeySystem.byId.empty());
}

TEST_F(MainWindowTest, MissingOutputFolderShowsTheGeneralErrorBoxAndStartsNothing) {
    Create();
    shell.user = [](SettingsForm& f) { f.PathEdited("Z:\\none\\deeper"); };
    form.ToolBarClick(ToolButton::Start);
    EXPECT_FALSE(form.isRecording());
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text,
              "Cannot create folder Z:\\none\\deeper. The system cannot find the path specified.");
    EXPECT_EQ(shell.boxes[0].caption, "Morvanta");
    EXPECT_EQ(shell.boxes[0].flags, kMbIconError);
    EXPECT_EQ(shell.pressed, ToolButton::Stop);
    EXPECT_TRUE(ini.values.empty());
}

TEST_F(MainWindowTest, FailedStartGivesTheHotKeysBack) {
    Create();
    shell.user = [](SettingsForm& f) {
        f.HotKey1 = kF5;
        f.EdtName = "missing/rec.exe";  // the fake file system cannot create this
    };
    form.ToolBarClick(ToolButton::Start);
    EXPECT_FALSE(form.isRecording());
    EXPECT_EQ(shell.boxes.size(), 1u);
    EXPECT_TRUE(hotKeySystem.byId.empty());
    EXPECT_TRUE(hotKeySystem.atoms.empty());
}

TEST_F(MainWindowTest, SoundWithoutDeviceShowsTheNoticeBeforeTheRecordingAndSavesSoundOff) {
    Create();
    shell.user = [](SettingsForm& f) { f.CheckBox5.checked = true; };
    // The notice is not part of the recording: nothing is created or timed while it is open.
    shell.duringBox = [this] {
        EXPECT_FALSE(form.isRecording());
        EXPECT_FALSE(timer.enabled);
        EXPECT_EQ(files.files.size(), 1u);
    };
    form.ToolBarClick(ToolButton::Start);
    EXPECT_TRUE(form.isRecording());
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text, "启动录音设备失败!\t");
    EXPECT_EQ(shell.boxes[0].flags, 0x40040u);
    EXPECT_EQ(ini.values.at("Option/Sound"), "0");
}

TEST_F(MainWindowTest, CloseDuringTheSoundNoticeLeavesAFinishedFileAndNoRecording) {
    Create();
    shell.user = [](SettingsForm& f) {
        f.CheckBox5.checked = true;
        f.HotKey3 = kF7;
    };
    shell.duringBox = [this] { form.FormClose(); };
    form.ToolBarClick(ToolButton::Start);
    EXPECT_FALSE(form.isRecording());
    EXPECT_FALSE(timer.enabled);
    EXPECT_EQ(Header().frameCount, 0);
    EXPECT_NE(Header().durationMs, 1024);  // patched, not the placeholder of an open file
    EXPECT_TRUE(hotKeySystem.byId.empty());
}

TEST_F(MainWindowTest, StartKeyDuringTheSoundNoticeDoesNothing) {
    Create();
    shell.user = [](SettingsForm& f) {
        f.CheckBox5.checked = true;
        f.HotKey1 = kF5;
    };
    shell.duringBox = [this] {
        if (shell.boxes.size() == 1) form.WMHotKey(Key(desktop::HotKeyCommand::Start));
    };
    form.ToolBarClick(ToolButton::Start);
    EXPECT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.dialogs, 1);
    EXPECT_TRUE(form.isRecording());
}

TEST_F(MainWindowTest, SilentMicrophoneGetsOneNoticeFromTheNextTickAndTheRecordingGoesOn) {
    Create();
    audio.deviceWorks = true;
    shell.user = [](SettingsForm& f) { f.CheckBox5.checked = true; };
    form.ToolBarClick(ToolButton::Start);
    ASSERT_TRUE(form.isRecording());
    audio.sink->OnSilentInput();
    EXPECT_TRUE(shell.boxes.empty());  // not from inside the delivery
    Tick(200);
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text, text::kSilentMicrophone);
    EXPECT_EQ(shell.boxes[0].caption, "Morvanta");
    EXPECT_EQ(shell.boxes[0].flags, 0x40040u);
    Tick(200);
    EXPECT_EQ(shell.boxes.size(), 1u);
    EXPECT_TRUE(form.isRecording());

    // A report that comes as the recording stops is not carried into the next one.
    audio.sink->OnSilentInput();
    form.ToolBarClick(ToolButton::Stop);
    form.ToolBarClick(ToolButton::Start);
    Tick(200);
    EXPECT_EQ(shell.boxes.size(), 1u);
}

TEST(ErrorBoxTextTest, FullStopOnlyAfterACharacterSortingAfterIt) {
    EXPECT_EQ(ErrorBoxText("Access is denied"), "Access is denied.");
    EXPECT_EQ(ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(ErrorBoxText("Path ends -"), "Path ends -");
    EXPECT_EQ(ErrorBoxText("拒绝访问"), "拒绝访问.");
    EXPECT_EQ(ErrorBoxText(""), "");
}

TEST_F(MainWindowTest, TrayMenuEnablingFollowsTheRecordingState) {
    Create();
    using M = MenuItem;
    auto enabled = [this](M item) { return form.PopupMenu1Popup().enabled[size_t(item)]; };
    EXPECT_TRUE(enabled(M::N2) && enabled(M::About1) && enabled(M::Exit1));
    EXPECT_FALSE(enabled(M::N4) || enabled(M::N5) || enabled(M::N3));
    StartWithKeys();
    EXPECT_FALSE(enabled(M::N2));
    EXPECT_TRUE(enabled(M::N4) && enabled(M::N5) && enabled(M::N3));
    form.MenuClick(M::N4);
    EXPECT_FALSE(enabled(M::N4));
    EXPECT_TRUE(enabled(M::N2) && enabled(M::N5) && enabled(M::N3));
}

TEST_F(MainWindowTest, TrayMenuShowsKeysOnlyWhileRegistered) {
    Create();
    StartWithKeys();
    TrayMenuModel menu = form.PopupMenu1Popup();
    EXPECT_EQ(menu.shortcut[size_t(MenuItem::N2)], "F5");
    EXPECT_EQ(menu.shortcut[size_t(MenuItem::N3)], "F7");
    EXPECT_EQ(menu.shortcut[size_t(MenuItem::N5)], "F8");
    form.MenuClick(MenuItem::N3);
    menu = form.PopupMenu1Popup();
    for (const std::string& text : menu.shortcut) EXPECT_EQ(text, "");
}

TEST_F(MainWindowTest, NeverHiddenWithoutAnIconNorLeftHiddenWhenTheIconCannotComeBack) {
    Create();
    trayShell.refuseAdd = true;  // no taskbar yet
    form.SpeedButton5Click();
    EXPECT_TRUE(shell.visible);
    trayShell.refuseAdd = false;
    form.SpeedButton5Click();
    EXPECT_FALSE(shell.visible);
    // Explorer restarts: the icon comes back and the window stays in the tray ...
    trayShell.present = false;
    form.TaskbarCreated();
    EXPECT_TRUE(trayShell.present);
    EXPECT_FALSE(shell.visible);
    // ... unless it cannot, and then the window comes back instead.
    trayShell.present = false;
    trayShell.refuseAdd = true;
    form.TaskbarCreated();
    EXPECT_TRUE(shell.visible);
}

TEST_F(MainWindowTest, MinimiseThenMenuCommandsChangeTheIconAndTheWindowStaysHidden) {
    Create();
    form.SpeedButton5Click();
    EXPECT_FALSE(shell.visible);
    EXPECT_EQ(trayShell.picture, desktop::TrayPicture::Idle);
    shell.user = [](SettingsForm& f) { f.CheckBox2.checked = false; };
    form.MenuClick(MenuItem::N2);
    EXPECT_TRUE(form.isRecording());
    EXPECT_FALSE(shell.visible);
    EXPECT_EQ(trayShell.picture, desktop::TrayPicture::Recording);
    EXPECT_EQ(shell.pressed, ToolButton::Start);  // the tool bar follows menu commands
    form.MenuClick(MenuItem::N4);
    EXPECT_EQ(trayShell.picture, desktop::TrayPicture::Paused);
    EXPECT_EQ(shell.pressed, ToolButton::Pause);
    form.MenuClick(MenuItem::N2);
    EXPECT_EQ(trayShell.picture, desktop::TrayPicture::Recording);
    form.MenuClick(MenuItem::N3);
    EXPECT_EQ(trayShell.picture, desktop::TrayPicture::Idle);
    form.TrayMessage(desktop::kWmRButtonUp);
    EXPECT_EQ(shell.menuOpened, 1);
    form.TrayMessage(desktop::kWmLButtonUp);
    EXPECT_TRUE(shell.visible);
    EXPECT_FALSE(trayShell.present);
}

TEST_F(MainWindowTest, PauseWhileVisibleShowsNoIconAndMinimisingShowsTheCurrentState) {
    Create();
    StartWithKeys();
    form.ToolBarClick(ToolButton::Pause);
    EXPECT_FALSE(trayShell.present);
    form.SpeedButton5Click();
    EXPECT_EQ(trayShell.picture, desktop::TrayPicture::Paused);
}

TEST_F(MainWindowTest, StopHotKeyShowsTheSummaryWithPathAndFinalLabels) {
    Create();
    StartWithKeys();
    Tick(166);
    form.WMHotKey(Key(desktop::HotKeyCommand::Stop));
    EXPECT_FALSE(form.isRecording());
    EXPECT_EQ(shell.pressed, ToolButton::Stop);
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text,
              "屏幕录像已经停止\t\r\r文件路径: Z:\\app\\MRV_250303_140509.exe\t\r"
              "文件大小: " +
                  form.label1() + "\t\r录像时长: 00:00:00\t");
    EXPECT_NE(form.label1(), "0KB");
    EXPECT_EQ(shell.boxes[0].flags, 0x40040u);
}

TEST_F(MainWindowTest, StopHotKeyWithoutEndTipsStopsSilently) {
    Create();
    shell.user = [](SettingsForm& f) {
        f.HotKey3 = kF7;
        f.CheckBox7.checked = false;
    };
    form.ToolBarClick(ToolButton::Start);
    form.WMHotKey(Key(desktop::HotKeyCommand::Stop));
    EXPECT_FALSE(form.isRecording());
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(MainWindowTest, PauseHotKeyPausesThenPromptsAndIsIgnoredWhenPaused) {
    Create();
    StartWithKeys();
    shell.duringBox = [this] { EXPECT_TRUE(form.isPaused()); };
    form.WMHotKey(Key(desktop::HotKeyCommand::Pause));
    EXPECT_EQ(shell.pressed, ToolButton::Pause);
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text, "屏幕录像已经暂停\t");
    form.WMHotKey(Key(desktop::HotKeyCommand::Pause));
    EXPECT_EQ(shell.boxes.size(), 1u);
}

TEST_F(MainWindowTest, StartHotKeyWhilePausedPromptsFirstAndResumesAfterOk) {
    Create();
    StartWithKeys();
    form.ToolBarClick(ToolButton::Pause);
    shell.duringBox = [this] { EXPECT_TRUE(form.isPaused()); };
    form.WMHotKey(Key(desktop::HotKeyCommand::Start));
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text, "点击确定按钮开始屏幕录像\t");
    EXPECT_FALSE(form.isPaused());
    EXPECT_EQ(shell.pressed, ToolButton::Start);
    // While recording the start key does nothing.
    form.WMHotKey(Key(desktop::HotKeyCommand::Start));
    EXPECT_EQ(shell.boxes.size(), 1u);
}

TEST_F(MainWindowTest, CloseDuringTheStartPromptStartsNothingAfterIt) {
    Create();
    StartWithKeys();
    form.ToolBarClick(ToolButton::Pause);
    Tick(166);
    shell.duringBox = [this] { form.FormClose(); };
    form.WMHotKey(Key(desktop::HotKeyCommand::Start));
    EXPECT_EQ(shell.dialogs, 1);
    EXPECT_FALSE(form.isRecording());
    EXPECT_FALSE(timer.enabled);
    EXPECT_EQ(Header().frameCount, 0);
    EXPECT_EQ(shell.boxes.size(), 1u);
}

// The start key on a paused recording, stopped by `stop` while its prompt is open.
void StopDuringTheStartPrompt(FakeShell& shell, FrmMain& form, const std::function<void()>& stop) {
    bool stopped = false;
    shell.duringBox = [&] {
        if (stopped) return;  // the stop summary
        stopped = true;
        stop();
    };
    form.WMHotKey(form.hotKeys().Id(desktop::HotKeyCommand::Start));
    EXPECT_TRUE(stopped);
    EXPECT_EQ(shell.dialogs, 1);  // the first start's only
    EXPECT_FALSE(form.isRecording());
    EXPECT_EQ(shell.pressed, ToolButton::Stop);
    EXPECT_EQ(form.tray().picture(), desktop::TrayPicture::Idle);
}

TEST_F(MainWindowTest, StopFromTheTrayDuringTheStartPromptOpensNoSettingsDialog) {
    Create();
    StartWithKeys(/*dynamicTray=*/true);
    form.ToolBarClick(ToolButton::Pause);
    StopDuringTheStartPrompt(shell, form, [this] { form.MenuClick(MenuItem::N3); });
    EXPECT_FALSE(timer.enabled);
}

TEST_F(MainWindowTest, StopKeyDuringTheStartPromptOpensNoSettingsDialog) {
    Create();
    StartWithKeys();
    form.ToolBarClick(ToolButton::Pause);
    StopDuringTheStartPrompt(shell, form,
                             [this] { form.WMHotKey(Key(desktop::HotKeyCommand::Stop)); });
    EXPECT_EQ(shell.boxes.size(), 2u);  // the prompt and the stop summary
}

TEST_F(MainWindowTest, TrayStartWhileTheDialogIsOpenOpensNoSecondDialog) {
    Create();
    form.SpeedButton5Click();
    shell.user = [this](SettingsForm& f) {
        f.HotKey1 = kF5;
        f.CheckBox2.checked = true;
        if (shell.dialogs == 1) form.MenuClick(MenuItem::N2);
    };
    form.MenuClick(MenuItem::N2);
    EXPECT_EQ(shell.dialogs, 1);
    EXPECT_TRUE(form.isRecording());
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_EQ(form.PopupMenu1Popup().shortcut[size_t(MenuItem::N2)], "F5");
    EXPECT_EQ(trayShell.picture, desktop::TrayPicture::Recording);
}

TEST_F(MainWindowTest, EditHotKeyPausesWithoutPromptRunsTheEditorAndResumes) {
    Create();
    StartWithKeys();
    form.WMHotKey(Key(desktop::HotKeyCommand::Edit));
    EXPECT_EQ(editor.runs, 1);
    EXPECT_TRUE(editor.wasPaused);
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_FALSE(form.isPaused());
    EXPECT_EQ(shell.pressed, ToolButton::Start);
    EXPECT_EQ(form.tray().picture(), desktop::TrayPicture::Recording);
}

TEST_F(MainWindowTest, WhileEditingEveryHotKeyAndMenuCommandShowsOnlyTheNotice) {
    Create();
    StartWithKeys();
    editor.during = [this] {
        form.WMHotKey(Key(desktop::HotKeyCommand::Stop));
        form.WMHotKey(12345);
        for (MenuItem item :
             {MenuItem::N2, MenuItem::N4, MenuItem::N5, MenuItem::N3, MenuItem::Exit1}) {
            form.MenuClick(item);
        }
        EXPECT_TRUE(form.isRecording());
        EXPECT_TRUE(form.isPaused());
    };
    form.ToolBarClick(ToolButton::Edit);
    ASSERT_EQ(shell.boxes.size(), 7u);
    for (const Box& box : shell.boxes) EXPECT_EQ(box.text, "请先退出编辑状态再进行改操作!\t");
    EXPECT_EQ(shell.closeRequests, 0);
    EXPECT_TRUE(form.isRecording());
}

TEST_F(MainWindowTest, EditWhilePausedResumesAfterwardsWithoutASecondPause) {
    Create();
    StartWithKeys();
    clock.tick += 300;
    form.ToolBarClick(ToolButton::Pause);
    clock.tick += 1000;
    form.ToolBarClick(ToolButton::Edit);
    EXPECT_EQ(editor.runs, 1);
    EXPECT_FALSE(form.isEditing());
    EXPECT_FALSE(form.isPaused());
    EXPECT_EQ(shell.pressed, ToolButton::Start);
    EXPECT_EQ(form.tray().picture(), desktop::TrayPicture::Recording);
    clock.tick += 200;
    form.ToolBarClick(ToolButton::Stop);
    EXPECT_EQ(Header().durationMs, 500);
}

TEST_F(MainWindowTest, EditorFailureIsShownAfterItAndLeavesTheRecordingPaused) {
    Create();
    StartWithKeys();
    bool editingAtTheBox = true;
    shell.duringBox = [&] { editingAtTheBox = form.isEditing(); };
    editor.result = [](Recorder&) -> ErrorText { return "Out of memory"; };
    form.ToolBarClick(ToolButton::Edit);
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text, "Out of memory.");
    EXPECT_EQ(shell.boxes[0].flags, kMbIconError);
    EXPECT_FALSE(editingAtTheBox);
    EXPECT_TRUE(form.isRecording());
    EXPECT_TRUE(form.isPaused());
    EXPECT_EQ(shell.pressed, ToolButton::Pause);
    EXPECT_EQ(form.tray().picture(), desktop::TrayPicture::Paused);
    EXPECT_EQ(shell.dialogs, 1);
}

TEST_F(MainWindowTest, FailedWriteOfTheEditedFrameEndsTheRecordingAsAStop) {
    Create();
    StartWithKeys();
    Tick(200);
    MemoryScreen picture(64, 48, 8);
    editor.result = [&](Recorder& recorder) {
        files.capacity = static_cast<int64_t>(files.files[form.outputPath()].bytes.size()) + 4;
        return recorder.InsertEditedFrame(EditMode::FullScreenCopy, 20, picture);
    };
    form.WMHotKey(Key(desktop::HotKeyCommand::Edit));
    EXPECT_FALSE(form.isRecording());
    EXPECT_FALSE(form.isEditing());
    EXPECT_EQ(shell.dialogs, 1);  // nothing was resumed, so no new start
    EXPECT_FALSE(shell.editEnabled);
    EXPECT_EQ(shell.pressed, ToolButton::Stop);
    EXPECT_TRUE(hotKeySystem.byId.empty());
    EXPECT_EQ(form.tray().picture(), desktop::TrayPicture::Idle);
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].flags, kMbIconError);
    EXPECT_EQ(Header().frameCount, 1);
}

// The real hook over a fake editor: the options reach the insertion.
class PictureSession final : public EditorSession {
  public:
    explicit PictureSession(MemoryScreen& picture) : picture_(picture) {}
    Result ShowModal(std::string&) override { return Result::Ok; }
    ScreenSource& Picture() override { return picture_; }

  private:
    MemoryScreen& picture_;
};

class PictureFactory final : public EditorFactory {
  public:
    std::unique_ptr<EditorSession> Create(std::string&) override {
        return std::make_unique<PictureSession>(picture);
    }
    MemoryScreen picture{64, 48, 8};
};

TEST_F(MainWindowTest, EditCommandInsertsWithTheModeAndHoldOfTheSettings) {
    PictureFactory factory;
    EditCommand command(factory);
    FrmMain withEditor(shell, ini, hotKeySystem, trayShell, {kStub, "Z:\\app\\Morvanta.exe", ""},
                       &command);
    Recorder ownRecorder(Platform(screen, withEditor));
    withEditor.AttachRecorder(ownRecorder);
    ini.values["Option/EditSleep"] = "9";
    ini.values["Option/EditMode"] = "0";
    withEditor.FormCreate();
    withEditor.ToolBarClick(ToolButton::Start);
    withEditor.ToolBarClick(ToolButton::Edit);
    ini.values["Option/EditMode"] = "1";
    withEditor.FormCreate();  // the options as the dialog would have left them
    withEditor.ToolBarClick(ToolButton::Edit);
    EXPECT_FALSE(withEditor.isPaused());
    const std::string path = withEditor.outputPath();
    withEditor.ToolBarClick(ToolButton::Stop);

    StreamReader reader;
    ASSERT_TRUE(reader.Open(std::span<const uint8_t>(files.files[path].bytes).subspan(2)));
    ASSERT_EQ(reader.ReadNext(), StreamReader::Next::Frame);
    EXPECT_EQ(reader.frame().holdTicks, 9);
    EXPECT_EQ(reader.rects(), (std::vector<mrv::Rect>{{0, 0, 64, 48}}));
    ASSERT_EQ(reader.ReadNext(), StreamReader::Next::Frame);
    EXPECT_EQ(reader.frame().holdTicks, 9);
    EXPECT_TRUE(reader.rects().empty());  // a scan: the screen is as the picture left it
    EXPECT_EQ(reader.header().frameCount, 20);
}

TEST_F(MainWindowTest, UnknownHotKeyIdDoesNothing) {
    Create();
    StartWithKeys();
    form.WMHotKey(0x3FFF);
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_TRUE(form.isRecording());
    EXPECT_FALSE(form.isPaused());
}

TEST_F(MainWindowTest, LeftDragMovesTheWindowKeepingTheAnchorUnderThePointer) {
    Create();
    form.Panel1MouseDown(MouseButton::Left, 340, 10);
    form.Panel1MouseMove(350, 4);
    EXPECT_EQ(shell.left, 463);
    EXPECT_EQ(shell.top, 302);
    // The window moved, so the pointer is back at the anchor in panel coordinates.
    form.Panel1MouseMove(340, 10);
    EXPECT_EQ(shell.left, 463);
    form.Panel1MouseUp();
    form.Panel1MouseMove(360, 20);
    EXPECT_EQ(shell.left, 463);
    form.FormClose();
    EXPECT_EQ(ini.values.at("FormPosition/SelfLeft"), "463");
}

TEST_F(MainWindowTest, RightButtonDoesNotDrag) {
    Create();
    form.Panel1MouseDown(MouseButton::Right, 340, 10);
    form.Panel1MouseMove(350, 20);
    EXPECT_FALSE(form.dragging());
    EXPECT_EQ(shell.left, 453);
}

TEST(BarePanelTest, OnlyTheUncoveredSurfaceDrags) {
    EXPECT_TRUE(IsBarePanel(1, 1));     // the margin
    EXPECT_TRUE(IsBarePanel(104, 15));  // between the tool bar and the display
    EXPECT_TRUE(IsBarePanel(330, 15));  // blank end right of Exit
    EXPECT_TRUE(IsBarePanel(367, 31));
    EXPECT_FALSE(IsBarePanel(50, 15));   // the tool bar
    EXPECT_FALSE(IsBarePanel(150, 15));  // the black display
    EXPECT_FALSE(IsBarePanel(270, 15));  // About
    EXPECT_FALSE(IsBarePanel(310, 26));  // Exit
    EXPECT_FALSE(IsBarePanel(368, 10));  // outside
}

TEST_F(MainWindowTest, FailedWriteStopsLikeAStopAndShowsTheError) {
    Create();
    StartWithKeys();
    files.capacity = static_cast<int64_t>(files.files[form.outputPath()].bytes.size()) + 4;
    Tick(166);
    EXPECT_FALSE(form.isRecording());
    EXPECT_FALSE(shell.editEnabled);
    EXPECT_EQ(shell.pressed, ToolButton::Stop);
    EXPECT_TRUE(hotKeySystem.byId.empty());
    EXPECT_EQ(form.tray().picture(), desktop::TrayPicture::Idle);
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].flags, kMbIconError);
}

}  // namespace
}  // namespace mrv::app
