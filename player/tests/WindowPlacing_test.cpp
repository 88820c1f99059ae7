// Where the player's window opens the first time and what is kept of its place.
#include "player/WindowPlacing.h"

#include <gtest/gtest.h>

#include "player/Strip.h"

namespace mrv::player {
namespace {

constexpr ScreenRect kWork{0, 40, 1920, 1080};  // a task bar above
constexpr Size kFrame{16, 39};

TEST(WindowPlacingTest, FirstOpenShowsThePicture1To1CentredAndShrinksOnlyWhatDoesNotFit) {
    const int32_t strip = StripHeight(96);
    const OpenPlace small = PlaceOnOpen({800, 600}, kWork, kFrame, 96, std::nullopt);
    const int32_t w = 800 + kFrame.width, h = 600 + strip + kFrame.height;
    EXPECT_EQ(small, (OpenPlace{{(1920 - w) / 2, 40 + (1040 - h) / 2, (1920 - w) / 2 + w,
                                 40 + (1040 - h) / 2 + h},
                                WindowState::Normal}));

    // A full-HD recording on a full-HD screen: shrunk with its ratio kept, inside the work area.
    const OpenPlace big = PlaceOnOpen({1920, 1080}, kWork, kFrame, 96, std::nullopt);
    const int32_t clientH = big.rect.bottom - big.rect.top - kFrame.height - strip;
    const int32_t clientW = big.rect.right - big.rect.left - kFrame.width;
    EXPECT_EQ(clientH, 1040 - kFrame.height - strip);
    EXPECT_EQ(clientW, 1920 * clientH / 1080);
    EXPECT_GE(big.rect.top, kWork.top);
    EXPECT_LE(big.rect.bottom, kWork.bottom);

    // A tiny recording still gets every control of the strip, at the display's DPI.
    const OpenPlace tiny = PlaceOnOpen({160, 120}, kWork, kFrame, 144, std::nullopt);
    EXPECT_EQ(tiny.rect.right - tiny.rect.left, MinStripWidth(144) + kFrame.width);
    EXPECT_EQ(tiny.rect.bottom - tiny.rect.top, 120 + StripHeight(144) + kFrame.height);
}

TEST(WindowPlacingTest, TheRememberedPlaceWinsAndIsKeptInScreenCoordinates) {
    const WindowPlace left{{-1500, 100, -700, 700}, WindowState::Maximized};
    EXPECT_EQ(PlaceOnOpen({800, 600}, kWork, kFrame, 96, left),
              (OpenPlace{left.normal, WindowState::Maximized}));
    // The system's normal rectangle counts from the work area's corner, 40 below the screen's.
    EXPECT_EQ(PlaceToKeep({10, 20, 810, 620}, 0, 40, WindowState::FullScreen),
              (WindowPlace{{10, 60, 810, 660}, WindowState::FullScreen}));
}

}  // namespace
}  // namespace mrv::player
