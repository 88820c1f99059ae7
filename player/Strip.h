// Where the controls of the player's strip go, in pixels at the display's DPI.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/Extent.h"

namespace mrv::player {

enum class StripControl { Play, Time, Bar, Mute, Volume, Speed, SaveAs, Full, Close };
inline constexpr int kStripControls = 9;

using StripLayout = std::array<Extent, kStripControls>;

// 96-DPI units scaled to `dpi`, rounded as the system rounds.
int32_t ScaleToDpi(int32_t units, int32_t dpi);
int32_t StripHeight(int32_t dpi);
// The narrowest client area in which every control keeps its size and the bar stays usable.
int32_t MinStripWidth(int32_t dpi);
// The controls of a strip `width` pixels wide whose top is at `top`; the bar takes what the
// others leave.
StripLayout LayoutStrip(int32_t width, int32_t top, int32_t dpi);

inline const Extent& At(const StripLayout& layout, StripControl control) {
    return layout[static_cast<size_t>(control)];
}

}  // namespace mrv::player
