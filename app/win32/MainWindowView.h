// The main window TFrmMain as a Win32 window: it draws the tool bar and routes messages to
// app::FrmMain, which holds every rule.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <memory>

#include "app/EditCommand.h"
#include "app/MainWindow.h"
#include "app/SettingsPlace.h"
#include "app/win32/AreaOverlays.h"
#include "app/win32/IniFile.h"
#include "audio/RecorderAudio.h"
#include "audio/win32/Win32WaveIn.h"
#include "common/win32/Handles.h"
#include "desktop/win32/Win32HotKeys.h"
#include "desktop/win32/Win32Tray.h"
#include "editor/win32/EditorSession.h"
#include "recorder/win32/GdiScreenSource.h"
#include "recorder/win32/Win32Platform.h"

namespace mrv::win {

inline void DestroyImageList(HIMAGELIST list) { ::ImageList_Destroy(list); }
using UniqueImageList = UniqueHandle<HIMAGELIST, DestroyImageList>;

class MainWindowView final : public app::MainShell {
  public:
    explicit MainWindowView(HINSTANCE instance);
    ~MainWindowView() override;
    MainWindowView(const MainWindowView&) = delete;
    MainWindowView& operator=(const MainWindowView&) = delete;

    // Creates the window (FormCreate runs) and shows it; false when it could not be made.
    bool Create(int showCommand);

    // MainShell
    int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override;
    void PressButton(app::ToolButton button) override;
    void SetEditEnabled(bool enabled) override;
    void ShowLabels(const std::string& label1, const std::string& label2) override;
    void MoveWindow(int32_t left, int32_t top) override;
    ScreenSize WindowSize() override;
    std::vector<Extent> Screens() override;
    void HideWindow() override;
    void ShowWindowInFront() override;
    void CloseWindow() override;
    void OpenTrayMenu(const app::TrayMenuModel& menu) override;
    app::ModalResult ShowSettingsDialog(app::SettingsForm& form) override;
    app::LocalTime Now() override;
    std::string ProgramFolder() override;
    bool FolderExists(const std::string& path) override;
    mrv::ErrorText CreateFolder(const std::string& path) override;
    // AreaSystem
    std::vector<Monitor> Monitors() override;
    mrv::Rect VirtualScreen() override;
    std::optional<mrv::Rect> PickArea(app::PickMode mode,
                                      const std::optional<mrv::Rect>& lastRegion,
                                      int bitsPerPixel) override;
    bool RunCountdown(const std::optional<mrv::Rect>& area) override;
    void ShowAreaFrame(const mrv::Rect& area) override { areaFrame_.Show(area); }
    void HideAreaFrame() override { areaFrame_.Hide(); }

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    void OnCreate();
    void OnCommand(int id);
    void OnPaint();
    void OnMouseDown(app::MouseButton button, LPARAM lParam);
    void OnMouseMove(LPARAM lParam);
    void OnMouseUp();
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    void OnClose();
    int Scale(int units) const { return ::MulDiv(units, dpi_, 96); }
    RECT ScaledRect(const Extent& r) const;
    HWND CreateChild(const wchar_t* cls, const std::wstring& text, DWORD style, const Extent& place,
                     int id);
    void AddTool(HWND control, const std::wstring& tip);
    HBITMAP MenuImage(int index);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    HWND toolBar_ = nullptr;
    HWND label1_ = nullptr;
    HWND label2_ = nullptr;
    HWND tooltip_ = nullptr;
    UINT taskbarCreated_ = 0;
    UniqueFont font_;
    UniqueBrush black_;
    UniqueImageList images_;
    UniqueBitmap menuImages_[4];

    // The INI file where it can be written, read with the one beside the program behind it.
    app::SettingsPlace place_;
    IniFile ini_;
    IniFile seedIni_;
    app::LayeredIni layeredIni_;
    std::unique_ptr<Win32HotKeys> hotKeys_;
    std::unique_ptr<Win32Tray> tray_;
    std::unique_ptr<app::FrmMain> form_;
    GdiScreenSource screen_;
    SystemClock clock_;
    SystemCursor cursor_;
    LowLevelMouseHook mouseHook_;
    Win32FileSystem files_;
    audio::GsmAudioFactory audio_{audio::win::MakeGSM610In};
    std::unique_ptr<WindowTimer> timer_;
    std::unique_ptr<Recorder> recorder_;
    Win32EditorFactory editorFactory_{instance_};
    app::EditCommand editCommand_{editorFactory_};
    AreaFrame areaFrame_{instance_};
};

}  // namespace mrv::win
