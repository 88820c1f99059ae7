// Hot keys through user32 and kernel32's global atoms.
#include "desktop/win32/Win32HotKeys.h"

#include "common/win32/WinText.h"

namespace mrv::win {

uint16_t Win32HotKeys::AddAtom(const std::string& name) {
    return ::GlobalAddAtomW(Widen(name).c_str());
}

void Win32HotKeys::DeleteAtom(uint16_t atom) { ::GlobalDeleteAtom(atom); }

bool Win32HotKeys::Register(int32_t id, uint32_t modifiers, uint32_t key) {
    return ::RegisterHotKey(window_, id, modifiers, key) != FALSE;
}

void Win32HotKeys::Unregister(int32_t id) { ::UnregisterHotKey(window_, id); }

std::string Win32HotKeys::KeyName(uint16_t key) {
    // Menus name these keys by their caps; the keyboard layout's names are used for the rest.
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        return std::string(1, static_cast<char>(key));
    }
    LONG scan = static_cast<LONG>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    if (desktop::IsExtendedKey(key)) scan |= 1 << 24;  // not their number-pad twins
    wchar_t name[64] = {};
    if (::GetKeyNameTextW(scan, name, 64) > 0) return Narrow(name);
    return "#" + std::to_string(key);
}

}  // namespace mrv::win
