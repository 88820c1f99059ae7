// The area rules: clamping, the smallest size, 4-bit alignment and coordinates of monitors left
// of and above the primary one.
#include "recorder/CaptureArea.h"

#include <gtest/gtest.h>

#include <vector>

#include "recorder/MemoryScreen.h"

namespace mrv {
namespace {

// A second monitor left of the primary one and higher up: the virtual screen starts negative.
constexpr Rect kVirtual{-1280, -200, 1920, 1080};

TEST(NormalizeArea, CornersInAnyOrderAndClampedToTheVirtualScreen) {
    EXPECT_EQ(NormalizeArea({300, 200, 100, 50}, kVirtual, 32), (Rect{100, 50, 300, 200}));
    EXPECT_EQ(NormalizeArea({-2000, -500, -1000, 10}, kVirtual, 32),
              (Rect{-1280, -200, -1000, 10}));
    EXPECT_EQ(NormalizeArea({1800, 1000, 2500, 1400}, kVirtual, 32),
              (Rect{1800, 1000, 1920, 1080}));
}

TEST(NormalizeArea, GrowsToSixteenPixelsInsideTheVirtualScreen) {
    EXPECT_EQ(NormalizeArea({10, 10, 13, 10}, kVirtual, 32), (Rect{10, 10, 26, 26}));
    // At the right and bottom edges it grows the other way.
    EXPECT_EQ(NormalizeArea({1915, 1079, 1920, 1080}, kVirtual, 32),
              (Rect{1904, 1064, 1920, 1080}));
    // Wholly outside: the nearest 16 x 16 inside.
    EXPECT_EQ(NormalizeArea({-5000, -5000, -4000, -4000}, kVirtual, 32),
              (Rect{-1280, -200, -1264, -184}));
    EXPECT_EQ(NormalizeArea({0, 0, 10, 10}, Rect{}, 32), Rect{});
}

TEST(NormalizeArea, FourBitsKeepEvenLeftEdgeAndWidthFromTheVirtualScreensEdge) {
    EXPECT_EQ(NormalizeArea({101, 10, 200, 60}, kVirtual, 4), (Rect{100, 10, 200, 60}));
    EXPECT_EQ(NormalizeArea({100, 10, 201, 60}, kVirtual, 4), (Rect{100, 10, 202, 60}));
    // An odd width at the right edge shrinks instead of leaving the screen.
    EXPECT_EQ(NormalizeArea({1, 0, 1920, 60}, Rect{0, 0, 1920, 1080}, 4), (Rect{0, 0, 1920, 60}));
    EXPECT_EQ(NormalizeArea({1, 0, 1919, 60}, Rect{-1, 0, 1919, 1080}, 4), (Rect{1, 0, 1919, 60}));
    // Other depths keep the pixels as chosen.
    EXPECT_EQ(NormalizeArea({101, 10, 200, 60}, kVirtual, 8), (Rect{101, 10, 200, 60}));
}

TEST(RelativeCursor, InsideIsFromTheAreasCornerOutsideIsFarOff) {
    const Rect area{-1000, -150, -600, 150};  // on the monitor left of the primary one
    EXPECT_EQ(RelativeCursor({-1000, -150}, area).x, 0);
    EXPECT_EQ(RelativeCursor({-601, 149}, area).y, 299);
    const Point right = RelativeCursor({-600, 0}, area);
    EXPECT_EQ(right.x, kCursorOutside.x);
    EXPECT_EQ(RelativeCursor({-700, 150}, area).y, kCursorOutside.y);
    const Point still = ToStill({-1000, -150}, kVirtual);
    EXPECT_EQ(still.x, 280);
    EXPECT_EQ(still.y, 50);
}

TEST(Monitors, PrimaryAndNumbered) {
    const std::vector<Monitor> monitors{{{-1280, -200, 0, 824}, 2, false},
                                        {{0, 0, 1920, 1080}, 1, true}};
    EXPECT_EQ(PrimaryMonitor(monitors)->number, 1);
    EXPECT_EQ(MonitorNumbered(monitors, 2)->bounds.left, -1280);
    EXPECT_FALSE(MonitorNumbered(monitors, 3));
    EXPECT_FALSE(PrimaryMonitor({}));
}

TEST(AreaScreen, GrabsFromTheAreaOfItsSourceAtTheSourcesOrigin) {
    MemoryScreen source(64, 48, 32);
    source.SetPixel(20, 10, 0x123456);
    // The source is a picture whose corner lies at (-100, 0) of the virtual screen.
    AreaScreen area(source, Rect{-84, 8, -52, 24}, Point{-100, 0});
    EXPECT_EQ(area.Size().width, 32);
    EXPECT_EQ(area.Size().height, 16);
    std::vector<uint8_t> info = MakeBitmapInfo(1, 1, 32);
    uint32_t pixel = 0;
    ASSERT_TRUE(area.GrabRect(4, 2, 1, 1, info, reinterpret_cast<uint8_t*>(&pixel), kSrcCopy));
    EXPECT_EQ(pixel & 0xFFFFFF, 0x123456u);
}

}  // namespace
}  // namespace mrv
