// Area rules: clamping, the smallest size, 4-bit alignment, and relative coordinates.
#include "recorder/CaptureArea.h"

#include <algorithm>

namespace mrv {

Rect RectFromCorners(Point a, Point b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

namespace {

// Brings [low, high) inside [min, max) with at least `side` pixels, growing it to the right
// (or left, at the edge) and keeping it whole where it fits.
void FitSpan(int32_t& low, int32_t& high, int32_t min, int32_t max, int32_t side) {
    low = std::clamp(low, min, max);
    high = std::clamp(high, min, max);
    if (high - low >= side) return;
    high = std::min(low + side, max);
    low = std::max(high - side, min);
}

}  // namespace

Rect NormalizeArea(Rect wanted, Rect vs, int bitsPerPixel) {
    if (vs.right - vs.left <= 0 || vs.bottom - vs.top <= 0) return {};
    Rect r = RectFromCorners({wanted.left, wanted.top}, {wanted.right, wanted.bottom});
    FitSpan(r.left, r.right, vs.left, vs.right, kMinAreaSide);
    FitSpan(r.top, r.bottom, vs.top, vs.bottom, kMinAreaSide);
    if (bitsPerPixel == 4) {
        // Two pixels a byte: an odd left edge or width would split a byte between rows' ends.
        // Even is taken relative to the virtual screen, whose own edge may be odd.
        r.left -= (r.left - vs.left) % 2;
        if ((r.right - r.left) % 2 != 0) {
            if (r.right < vs.right) {
                ++r.right;
            } else {
                --r.right;
            }
        }
    }
    return r;
}

Point RelativeCursor(Point p, const Rect& area) {
    if (p.x < area.left || p.x >= area.right || p.y < area.top || p.y >= area.bottom) {
        return kCursorOutside;
    }
    return {p.x - area.left, p.y - area.top};
}

Point ToStill(Point p, const Rect& vs) { return {p.x - vs.left, p.y - vs.top}; }

std::optional<Monitor> PrimaryMonitor(std::span<const Monitor> monitors) {
    for (const Monitor& m : monitors)
        if (m.primary) return m;
    if (monitors.empty()) return std::nullopt;
    return monitors.front();
}

std::optional<Monitor> MonitorNumbered(std::span<const Monitor> monitors, int number) {
    for (const Monitor& m : monitors)
        if (m.number == number) return m;
    return std::nullopt;
}

bool AreaScreen::GrabRect(int32_t x, int32_t y, int32_t width, int32_t height,
                          std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t rasterOp) {
    return source_.GrabRect(area_.left - origin_.x + x, area_.top - origin_.y + y, width, height,
                            bitmapInfo, bits, rasterOp);
}

}  // namespace mrv
