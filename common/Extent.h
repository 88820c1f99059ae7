// A rectangle given by its corner and its size, as layouts of controls are written (a Rect is
// given by its four edges).
#pragma once

#include <cstdint>

namespace mrv {

struct Extent {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    constexpr int32_t right() const { return left + width; }   // exclusive
    constexpr int32_t bottom() const { return top + height; }  // exclusive
    constexpr bool Contains(int32_t x, int32_t y) const {
        return x >= left && x < right() && y >= top && y < bottom();
    }
    bool operator==(const Extent&) const = default;
};

}  // namespace mrv
