// The first-open size and place, and the place kept for the next start.
#include "player/WindowPlacing.h"

#include <algorithm>

#include "player/Strip.h"

namespace mrv::player {

OpenPlace PlaceOnOpen(Size recorded, const ScreenRect& workArea, Size frame, int32_t dpi,
                      const std::optional<WindowPlace>& remembered) {
    if (remembered) {
        // Full screen comes once the window is up, from its normal place.
        return {remembered->normal, remembered->state};
    }
    const int32_t workW = workArea.right - workArea.left;
    const int32_t workH = workArea.bottom - workArea.top;
    const int32_t strip = StripHeight(dpi);
    const Size fit = FitInto(recorded, {workW - frame.width, workH - frame.height - strip});
    const int32_t width = std::max(fit.width, MinStripWidth(dpi)) + frame.width;
    const int32_t height = fit.height + strip + frame.height;
    const int32_t left = workArea.left + std::max(0, (workW - width) / 2);
    const int32_t top = workArea.top + std::max(0, (workH - height) / 2);
    return {{left, top, left + width, top + height}, WindowState::Normal};
}

WindowPlace PlaceToKeep(const ScreenRect& normalInWorkArea, int32_t workLeftOffset,
                        int32_t workTopOffset, WindowState state) {
    const ScreenRect& r = normalInWorkArea;
    WindowPlace kept;
    kept.normal = {r.left + workLeftOffset, r.top + workTopOffset, r.right + workLeftOffset,
                   r.bottom + workTopOffset};
    kept.state = state;
    return kept;
}

}  // namespace mrv::player
