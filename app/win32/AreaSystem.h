// The system's side of the recording area: monitors, the virtual screen, the windows' visible
// frames and leaving our own windows out of screen captures.
#pragma once

#include <windows.h>

#include <vector>

#include "recorder/CaptureArea.h"

namespace mrv::win {

// In the system's numbering (\\.\DISPLAYn), at the monitors' real pixels.
std::vector<Monitor> EnumerateMonitors();
mrv::Rect VirtualScreenRect();
// The visible top-level windows' frames as the desktop window manager reports them (without
// the invisible resize borders), the topmost first.
std::vector<mrv::Rect> WindowFrames();
// Keeps `window` out of screen captures where the system can (Windows 10 2004 and later).
void ExcludeFromCapture(HWND window);

// Runs this thread's messages for a moment, so that the windows below an overlay that has just
// closed repaint before the screen is read.
void LetTheScreenRepaint();

inline RECT ToRECT(const mrv::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace mrv::win
