// The strip's layout: fixed widths for the buttons and labels, the rest for the position bar.
#include "player/Strip.h"

#include <algorithm>

namespace mrv::player {

namespace {
// 96-DPI widths, in the strip's order; 0 is the bar's, which takes the rest. They hold the
// texts in Tahoma 8 pt ("00:00:00 / 00:00:00", "退出全屏").
constexpr std::array<int32_t, kStripControls> kWidths = {44, 112, 0, 40, 64, 52, 60, 56, 40};
constexpr int32_t kGap = 4;
constexpr int32_t kHeight = 34;  // the picture above keeps whole pixels below 34
constexpr int32_t kControlHeight = 26;
constexpr int32_t kMinBar = 80;
}  // namespace

int32_t ScaleToDpi(int32_t units, int32_t dpi) {
    return static_cast<int32_t>((int64_t{units} * dpi + 48) / 96);
}

int32_t StripHeight(int32_t dpi) { return ScaleToDpi(kHeight, dpi); }

int32_t MinStripWidth(int32_t dpi) {
    int32_t width = kGap;
    for (int32_t w : kWidths)
        width += ScaleToDpi(w == 0 ? kMinBar : w, dpi) + ScaleToDpi(kGap, dpi);
    return width;
}

StripLayout LayoutStrip(int32_t width, int32_t top, int32_t dpi) {
    const int32_t gap = ScaleToDpi(kGap, dpi);
    const int32_t height = ScaleToDpi(kControlHeight, dpi);
    const int32_t y = top + (StripHeight(dpi) - height) / 2;
    int32_t fixed = gap;
    for (int32_t w : kWidths) fixed += ScaleToDpi(w, dpi) + gap;
    const int32_t bar = std::max(width - fixed, ScaleToDpi(kMinBar, dpi));
    StripLayout layout{};
    int32_t x = gap;
    for (size_t i = 0; i < kWidths.size(); ++i) {
        const int32_t w = kWidths[i] == 0 ? bar : ScaleToDpi(kWidths[i], dpi);
        layout[i] = {x, y, w, height};
        x += w + gap;
    }
    return layout;
}

}  // namespace mrv::player
