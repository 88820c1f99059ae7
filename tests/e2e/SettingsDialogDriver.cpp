// Shows the settings dialog on the options of an INI file, then prints the result and the
// values and saves them back, so a script can check the dialog and the INI file under Wine.
// Usage: mrv_e2e_settings <ini path> [advanced]
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/Settings.h"
#include "app/SettingsDialog.h"
#include "app/StartSequence.h"
#include "app/win32/IniFile.h"
#include "app/win32/SettingsDialog.h"
#include "common/win32/WinText.h"

int main(int argc, char** argv) {
    using namespace mrv;
    if (argc < 2) {
        std::fprintf(stderr, "usage: mrv_e2e_settings <ini path> [advanced]\n");
        return 2;
    }
    win::IniFile ini(win::Widen(argv[1]));
    app::CaptureSettings settings;
    app::FormPosition position;
    app::LoadSettings(ini, settings, position);

    app::SettingsForm form;
    form.EdtName = app::DefaultOutputName({2025, 3, 3, 14, 5, 9});
    form.FillFrom(settings);
    if (argc > 2 && std::string(argv[2]) == "advanced") form.activeTab = app::SettingsTab::Advanced;
    const app::ModalResult result = win::ShowSettingsDialog(nullptr, form);
    if (result == app::ModalResult::Ok) {
        form.CopyBackTo(settings);
        form.CopyHotKeysTo(settings);
    }
    std::printf("result=%d\nname=%s\npath=%s\nmarker=%d\n", static_cast<int>(result),
                form.EdtName.c_str(), form.EdtPath.c_str(), form.PathIsMarker() ? 1 : 0);
    const app::DerivedValues derived = form.Derived();
    std::printf("tickInterval=%d\nbitsPerPixel=%d\nscanStep=%d\nrasterOp=0x%08X\n",
                derived.tickInterval, derived.bitsPerPixel, derived.scanStep, derived.rasterOp);
    std::printf("HotKey1=%d\nBeginTips=%d\nEditSleep=%d\n", settings.HotKey1, settings.BeginTips,
                settings.EditSleep);
    if (const ErrorText error = app::SaveSettings(ini, settings))
        std::printf("error=%s\n", error->c_str());
    std::fflush(stdout);
    return 0;
}
