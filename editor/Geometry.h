// Points, rectangles and colours of the editor, the rectangle routines and the arrow head.
#pragma once

#include <array>
#include <cstdint>

namespace mrv::editor {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Right and bottom are exclusive; a rectangle may be unnormalised while a shape is dragged.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
    bool IsEmpty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    // Half-open test: left <= x < right and top <= y < bottom.
    bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
};

// A colour in the platform's COLORREF layout, 0x00BBGGRR.
struct Color {
    uint32_t ref = 0;
    static constexpr Color Rgb(uint8_t r, uint8_t g, uint8_t b) {
        return Color{uint32_t{r} | (uint32_t{g} << 8) | (uint32_t{b} << 16)};
    }
    friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color kBlack = Color::Rgb(0, 0, 0);
inline constexpr Color kRed = Color::Rgb(0xFF, 0, 0);
inline constexpr Color kBlue = Color::Rgb(0, 0, 0xFF);
inline constexpr Color kSilver = Color::Rgb(0xC0, 0xC0, 0xC0);

// The editor's tools, in the order of their values; 3 to 5 are the shape tools.
enum class EditTool : uint8_t {
    Arrow = 0,
    Pen = 1,
    Text = 2,
    Rectangle = 3,
    Ellipse = 4,
    RoundRect = 5
};

constexpr bool IsShapeTool(EditTool tool) {
    return tool >= EditTool::Rectangle && tool <= EditTool::RoundRect;
}

void SwapInts(int32_t& a, int32_t& b);
void NormalizeRect(Rect& rect);
Rect OffsetRectCopy(const Rect& rect, int32_t dx, int32_t dy);
// Grown by dx on the left and right and by dy at the top and bottom.
Rect InflateRectCopy(const Rect& rect, int32_t dx, int32_t dy);

// 0 top-left, 1 top-middle, 2 top-right, 3 right-middle, 4 bottom-right, 5 bottom-middle,
// 6 bottom-left, 7 left-middle.
std::array<Point, 8> HandlePoints(const Rect& rect);

struct ArrowHead {
    Point barb1;
    Point barb2;
};
// The two barb end points of an arrow from `start` to `tip`.
ArrowHead ArrowBarbs(Point start, Point tip);

}  // namespace mrv::editor
