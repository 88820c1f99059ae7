// Rectangle routines and the arrow head.
#include "editor/Geometry.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace mrv::editor {

void SwapInts(int32_t& a, int32_t& b) { std::swap(a, b); }

void NormalizeRect(Rect& rect) {
    if (rect.left > rect.right) SwapInts(rect.left, rect.right);
    if (rect.top > rect.bottom) SwapInts(rect.top, rect.bottom);
}

Rect OffsetRectCopy(const Rect& rect, int32_t dx, int32_t dy) {
    return {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

Rect InflateRectCopy(const Rect& rect, int32_t dx, int32_t dy) {
    return {rect.left - dx, rect.top - dy, rect.right + dx, rect.bottom + dy};
}

std::array<Point, 8> HandlePoints(const Rect& rect) {
    // Rounded down, also for negative sums, as the handles of a shape dragged off the top-left
    // edge must still be where they were drawn.
    const int32_t mx = static_cast<int32_t>(std::floor((int64_t{rect.left} + rect.right) / 2.0));
    const int32_t my = static_cast<int32_t>(std::floor((int64_t{rect.top} + rect.bottom) / 2.0));
    const int32_t r = rect.right - 1;
    const int32_t b = rect.bottom - 1;
    return {{{rect.left, rect.top},
             {mx, rect.top},
             {r, rect.top},
             {r, my},
             {r, b},
             {mx, b},
             {rect.left, b},
             {rect.left, my}}};
}

namespace {

// Each coordinate is computed in extended precision and truncated toward zero.
Point Truncated(long double x, long double y) {
    return {static_cast<int32_t>(std::trunc(x)), static_cast<int32_t>(std::trunc(y))};
}

}  // namespace

ArrowHead ArrowBarbs(Point start, Point tip) {
    constexpr long double kLength = 12.0L;
    constexpr long double kPi = std::numbers::pi_v<long double>;
    constexpr long double kHalfAngle = kPi / 6;
    const long double x = tip.x;
    const long double y = tip.y;
    if (tip.x != start.x) {
        const long double theta =
            std::atan(static_cast<long double>(tip.y - start.y) / (tip.x - start.x));
        const long double a1 = kPi - theta + kHalfAngle;
        const long double a2 = kPi - theta - kHalfAngle;
        // Tip left of the start: the same barbs mirrored through the tip.
        const long double sign = tip.x > start.x ? 1.0L : -1.0L;
        return {Truncated(x + sign * kLength * std::cos(a1), y - sign * kLength * std::sin(a1)),
                Truncated(x + sign * kLength * std::cos(a2), y - sign * kLength * std::sin(a2))};
    }
    const long double dx = kLength * std::sin(kHalfAngle);
    const long double dy = kLength * std::cos(kHalfAngle);
    if (tip.y < start.y) return {Truncated(x + dx, y + dy), Truncated(x - dx, y + dy)};
    return {Truncated(x + dx, y - dy), Truncated(x - dx, y - dy)};
}

}  // namespace mrv::editor
