// The windows shown around a recording area: its frame while recording and the countdown
// before the start. Both stay out of screen captures where the system allows.
#pragma once

#include <windows.h>

#include <array>

#include "common/win32/Handles.h"
#include "recorder/CaptureArea.h"

namespace mrv::win {

// A thin frame just outside the area, in four click-through strips; strips that would lie off
// the virtual screen are left out.
class AreaFrame {
  public:
    explicit AreaFrame(HINSTANCE instance) : instance_(instance) {}
    void Show(const mrv::Rect& area);
    void Hide();

  private:
    HINSTANCE instance_;
    std::array<UniqueWindow, 4> strips_;
};

// Counts 3-2-1 in the middle of `area` (none: the primary screen); false after Esc.
bool RunCountdown(HINSTANCE instance, const mrv::Rect& area);

}  // namespace mrv::win
