// The part of the virtual screen a recording takes: its rules, and the screen and cursor seen
// through it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "recorder/Platform.h"
#include "recorder/StreamFormat.h"

namespace mrv {

inline constexpr int32_t kMinAreaSide = 16;
// Where a cursor outside the area is written: far enough off that no reader draws any of it.
inline constexpr Point kCursorOutside{-32768, -32768};

// One monitor as the system numbers it, in virtual-screen pixels.
struct Monitor {
    Rect bounds;
    int number = 1;
    bool primary = false;
};

// A rectangle from two corners in any order.
Rect RectFromCorners(Point a, Point b);

// The area a recording can take: inside `virtualScreen`, at least kMinAreaSide on each side
// (grown inside the virtual screen), and at 4 bits per pixel with an even left edge and width so
// that every row is whole bytes. An empty virtual screen leaves nothing to record: empty result.
Rect NormalizeArea(Rect wanted, Rect virtualScreen, int bitsPerPixel);

// A point on the screen as the recording of `area` stores it; kCursorOutside when not in it.
Point RelativeCursor(Point screen, const Rect& area);

// A point of the virtual screen in a still of it whose (0, 0) is the virtual screen's corner.
Point ToStill(Point screen, const Rect& virtualScreen);

// The primary monitor of the list; the first one when none is marked.
std::optional<Monitor> PrimaryMonitor(std::span<const Monitor> monitors);
std::optional<Monitor> MonitorNumbered(std::span<const Monitor> monitors, int number);

// The pixels of `area` of another source, whose (0, 0) lies at `sourceOrigin` of the virtual
// screen: the screen (origin 0, 0 is the primary monitor's corner) or an editor's picture.
class AreaScreen final : public ScreenSource {
  public:
    AreaScreen(ScreenSource& source, const Rect& area, Point sourceOrigin = {})
        : source_(source), area_(area), origin_(sourceOrigin) {}
    ScreenSize Size() override { return {area_.right - area_.left, area_.bottom - area_.top}; }
    void BeginTick() override { source_.BeginTick(); }
    void EndTick() override { source_.EndTick(); }
    bool GrabRect(int32_t x, int32_t y, int32_t width, int32_t height,
                  std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t rasterOp) override;

  private:
    ScreenSource& source_;
    Rect area_;
    Point origin_;
};

class AreaCursor final : public CursorSource {
  public:
    AreaCursor(CursorSource& source, const Rect& area) : source_(source), area_(area) {}
    Point CursorPos() override { return RelativeCursor(source_.CursorPos(), area_); }

  private:
    CursorSource& source_;
    Rect area_;
};

}  // namespace mrv
