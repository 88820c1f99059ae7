// Where the player's window opens and what of its place is kept for the next start.
#pragma once

#include <cstdint>
#include <optional>

#include "player/Playback.h"
#include "player/Preferences.h"

namespace mrv::player {

// The window's outer rectangle and how it is shown.
struct OpenPlace {
    ScreenRect rect;
    WindowState state = WindowState::Normal;
    bool operator==(const OpenPlace&) const = default;
};

// The place the user left wins; else the recording is shown 1:1 (shrunk to fit the work area)
// above the strip, the window never narrower than the strip needs, centred in the work area.
// `frame` is what the window's borders and caption add to the client area.
OpenPlace PlaceOnOpen(Size recorded, const ScreenRect& workArea, Size frame, int32_t dpi,
                      const std::optional<WindowPlace>& remembered);

// The system gives the normal rectangle in work-area coordinates; it is kept on the screen's,
// with the work area's offset from the monitor's corner.
WindowPlace PlaceToKeep(const ScreenRect& normalInWorkArea, int32_t workLeftOffset,
                        int32_t workTopOffset, WindowState state);

}  // namespace mrv::player
