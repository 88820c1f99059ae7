// The after-save window on Win32, and the shell and clipboard calls behind its buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/win32/Handles.h"
#include "player/AfterSave.h"
#include "player/win32/TestHooks.h"

namespace mrv::player::win {

class AfterSaveView final : public AfterSaveShell {
  public:
    explicit AfterSaveView(const TestHooks& hooks) : hooks_(hooks) {}
    ~AfterSaveView() override;
    AfterSaveView(const AfterSaveView&) = delete;
    AfterSaveView& operator=(const AfterSaveView&) = delete;

    // The player window that owns it, and where its clicks go.
    void Attach(HWND owner, std::function<void(SavedAction)> onClick) {
        owner_ = owner;
        onClick_ = std::move(onClick);
    }
    void SetDpi(int dpi) { dpi_ = dpi; }
    HWND hwnd() const { return window_.get(); }

    int64_t FileSize(const std::string& path) override;
    void ShowWindow(const std::string& name, const std::string& size) override;
    void CloseWindow() override;
    bool OpenFile(const std::string& path) override;
    bool ShowInFolder(const std::string& folder, const std::vector<std::string>& files) override;
    bool CopyFiles(const std::vector<std::string>& files) override;
    void ShowError(const char* text) override;

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void LogPlaces() const;

    TestHooks hooks_;
    HWND owner_ = nullptr;
    int dpi_ = 96;
    std::function<void(SavedAction)> onClick_;
    mrv::win::UniqueWindow window_;
    mrv::win::UniqueFont font_;
    bool comStarted_ = false;
};

}  // namespace mrv::player::win
