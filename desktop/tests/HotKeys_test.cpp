// Hot-key values, atoms, registration order, matching and menu texts.
#include "desktop/HotKeys.h"

#include <gtest/gtest.h>

#include "desktop/tests/FakeDesktop.h"

namespace mrv::desktop {
namespace {

using testing::FakeHotKeySystem;

constexpr uint16_t kCtrlShiftF9 = 24696;  // 0x6078

TEST(ShortcutValue, SplitsKeyAndModifiersIntoHotKeyFlags) {
    const Shortcut s = SplitShortcut(kCtrlShiftF9);
    EXPECT_EQ(s.key, 0x78);
    EXPECT_TRUE(s.shift);
    EXPECT_TRUE(s.ctrl);
    EXPECT_FALSE(s.alt);
    EXPECT_EQ(ShiftToHotKeyModifiers(s), kModShift | kModControl);
    EXPECT_EQ(ShiftToHotKeyModifiers(SplitShortcut(0x8000 | 'A')), kModAlt);
    EXPECT_EQ(SplitShortcut(0x1FFF).key, 0x1FFF);
}

TEST(ShortcutValue, MenuTextNamesModifiersInShiftCtrlAltOrder) {
    FakeHotKeySystem system;
    EXPECT_EQ(ShortcutText(kCtrlShiftF9, system), "Shift+Ctrl+F9");
    EXPECT_EQ(ShortcutText(0xE000 | 'K', system), "Shift+Ctrl+Alt+K");
    EXPECT_EQ(ShortcutText(0, system), "");
}

TEST(ShortcutValue, AtomNamesCarryTheMenuPosition) {
    EXPECT_EQ(AtomName(HotKeyCommand::Start), "Morvanta2");
    EXPECT_EQ(AtomName(HotKeyCommand::Pause), "Morvanta3");
    EXPECT_EQ(AtomName(HotKeyCommand::Edit), "Morvanta4");
    EXPECT_EQ(AtomName(HotKeyCommand::Stop), "Morvanta5");
}

class CommandHotKeysTest : public ::testing::Test {
  protected:
    void RegisterAll(uint16_t start, uint16_t pause, uint16_t stop, uint16_t edit) {
        keys.RegisterCommandHotKey(HotKeyCommand::Start, start);
        keys.RegisterCommandHotKey(HotKeyCommand::Pause, pause);
        keys.RegisterCommandHotKey(HotKeyCommand::Stop, stop);
        keys.RegisterCommandHotKey(HotKeyCommand::Edit, edit);
    }
    FakeHotKeySystem system;
    CommandHotKeys keys{system};
};

TEST_F(CommandHotKeysTest, IdsComeFromAtomsAndMatchTheirCommands) {
    RegisterAll(kCtrlShiftF9, 0x70, 0x71, 0x72);
    const int32_t startId = keys.Id(HotKeyCommand::Start);
    EXPECT_EQ(startId, system.atoms.at("Morvanta2").value - 0xC000);
    // 0x4006: Ctrl+Shift, and a held key fires once.
    EXPECT_EQ(system.log[1], "register " + std::to_string(startId) + " 16390 120");
    EXPECT_EQ(keys.Match(startId), HotKeyCommand::Start);
    EXPECT_EQ(keys.Match(keys.Id(HotKeyCommand::Stop)), HotKeyCommand::Stop);
    EXPECT_EQ(keys.Match(0x3FFF), std::nullopt);
    EXPECT_EQ(keys.MenuText(HotKeyCommand::Start), "Shift+Ctrl+F9");
    EXPECT_EQ(keys.MenuText(HotKeyCommand::Edit), "F3");
}

TEST_F(CommandHotKeysTest, SameKeyTwiceGoesToTheFirstAndTheSecondShowsNoText) {
    RegisterAll(0x70, 0x70, 0, 0);
    EXPECT_EQ(keys.MenuText(HotKeyCommand::Start), "F1");
    EXPECT_EQ(keys.MenuText(HotKeyCommand::Pause), "");
    EXPECT_EQ(keys.Match(keys.Id(HotKeyCommand::Pause)), std::nullopt);
}

TEST_F(CommandHotKeysTest, KeyHeldByAnotherProgramShowsNoMenuText) {
    system.held.insert((uint64_t{kModShift | kModControl} << 32) | 0x78);
    RegisterAll(kCtrlShiftF9, 0, 0, 0);
    EXPECT_EQ(keys.MenuText(HotKeyCommand::Start), "");
    EXPECT_EQ(keys.Match(keys.Id(HotKeyCommand::Start)), std::nullopt);
}

TEST_F(CommandHotKeysTest, CommandWithoutKeyRegistersNothingButKeepsItsAtom) {
    RegisterAll(0, 0, 0, 0);
    EXPECT_TRUE(system.byId.empty());
    EXPECT_EQ(system.atoms.size(), 4u);
    EXPECT_EQ(keys.MenuText(HotKeyCommand::Stop), "");
}

TEST_F(CommandHotKeysTest, UnregisterFreesKeysAtomsAndTextsAndCanRepeat) {
    for (int round = 0; round < 2; ++round) {
        system.log.clear();
        RegisterAll(0x70, 0x71, 0x72, 0x73);
        EXPECT_EQ(system.byId.size(), 4u) << round;
        keys.UnregisterCommandHotKeys();
        EXPECT_TRUE(system.byId.empty());
        EXPECT_TRUE(system.held.empty());
        EXPECT_TRUE(system.atoms.empty());
        EXPECT_EQ(keys.MenuText(HotKeyCommand::Start), "");
        EXPECT_EQ(keys.Match(0x123), std::nullopt);
    }
    // Keys in the order start, pause, stop, edit, then the atoms in the same order.
    const std::vector<std::string> tail(system.log.end() - 8, system.log.end());
    EXPECT_EQ(tail[4], "atom- Morvanta2");
    EXPECT_EQ(tail[5], "atom- Morvanta3");
    EXPECT_EQ(tail[6], "atom- Morvanta5");
    EXPECT_EQ(tail[7], "atom- Morvanta4");
}

TEST_F(CommandHotKeysTest, ReRegisteringASlotGivesBackTheEarlierKeyAndAtom) {
    RegisterAll(0x70, 0, 0, 0);
    RegisterAll(0x70, 0, 0, 0);
    EXPECT_EQ(keys.MenuText(HotKeyCommand::Start), "F1");
    EXPECT_EQ(system.atoms.at("Morvanta2").references, 1);
    keys.UnregisterCommandHotKeys();
    EXPECT_TRUE(system.atoms.empty());
}

}  // namespace
}  // namespace mrv::desktop
