// The start sequence: dialog, derived values, output path, hot keys, recording start, INI.
#include "app/StartSequence.h"

#include <cstdio>

#include "common/Texts.h"

namespace mrv::app {

AreaSystem& StartHost::Areas() {
    static AreaSystem primaryOnly;
    return primaryOnly;
}

std::string DefaultOutputName(const LocalTime& t, RecordingKind kind) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "MRV_%02d%02d%02d_%02d%02d%02d%s", t.year % 100, t.month, t.day,
                  t.hour, t.minute, t.second, ExtensionOf(kind));
    return buf;
}

ErrorText OutputPathFor(StartHost& host, const SettingsForm& form, std::string& outputPath) {
    // The name is taken as typed: no extension is added or required.
    if (form.PathIsMarker()) {
        outputPath = host.ProgramFolder() + form.EdtName;
        return std::nullopt;
    }
    const std::string& folder = form.EdtPath;
    if (!host.FolderExists(folder)) {
        // One level only: a missing parent makes this fail, and the error ends the start.
        if (ErrorText error = host.CreateFolder(folder)) return error;
    }
    // A drive root from the folder browser ("C:\") already ends with the separator.
    const bool hasSeparator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    outputPath = folder + (hasSeparator ? "" : "\\") + form.EdtName;
    return std::nullopt;
}

namespace {

void RegisterHotKeys(StartHost& host, const SettingsForm& form) {
    host.RegisterCommandHotKey(HotKeyCommand::Start, form.HotKey1);
    host.RegisterCommandHotKey(HotKeyCommand::Pause, form.HotKey2);
    host.RegisterCommandHotKey(HotKeyCommand::Stop, form.HotKey3);
    host.RegisterCommandHotKey(HotKeyCommand::Edit, form.HotKey4);
}

// The state of a start that will not happen: the buttons show it, the options are saved.
void ShowNotStarted(StartHost& host) {
    host.PressStopButton();
    host.SetEditEnabled(false);
}

}  // namespace

AreaChoice ChooseArea(StartHost& host, CaptureSettings& s, int bitsPerPixel,
                      std::optional<mrv::Rect>& area, ErrorText& error) {
    area.reset();
    if (s.Area == kAreaPrimaryScreen) return AreaChoice::Chosen;
    if (s.Area == kAreaRegion || s.Area == kAreaWindow) {
        std::optional<mrv::Rect> last;
        if (s.AreaWidth > 0 && s.AreaHeight > 0) {
            last = mrv::Rect{s.AreaLeft, s.AreaTop, s.AreaLeft + s.AreaWidth,
                             s.AreaTop + s.AreaHeight};
        }
        const PickMode mode = s.Area == kAreaRegion ? PickMode::Region : PickMode::Window;
        area = host.Areas().PickArea(mode, last, bitsPerPixel);
        if (!area) return AreaChoice::Cancelled;
        s.AreaLeft = area->left;
        s.AreaTop = area->top;
        s.AreaWidth = area->right - area->left;
        s.AreaHeight = area->bottom - area->top;
        return AreaChoice::Chosen;
    }
    const std::vector<Monitor> monitors = host.Areas().Monitors();
    const std::optional<Monitor> monitor = MonitorNumbered(monitors, s.Area - kAreaMonitor);
    if (!monitor) {
        error = std::string(text::kMonitorMissing);
        return AreaChoice::Failed;
    }
    area = NormalizeArea(monitor->bounds, host.Areas().VirtualScreen(), bitsPerPixel);
    return AreaChoice::Chosen;
}

StartOutcome RunStartSequence(StartHost& host, IniStore& ini, CaptureSettings& settings,
                              DerivedValues& derived) {
    StartOutcome outcome;
    SettingsForm form;
    form.activeTab = SettingsTab::General;
    form.EdtName = DefaultOutputName(host.Now(), KindOf(settings.FileType));
    form.monitors = host.Areas().Monitors();
    form.FillFrom(settings);
    // The dialog shows the folder actually used instead of the program folder's marker.
    if (const std::string folder = host.RecordingsFolder(); !folder.empty())
        form.FolderChosen(folder);

    if (host.ShowSettingsDialog(form) == ModalResult::Ok) {
        derived = form.Derived();
        // The fresh name carries the time of the OK, not of the opening.
        if (form.EdtName.empty())
            form.EdtName = DefaultOutputName(host.Now(), KindOf(form.FileType));
        if (ErrorText error = OutputPathFor(host, form, outcome.outputPath)) {
            outcome.error = std::move(error);
            return outcome;
        }
        form.CopyBackTo(settings);
        // The area is settled before anything of the recording exists, so that Esc leaves
        // nothing behind.
        std::optional<mrv::Rect> area;
        const AreaChoice choice =
            ChooseArea(host, settings, derived.bitsPerPixel, area, outcome.error);
        const bool counted = choice == AreaChoice::Chosen &&
                             (!settings.Countdown || host.Areas().RunCountdown(area));
        if (!counted) {
            if (choice != AreaChoice::Failed) outcome.kind = StartOutcome::Kind::Cancelled;
            ShowNotStarted(host);
            form.CopyHotKeysTo(settings);
            if (ErrorText saved = SaveSettings(ini, settings); saved && !outcome.error) {
                outcome.error = std::move(saved);
            }
            return outcome;
        }
        RegisterHotKeys(host, form);
        form.CopyHotKeysTo(settings);
        if (settings.DynamicTray) host.SpeedButton5Click();

        host.SetRecordingArea(area);
        const StartResult started = host.StartRecording(outcome.outputPath, settings, derived);
        // A device that did not open leaves the recording silent, and the option is saved so.
        if (started.soundFailed) settings.Sound = false;
        switch (started.outcome) {
            case StartResult::Outcome::Failed:
                outcome.error = started.error;
                return outcome;
            case StartResult::Outcome::StubMissing:
                // The main window is closing; the options the user confirmed are still saved.
                outcome.kind = StartOutcome::Kind::StubMissing;
                break;
            case StartResult::Outcome::Started:
                outcome.kind = StartOutcome::Kind::Started;
                host.ShowRecordingIcon();
                host.SetEditEnabled(true);
                break;
        }
    } else {
        outcome.kind = StartOutcome::Kind::Cancelled;
        ShowNotStarted(host);
    }

    // A failed write is reported, but a recording that has started goes on.
    outcome.error = SaveSettings(ini, settings);
    return outcome;
}

}  // namespace mrv::app
