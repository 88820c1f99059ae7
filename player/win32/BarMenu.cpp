// The bar's menu as a popup menu whose item ids are the commands' numbers plus one.
#include "player/win32/BarMenu.h"

#include "common/win32/Handles.h"
#include "common/win32/WinText.h"

namespace mrv::player::win {

std::optional<BarCommand> ShowBarMenu(HWND owner, POINT at, const std::vector<BarMenuItem>& items) {
    mrv::win::UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return std::nullopt;
    for (const BarMenuItem& item : items) {
        const UINT flags = MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED);
        ::AppendMenuW(menu.get(), flags, static_cast<UINT_PTR>(item.command) + 1,
                      mrv::win::Widen(item.text).c_str());
    }
    const int chosen = ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0,
                                        owner, nullptr);
    if (chosen <= 0) return std::nullopt;
    return static_cast<BarCommand>(chosen - 1);
}

}  // namespace mrv::player::win
