// The player's control strip: its buttons, labels, bars and tooltips, laid out for the display.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/win32/Handles.h"
#include "player/PlayerForm.h"

namespace mrv::player::win {

enum StripId {
    kIdPlay = 101,
    kIdBar,
    kIdTime,
    kIdMute,
    kIdVolume,
    kIdSpeed,
    kIdSave,
    kIdFull,
    kIdClose
};

class StripView {
  public:
    // `barProc` sees the position bar's messages first (with `barData`).
    void Create(HWND parent, int dpi, SUBCLASSPROC barProc, DWORD_PTR barData);
    // The texts in the font for `dpi`.
    void SetDpi(int dpi);
    void Layout(int width, int top, int dpi);
    void SetScaleTip(const std::string& tip);
    // The marked part on the bar, and its line in the time label's tooltip.
    void ShowSelection(const BarScale& scale, const Selection& selection);
    // The bar's custom draw: the selection over its channel. The result for WM_NOTIFY.
    LRESULT CustomDraw(const NMCUSTOMDRAW& draw) const;
    // The bar's range, and a tick under it for every held (annotated) frame.
    void SetBarRange(const BarScale& scale, const std::vector<int64_t>& markers);
    void SetBarPosition(int32_t position);
    int32_t BarPosition() const;
    int32_t Volume() const;
    int32_t SpeedIndex() const;
    void ShowPlaying(bool playing);
    void ShowFullScreen(bool fullScreen);
    void ShowSound(const SoundSettings& sound);
    void ShowTime(const std::string& text);
    // The time label is a small display as on the recorder's tool bar: white on black. Null
    // for the other controls.
    HBRUSH ColorStatic(HDC dc, HWND control) const;
    // Where the tests click: screen centres of the controls, the bar's thumb and channel, and
    // the strip's own place.
    std::string Places(int stripHeight) const;
    HWND bar() const { return bar_; }
    HWND volumeBar() const { return volumeBar_; }

  private:
    HWND parent_ = nullptr;
    HWND playButton_ = nullptr;
    HWND bar_ = nullptr;
    HWND timeLabel_ = nullptr;
    HWND muteButton_ = nullptr;
    HWND volumeBar_ = nullptr;
    HWND speedBox_ = nullptr;
    HWND saveButton_ = nullptr;
    HWND fullButton_ = nullptr;
    HWND closeButton_ = nullptr;
    HWND tooltip_ = nullptr;
    mrv::win::UniqueFont font_;
    mrv::win::UniqueBrush black_;
    void UpdateLabelTip();

    std::wstring scaleTip_;
    std::wstring selectionTip_;
    int32_t selectionFrom_ = -1;  // bar positions; -1: nothing marked
    int32_t selectionTo_ = -1;
    std::wstring labelTip_;
};

}  // namespace mrv::player::win
