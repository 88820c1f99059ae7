// Hot-key values, atoms and registration; the Win32 calls sit behind HotKeySystem.
#include "desktop/HotKeys.h"

namespace mrv::desktop {

namespace {
// String atoms lie in 0xC000..0xFFFF; the id is the atom's offset into that range.
constexpr uint16_t kStringAtomBase = 0xC000;
}  // namespace

bool IsExtendedKey(uint16_t key) {
    constexpr uint16_t kPrior = 0x21, kDown = 0x28, kInsert = 0x2D, kDelete = 0x2E, kDivide = 0x6F;
    return (key >= kPrior && key <= kDown) || key == kInsert || key == kDelete || key == kDivide;
}

Shortcut SplitShortcut(uint16_t value) {
    Shortcut s;
    s.key = value & kShortcutKeyMask;
    s.shift = (value & kShortcutShift) != 0;
    s.ctrl = (value & kShortcutCtrl) != 0;
    s.alt = (value & kShortcutAlt) != 0;
    return s;
}

uint32_t ShiftToHotKeyModifiers(const Shortcut& shortcut) {
    uint32_t mods = 0;
    if (shortcut.shift) mods |= kModShift;
    if (shortcut.ctrl) mods |= kModControl;
    if (shortcut.alt) mods |= kModAlt;
    return mods;
}

int MenuItemPosition(HotKeyCommand command) {
    switch (command) {
        case HotKeyCommand::Start:
            return 2;
        case HotKeyCommand::Pause:
            return 3;
        case HotKeyCommand::Edit:
            return 4;
        case HotKeyCommand::Stop:
            return 5;
    }
    return 0;
}

std::string AtomName(HotKeyCommand command) {
    return "Morvanta" + std::to_string(MenuItemPosition(command));
}

std::string ShortcutText(uint16_t value, HotKeySystem& system) {
    const Shortcut s = SplitShortcut(value);
    if (s.key == 0) return {};
    std::string text;
    if (s.shift) text += "Shift+";
    if (s.ctrl) text += "Ctrl+";
    if (s.alt) text += "Alt+";
    return text + system.KeyName(s.key);
}

void CommandHotKeys::RegisterCommandHotKey(HotKeyCommand command, uint16_t value) {
    Slot& slot = SlotFor(command);
    // A slot still held from an earlier start gives its key and atom reference back first.
    if (slot.atom != 0) {
        if (slot.registered) system_.Unregister(slot.id);
        system_.DeleteAtom(slot.atom);
        slot = Slot{};
    }
    slot.atom = system_.AddAtom(AtomName(command));
    if (slot.atom < kStringAtomBase) {
        slot.atom = 0;
        return;
    }
    slot.id = slot.atom - kStringAtomBase;
    const Shortcut s = SplitShortcut(value);
    // A value without a key registers nothing: the command simply has no hot key.
    if (s.key == 0) return;
    // A held key acts once: holding stop would otherwise start and stop again and again.
    slot.registered = system_.Register(slot.id, ShiftToHotKeyModifiers(s) | kModNoRepeat, s.key);
    if (slot.registered) slot.menuText = ShortcutText(value, system_);
}

void CommandHotKeys::UnregisterCommandHotKeys() {
    // Keys first, then the atoms, each in the order start, pause, stop, edit.
    for (HotKeyCommand command : kHotKeyCommands) {
        Slot& slot = SlotFor(command);
        if (slot.registered) system_.Unregister(slot.id);
        slot.registered = false;
    }
    for (HotKeyCommand command : kHotKeyCommands) {
        Slot& slot = SlotFor(command);
        if (slot.atom != 0) system_.DeleteAtom(slot.atom);
        slot = Slot{};
    }
}

std::optional<HotKeyCommand> CommandHotKeys::Match(int32_t id) const {
    for (HotKeyCommand command : kHotKeyCommands) {
        const Slot& slot = SlotFor(command);
        if (slot.registered && slot.id == id) return command;
    }
    return std::nullopt;
}

const std::string& CommandHotKeys::MenuText(HotKeyCommand command) const {
    return SlotFor(command).menuText;
}

int32_t CommandHotKeys::Id(HotKeyCommand command) const { return SlotFor(command).id; }

}  // namespace mrv::desktop
