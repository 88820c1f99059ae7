// TFrmMain as a portable form: recording state, commands, routing, prompts, tray and dragging.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "app/StartSequence.h"
#include "common/Extent.h"
#include "desktop/HotKeys.h"
#include "desktop/Tray.h"
#include "recorder/Recorder.h"

namespace mrv::app {

// Message box flags, as MessageBox takes them.
inline constexpr uint32_t kMbOk = 0x0;
inline constexpr uint32_t kMbYesNo = 0x4;
inline constexpr uint32_t kMbIconError = 0x10;
inline constexpr uint32_t kMbIconWarning = 0x30;
inline constexpr uint32_t kMbIconInformation = 0x40;
inline constexpr uint32_t kMbTopmost = 0x40000;
inline constexpr int kIdYes = 6;

inline constexpr int32_t kDesignLeft = 453;
inline constexpr int32_t kDesignTop = 308;

// The four grouped check buttons of ToolBar1.
enum class ToolButton { Start = 0, Pause = 1, Edit = 2, Stop = 3 };

// PopupMenu1's items in order; separators N1 and N7 are not commands.
enum class MenuItem { About1 = 0, N2, N4, N5, N3, Exit1 };
inline constexpr int kMenuCommands = 6;

struct TrayMenuModel {
    std::array<bool, kMenuCommands> enabled{};
    std::array<std::string, kMenuCommands> shortcut{};  // empty without a registered key
};

enum class MouseButton { Left, Right, Middle };

// Places in Panel1 (96-DPI units), and whether a point is its uncovered surface.
inline constexpr Extent kPanel1{0, 0, 368, 32};
inline constexpr Extent kToolBar1{3, 3, 101, 26};
inline constexpr Extent kPanel2{105, 5, 151, 22};
inline constexpr Extent kSpeedButton6{259, 5, 22, 22};
inline constexpr Extent kSpeedButton5{281, 5, 22, 22};
inline constexpr Extent kSpeedButton4{303, 5, 22, 22};
bool IsBarePanel(int32_t x, int32_t y);

// The general error box's text: a full stop is added when the last character sorts after ".".
std::string ErrorBoxText(const std::string& error);

struct WindowPlace {
    int32_t left = kDesignLeft;
    int32_t top = kDesignTop;
};

// Where the tool bar opens: the stored place (0 stands for a coordinate never stored) while a
// window of `size` there still shows on one of `screens`, else the design place. No screens
// known means no judgement: the stored place holds.
WindowPlace StartPlace(const FormPosition& stored, ScreenSize size,
                       const std::vector<Extent>& screens);

// Everything the form asks of its window and of the system.
class MainShell : public AreaSystem {
  public:
    virtual ~MainShell() = default;
    // Returns the button pressed (kIdYes for Yes).
    virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) = 0;
    virtual void PressButton(ToolButton button) = 0;
    virtual void SetEditEnabled(bool enabled) = 0;
    virtual void ShowLabels(const std::string& label1, const std::string& label2) = 0;
    virtual void MoveWindow(int32_t left, int32_t top) = 0;
    // The window's outer size in pixels, and each monitor's rectangle on the desktop.
    virtual ScreenSize WindowSize() = 0;
    virtual std::vector<Extent> Screens() = 0;
    virtual void HideWindow() = 0;
    virtual void ShowWindowInFront() = 0;
    // Asks for the window to close; FormClose follows once the current handler has returned.
    virtual void CloseWindow() = 0;
    virtual void OpenTrayMenu(const TrayMenuModel& menu) = 0;
    virtual ModalResult ShowSettingsDialog(SettingsForm& form) = 0;
    virtual LocalTime Now() = 0;
    virtual std::string ProgramFolder() = 0;
    virtual bool FolderExists(const std::string& path) = 0;
    virtual ErrorText CreateFolder(const std::string& path) = 0;
};

// The annotation editor with the insertion of its picture; the form brackets it with isEditing.
// It runs on a paused recording and returns an error for the general error box, reported once
// the editor is gone (see EditAndInsertFrame).
class FrameEditor {
  public:
    virtual ~FrameEditor() = default;
    virtual ErrorText EditAndInsert(Recorder& recorder, const CaptureSettings& settings) = 0;
};

class FrmMain final : private StartHost, public RecorderView {
  public:
    // The recorder's view must be this form (see RecorderViewFor); `editor` may be null until
    // the annotation editor exists, and the edit command then does nothing.
    FrmMain(MainShell& shell, IniStore& ini, desktop::HotKeySystem& hotKeys,
            desktop::TrayShell& tray, ProgramFiles files, FrameEditor* editor = nullptr);
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;

