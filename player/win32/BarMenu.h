// The position bar's right-click menu: the trim marks.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "player/Selection.h"

namespace mrv::player::win {

// Shows `items` at `at` (screen) over `owner` until one is chosen or the menu is dismissed.
std::optional<BarCommand> ShowBarMenu(HWND owner, POINT at, const std::vector<BarMenuItem>& items);

}  // namespace mrv::player::win
