// TFrmMain's handlers: every rule of the main window, the tray menu and the hot-key route.
#include "app/MainWindow.h"

#include <algorithm>

#include "common/Texts.h"

namespace mrv::app {

using desktop::TrayPicture;

namespace {
constexpr uint32_t kNoticeFlags = kMbIconInformation | kMbTopmost;
}  // namespace

bool IsBarePanel(int32_t x, int32_t y) {
    if (!kPanel1.Contains(x, y)) return false;
    for (const Extent& covered :
         {kToolBar1, kPanel2, kSpeedButton6, kSpeedButton5, kSpeedButton4}) {
        if (covered.Contains(x, y)) return false;
    }
    return true;
}

std::string ErrorBoxText(const std::string& error) {
    // Bytes compare as unsigned, so a text ending in a multi-byte character gets its stop too.
    if (!error.empty() && static_cast<unsigned char>(error.back()) > '.') return error + ".";
    return error;
}

WindowPlace StartPlace(const FormPosition& stored, ScreenSize size,
                       const std::vector<Extent>& screens) {
    WindowPlace place;
    if (stored.SelfLeft != 0) place.left = stored.SelfLeft;
    if (stored.SelfTop != 0) place.top = stored.SelfTop;
    if (screens.empty()) return place;
    // A caption-less window has to be caught by its panel: a sliver at a screen's edge will not
    // do, while a window half off the screen, as a drag may leave it, still will.
    constexpr int32_t kMinShown = 16;
    const int64_t right = int64_t{place.left} + size.width;
    const int64_t bottom = int64_t{place.top} + size.height;
    for (const Extent& screen : screens) {
        const int64_t shownWidth = std::min(right, int64_t{screen.left} + screen.width) -
                                   std::max<int64_t>(place.left, screen.left);
        const int64_t shownHeight = std::min(bottom, int64_t{screen.top} + screen.height) -
                                    std::max<int64_t>(place.top, screen.top);
        if (shownWidth >= std::min(kMinShown, size.width) &&
            shownHeight >= std::min(kMinShown, size.height)) {
            return place;
        }
    }
    // Left where a removed monitor was, the window could never be reached again.
    return WindowPlace{};
}

FrmMain::FrmMain(MainShell& shell, IniStore& ini, desktop::HotKeySystem& hotKeys,
                 desktop::TrayShell& tray, ProgramFiles files, FrameEditor* editor)
    : shell_(shell),
      ini_(ini),
      hotKeys_(hotKeys),
      tray_(tray),
      files_(std::move(files)),
      editor_(editor) {}

void FrmMain::FormCreate() {
    FormPosition position;
    LoadSettings(ini_, settings_, position);
    const WindowPlace place = StartPlace(position, shell_.WindowSize(), shell_.Screens());
    left_ = place.left;
    top_ = place.top;
    shell_.MoveWindow(left_, top_);
    shell_.PressButton(ToolButton::Stop);
    shell_.SetEditEnabled(false);
    ShowLabels(text::kInitialSize, text::kInitialClock);
}

void FrmMain::FormClose() {
    if (closing_) return;
    closing_ = true;
    Stop();
    tray_.Remove();
    // A position that cannot be written is of no consequence at the end of the program.
    (void)SavePosition(ini_, FormPosition{top_, left_});
}

bool FrmMain::FormQueryEndSession() { return true; }

void FrmMain::FormEndSession(bool ending) {
    // A log-off cancelled by another program leaves the recording running.
    if (ending) FormClose();
}

void FrmMain::ToolButton1Click() {
    // A prompt or the editor may return after the window has closed; nothing starts then.
    if (closing_) return;
    if (recorder_->timerEnabled()) {
        if (recorder_->Resume()) tray_.SetTrayIcon(TrayPicture::Recording);
        return;
    }
    // The tray menu stays reachable while the settings dialog is open; a second dialog would
    // start a second recording over the first.
    if (starting_) return;
    starting_ = true;
    const StartOutcome outcome = RunStartSequence(*this, ini_, settings_, derived_);
    starting_ = false;
    if (outcome.error) ShowError(*outcome.error);
}

void FrmMain::ToolButton2Click() {
    if (recorder_->Pause()) tray_.SetTrayIcon(TrayPicture::Paused);
}

void FrmMain::ToolButton3Click() {
    if (!isRecording() || editor_ == nullptr) return;
    if (!isPaused()) ToolButton2Click();
    isEditing_ = true;
    const ErrorText error = editor_->EditAndInsert(*recorder_, settings_);
    isEditing_ = false;
    // The window closed meanwhile and has finished the recording itself.
    if (closing_) return;
    if (!isRecording()) {
        // A failed write closed the recording: the window does its part of a stop, and nothing
        // is resumed, so no settings dialog opens.
        AfterRecordingClosed();
        SyncToolBar();
        if (error) ShowError(*error);
        return;
    }
    if (error) {
        // The recording stays paused.
        SyncToolBar();
        ShowError(*error);
        return;
    }
    ToolButton1Click();
    shell_.PressButton(ToolButton::Start);
}

void FrmMain::ToolButton4Click() { Stop(); }

void FrmMain::Stop() {
    const bool wasRecording = isRecording();
    const ErrorText error = recorder_->StopRecording();
    shell_.SetEditEnabled(false);
    if (wasRecording) AfterRecordingClosed();
    if (error) ShowError(*error);
}

void FrmMain::AfterRecordingClosed() {
    shell_.HideAreaFrame();
    hotKeys_.UnregisterCommandHotKeys();
    tray_.SetTrayIcon(TrayPicture::Idle);
    shell_.SetEditEnabled(false);
}

void FrmMain::SpeedButton6Click() {
    shell_.MessageBox(text::kAboutText, text::kCaptionAbout, kNoticeFlags);
}

void FrmMain::SpeedButton5Click() {
    // Without an icon (no taskbar yet, Explorer restarting) a hidden window could not be
    // reached: it stays.
    if (tray_.Show()) shell_.HideWindow();
}

void FrmMain::SpeedButton4Click() {
    if (isRecording()) {
        const int answer = shell_.MessageBox(text::kExitQuestion, text::kAppTitle,
                                             kMbYesNo | kMbIconWarning | kMbTopmost);
        if (answer != kIdYes) return;
    }
    shell_.CloseWindow();
}

void FrmMain::SyncToolBar() {
    // The pressed button always shows the recording state, whichever route the command took.
    if (!isRecording()) {
        shell_.PressButton(ToolButton::Stop);
    } else if (isPaused()) {
        shell_.PressButton(ToolButton::Pause);
    } else {
        shell_.PressButton(ToolButton::Start);
    }
}

void FrmMain::RunCommand(ToolButton button) {
    switch (button) {
        case ToolButton::Start:
            ToolButton1Click();
            break;
        case ToolButton::Pause:
            ToolButton2Click();
            break;
        case ToolButton::Edit:
            ToolButton3Click();
            break;
        case ToolButton::Stop:
            ToolButton4Click();
            break;
    }
}

void FrmMain::ToolBarClick(ToolButton button) {
    RunCommand(button);
    if (!closing_) SyncToolBar();
}

void FrmMain::MenuClick(MenuItem item) {
    // The editor holds the recording paused; only About may run meanwhile.
    if (isEditing_ && item != MenuItem::About1) {
        Notice(text::kEditingNotice);
        return;
    }
    switch (item) {
        case MenuItem::About1:
            SpeedButton6Click();
            return;
        case MenuItem::Exit1:
            SpeedButton4Click();
            return;
        case MenuItem::N2:
            RunCommand(ToolButton::Start);
            break;
        case MenuItem::N4:
            RunCommand(ToolButton::Pause);
            break;
        case MenuItem::N5:
            RunCommand(ToolButton::Edit);
            break;
        case MenuItem::N3:
            RunCommand(ToolButton::Stop);
            break;
    }
    if (!closing_) SyncToolBar();
}

TrayMenuModel FrmMain::PopupMenu1Popup() const {
    TrayMenuModel menu;
    const bool recording = recorder_->isRecording();
    const bool paused = recorder_->isPaused();
    auto at = [](MenuItem item) { return static_cast<size_t>(item); };
    menu.enabled[at(MenuItem::About1)] = true;
    menu.enabled[at(MenuItem::N2)] = !recording || paused;
    menu.enabled[at(MenuItem::N4)] = recording && !paused;
    menu.enabled[at(MenuItem::N5)] = recording;
    menu.enabled[at(MenuItem::N3)] = recording;
    menu.enabled[at(MenuItem::Exit1)] = true;
    menu.shortcut[at(MenuItem::N2)] = hotKeys_.MenuText(desktop::HotKeyCommand::Start);
    menu.shortcut[at(MenuItem::N4)] = hotKeys_.MenuText(desktop::HotKeyCommand::Pause);
    menu.shortcut[at(MenuItem::N5)] = hotKeys_.MenuText(desktop::HotKeyCommand::Edit);
    menu.shortcut[at(MenuItem::N3)] = hotKeys_.MenuText(desktop::HotKeyCommand::Stop);
    return menu;
}

void FrmMain::TrayMessage(uint32_t mouseMessage) {
    switch (tray_.TrayMessage(mouseMessage)) {
        case desktop::TrayAction::RestoreWindow:
            shell_.ShowWindowInFront();
            break;
        case desktop::TrayAction::OpenMenu:
            shell_.OpenTrayMenu(PopupMenu1Popup());
            break;
        case desktop::TrayAction::None:
            break;
    }
}

void FrmMain::TaskbarCreated() {
    if (!tray_.TaskbarCreated()) shell_.ShowWindowInFront();
}

void FrmMain::WMHotKey(int32_t id) {
    if (isEditing_) {
        Notice(text::kEditingNotice);
        return;
    }
    const std::optional<desktop::HotKeyCommand> command = hotKeys_.Match(id);
    if (!command) return;
    switch (*command) {
        case desktop::HotKeyCommand::Start:
            // The keys exist from the dialog's OK on; until the recording has started (a sound
            // notice may be open) there is nothing to resume.
            if (starting_ || (isRecording() && !isPaused())) return;
            if (settings_.BeginTips) {
                const bool wasRecording = isRecording();
                // The recording resumes only once the prompt is closed. Its loop kept the tray
                // menu and the other keys working: a recording stopped meanwhile has nothing
                // left to resume, and the key must not turn into a new start.
                Notice(text::kStartPrompt);
                if (wasRecording && !isRecording()) return;
            }
            ToolButton1Click();
            break;
        case desktop::HotKeyCommand::Pause:
            if (!isRecording() || isPaused()) return;
            ToolButton2Click();
            SyncToolBar();
            if (settings_.PauseTips) Notice(text::kPausePrompt);
            return;
        case desktop::HotKeyCommand::Stop:
            if (!isRecording()) return;
            Stop();
            SyncToolBar();
            if (settings_.EndTips) {
                shell_.MessageBox(std::string(text::kStopSummaryHead) + outputPath_ +
                                      text::kStopSummaryLineEnd + text::kStopSummarySize + label1_ +
                                      text::kStopSummaryLineEnd + text::kStopSummaryLength +
                                      label2_ + text::kStopSummaryEnd,
                                  text::kAppTitle, kNoticeFlags);
            }
            return;
        case desktop::HotKeyCommand::Edit:
            if (!isRecording()) return;
            // No pause prompt on this route.
            if (!isPaused()) ToolButton2Click();
            SyncToolBar();
            ToolButton3Click();
            break;
    }
    if (!closing_) SyncToolBar();
}

void FrmMain::Timer1Timer() {
    const bool wasRecording = isRecording();
    const ErrorText error = recorder_->Timer1Timer();
    // A failed write has closed the recording: the window does its part of a stop.
    if (wasRecording && !isRecording()) {
        AfterRecordingClosed();
        SyncToolBar();
    }
    if (error) ShowError(*error);
    // Shown from the tick, not from the delivery that found the silence: a message box's loop
    // inside a delivery would run the next deliveries before this one has finished. Not over
    // the editor, which has the whole screen.
    if (silentMicrophoneDue_ && isRecording() && !isEditing_) {
        silentMicrophoneDue_ = false;
        Notice(text::kSilentMicrophone);
    }
}

void FrmMain::Panel1MouseDown(MouseButton button, int32_t x, int32_t y) {
    if (button != MouseButton::Left) return;
    dragAnchor_ = Point{x, y};
    dragging_ = true;
}

void FrmMain::Panel1MouseMove(int32_t x, int32_t y) {
    if (!dragging_) return;
    // The panel moves with the window, so the anchor stays under the pointer.
    left_ += x - dragAnchor_.x;
    top_ += y - dragAnchor_.y;
    shell_.MoveWindow(left_, top_);
}

void FrmMain::Panel1MouseUp() { dragging_ = false; }

void FrmMain::ShowLabels(const std::string& sizeText, const std::string& durationText) {
    label1_ = sizeText;
    label2_ = durationText;
    shell_.ShowLabels(label1_, label2_);
}

ModalResult FrmMain::ShowSettingsDialog(SettingsForm& form) {
    return shell_.ShowSettingsDialog(form);
}

void FrmMain::RegisterCommandHotKey(HotKeyCommand command, uint16_t value) {
    hotKeys_.RegisterCommandHotKey(static_cast<desktop::HotKeyCommand>(command), value);
}

StartResult FrmMain::StartRecording(const std::string& outputPath, const CaptureSettings& settings,
                                    const DerivedValues& derived) {
    RecordingOptions options = ToRecordingOptions(settings, derived);
    options.area = area_;
    silentMicrophoneDue_ = false;
    StartResult result = recorder_->StartRecording(outputPath, options, files_);
    if (result.outcome == StartResult::Outcome::StubMissing) {
        shell_.MessageBox(text::kStubMissing, text::kCaptionError, kMbIconError);
        shell_.CloseWindow();
    }
    // The window closed while the sound notice was open: the file is finished at once.
    if (closing_ && result.outcome == StartResult::Outcome::Started) Stop();
    if (result.outcome == StartResult::Outcome::Started) {
        outputPath_ = outputPath;
        if (area_ && isRecording()) shell_.ShowAreaFrame(*area_);
    } else {
        // Hot keys belong to an open recording only; a start that failed gives them back.
        hotKeys_.UnregisterCommandHotKeys();
    }
    return result;
}

void FrmMain::SoundDeviceFailed() { Notice(text::kSoundDeviceFailed); }
void FrmMain::SoundCodecMissing() { Notice(text::kSoundCodecMissing); }

void FrmMain::SilentMicrophone() { silentMicrophoneDue_ = true; }

void FrmMain::ShowRecordingIcon() { tray_.SetTrayIcon(TrayPicture::Recording); }

void FrmMain::Notice(const char* text) { shell_.MessageBox(text, text::kAppTitle, kNoticeFlags); }

void FrmMain::ShowError(const std::string& error) {
    shell_.MessageBox(ErrorBoxText(error), text::kAppTitle, kMbIconError);
}

}  // namespace mrv::app
