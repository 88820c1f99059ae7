// The four global hot keys of a recording: shortcut values, atoms, registration and matching.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace mrv::desktop {

// In the order the start command registers them.
enum class HotKeyCommand { Start = 0, Pause = 1, Stop = 2, Edit = 3 };
inline constexpr std::array<HotKeyCommand, 4> kHotKeyCommands = {
    HotKeyCommand::Start, HotKeyCommand::Pause, HotKeyCommand::Stop, HotKeyCommand::Edit};

inline constexpr uint16_t kShortcutKeyMask = 0x1FFF;
inline constexpr uint16_t kShortcutShift = 0x2000;
inline constexpr uint16_t kShortcutCtrl = 0x4000;
inline constexpr uint16_t kShortcutAlt = 0x8000;

inline constexpr uint32_t kModAlt = 1;
inline constexpr uint32_t kModControl = 2;
inline constexpr uint32_t kModShift = 4;
inline constexpr uint32_t kModNoRepeat = 0x4000;

struct Shortcut {
    uint16_t key = 0;  // virtual-key code
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// The navigation keys and the number pad's divide share their scan codes with number-pad keys;
// the extended-key flag tells them apart in key names.
bool IsExtendedKey(uint16_t key);

Shortcut SplitShortcut(uint16_t value);
uint32_t ShiftToHotKeyModifiers(const Shortcut& shortcut);

// The command's index in the tray menu, which names its atom.
int MenuItemPosition(HotKeyCommand command);
// "Morvanta2" for start, and so on.
std::string AtomName(HotKeyCommand command);

// The system's hot-key and atom table.
class HotKeySystem {
  public:
    virtual ~HotKeySystem() = default;
    virtual uint16_t AddAtom(const std::string& name) = 0;  // 0 when it failed
    virtual void DeleteAtom(uint16_t atom) = 0;
    virtual bool Register(int32_t id, uint32_t modifiers, uint32_t key) = 0;
    virtual void Unregister(int32_t id) = 0;
    // The key's name in the menu's shortcut notation ("F9", "A").
    virtual std::string KeyName(uint16_t key) = 0;
};

// "Shift+Ctrl+Alt+<key>" in that order; empty for 0.
std::string ShortcutText(uint16_t value, HotKeySystem& system);

// The main window's hot-key ids and the menu's shortcut texts.
class CommandHotKeys {
  public:
    explicit CommandHotKeys(HotKeySystem& system) : system_(system) {}
    ~CommandHotKeys() { UnregisterCommandHotKeys(); }
    CommandHotKeys(const CommandHotKeys&) = delete;
    CommandHotKeys& operator=(const CommandHotKeys&) = delete;

    void RegisterCommandHotKey(HotKeyCommand command, uint16_t value);
    void UnregisterCommandHotKeys();
    // The command whose id came with WM_HOTKEY, if any.
    std::optional<HotKeyCommand> Match(int32_t id) const;
    // Shown only for a key that registered, so the menu never promises a dead key.
    const std::string& MenuText(HotKeyCommand command) const;
    int32_t Id(HotKeyCommand command) const;

  private:
    struct Slot {
        uint16_t atom = 0;
        int32_t id = -1;
        bool registered = false;
        std::string menuText;
    };
    Slot& SlotFor(HotKeyCommand command) { return slots_[static_cast<size_t>(command)]; }
    const Slot& SlotFor(HotKeyCommand command) const {
        return slots_[static_cast<size_t>(command)];
    }

    HotKeySystem& system_;
    std::array<Slot, 4> slots_;
};

}  // namespace mrv::desktop