    // The recorder is created after the form, because it reports to the form's labels.
    void AttachRecorder(Recorder& recorder) { recorder_ = &recorder; }
    // New recordings go there unless the user names a folder; empty: the program's folder.
    void SetRecordingsFolder(std::string folder) { recordingsFolder_ = std::move(folder); }

    void FormCreate();
    void FormClose();
    // Log-off or shutdown. The query is agreed to without asking, since nobody may be there to
    // answer; once the session really ends the window finishes everything as closing does.
    bool FormQueryEndSession();
    void FormEndSession(bool ending);

    void ToolButton1Click();            // start or resume
    void ToolButton2Click();            // pause
    void ToolButton3Click();            // edit
    void ToolButton4Click();            // stop
    void SpeedButton6Click();           // about
    void SpeedButton5Click() override;  // minimise to the tray
    void SpeedButton4Click();           // exit

    // A tool-bar button as the user clicked it.
    void ToolBarClick(ToolButton button);
    void MenuClick(MenuItem item);
    TrayMenuModel PopupMenu1Popup() const;
    void TrayMessage(uint32_t mouseMessage);
    void TaskbarCreated();
    void WMHotKey(int32_t id);
    void Timer1Timer();

    void Panel1MouseDown(MouseButton button, int32_t x, int32_t y);
    void Panel1MouseMove(int32_t x, int32_t y);
    void Panel1MouseUp();

    // RecorderView: Label1 (size) and Label2 (clock).
    void ShowLabels(const std::string& sizeText, const std::string& durationText) override;
    void SoundDeviceFailed() override;
    void SoundCodecMissing() override;
    void SilentMicrophone() override;

    bool isRecording() const { return recorder_->isRecording(); }
    bool isPaused() const { return recorder_->isPaused(); }
    bool isEditing() const { return isEditing_; }
    bool dragging() const { return dragging_; }
    const std::string& outputPath() const { return outputPath_; }
    const std::string& label1() const { return label1_; }
    const std::string& label2() const { return label2_; }
    int32_t left() const { return left_; }
    int32_t top() const { return top_; }
    const CaptureSettings& settings() const { return settings_; }
    const DerivedValues& derived() const { return derived_; }
    const desktop::TrayIcon& tray() const { return tray_; }
    const desktop::CommandHotKeys& hotKeys() const { return hotKeys_; }

  private:
    // StartHost
    LocalTime Now() override { return shell_.Now(); }
    ModalResult ShowSettingsDialog(SettingsForm& form) override;
    std::string ProgramFolder() override { return shell_.ProgramFolder(); }
    std::string RecordingsFolder() override { return recordingsFolder_; }
    bool FolderExists(const std::string& path) override { return shell_.FolderExists(path); }
    ErrorText CreateFolder(const std::string& path) override { return shell_.CreateFolder(path); }
    void RegisterCommandHotKey(HotKeyCommand command, uint16_t value) override;
    StartResult StartRecording(const std::string& outputPath, const CaptureSettings& settings,
                               const DerivedValues& derived) override;
    void ShowRecordingIcon() override;
    void SetEditEnabled(bool enabled) override { shell_.SetEditEnabled(enabled); }
    void PressStopButton() override { shell_.PressButton(ToolButton::Stop); }
    AreaSystem& Areas() override { return shell_; }
    void SetRecordingArea(const std::optional<mrv::Rect>& area) override { area_ = area; }

    void Notice(const char* text);
    void ShowError(const std::string& error);
    // The stop-side duties of the window once the recorder has closed its file.
    void AfterRecordingClosed();
    void Stop();
    void SyncToolBar();
    void RunCommand(ToolButton button);

    MainShell& shell_;
    IniStore& ini_;
    desktop::CommandHotKeys hotKeys_;
    desktop::TrayIcon tray_;
    ProgramFiles files_;
    FrameEditor* editor_;
    Recorder* recorder_ = nullptr;

    CaptureSettings settings_;
    DerivedValues derived_;
    std::string outputPath_;
    std::optional<mrv::Rect> area_;  // of the recording being started
    std::string recordingsFolder_;
    bool isEditing_ = false;
    bool dragging_ = false;
    Point dragAnchor_;
    int32_t left_ = kDesignLeft;
    int32_t top_ = kDesignTop;
    std::string label1_;
    std::string label2_;
    bool closing_ = false;
    bool starting_ = false;  // the start sequence is running
    bool silentMicrophoneDue_ = false;
};

}  // namespace mrv::app
