// Tray icon presence, picture and mouse messages.
#include "desktop/Tray.h"

#include <gtest/gtest.h>

#include "desktop/tests/FakeDesktop.h"

namespace mrv::desktop {
namespace {

class TrayTest : public ::testing::Test {
  protected:
    testing::FakeTrayShell shell;
    TrayIcon tray{shell};
};

TEST_F(TrayTest, StateChangesWhileHiddenReachTheIconOnlyAtItsNextAdd) {
    tray.SetTrayIcon(TrayPicture::Paused);
    EXPECT_TRUE(shell.log.empty());
    tray.Show();
    EXPECT_TRUE(shell.present);
    EXPECT_EQ(shell.picture, TrayPicture::Paused);
    tray.SetTrayIcon(TrayPicture::Recording);
    EXPECT_EQ(shell.picture, TrayPicture::Recording);
}

TEST_F(TrayTest, ShowingTwiceKeepsOneIcon) {
    tray.Show();
    tray.Show();
    EXPECT_EQ(shell.log, (std::vector<std::string>{"add ico1"}));
}

TEST_F(TrayTest, LeftButtonUpRemovesTheIconAndRestoresTheWindow) {
    tray.Show();
    EXPECT_EQ(tray.TrayMessage(kWmLButtonUp), TrayAction::RestoreWindow);
    EXPECT_FALSE(shell.present);
    EXPECT_FALSE(tray.shown());
}

TEST_F(TrayTest, RightButtonUpOpensTheMenuAndOtherMessagesAreIgnored) {
    tray.Show();
    EXPECT_EQ(tray.TrayMessage(kWmRButtonUp), TrayAction::OpenMenu);
    for (uint32_t message : {0x200u, 0x201u, 0x203u, 0x204u, 0x206u, 0x207u, 0x208u}) {
        EXPECT_EQ(tray.TrayMessage(message), TrayAction::None) << message;
    }
    EXPECT_TRUE(shell.present);
}

TEST_F(TrayTest, RestartedShellGetsTheIconBackOnlyWhenItWasShown) {
    tray.TaskbarCreated();
    EXPECT_TRUE(shell.log.empty());
    tray.SetTrayIcon(TrayPicture::Recording);
    tray.Show();
    shell.present = false;  // the new shell has no icons
    EXPECT_TRUE(tray.TaskbarCreated());
    EXPECT_TRUE(shell.present);
    EXPECT_EQ(shell.picture, TrayPicture::Recording);
}

TEST_F(TrayTest, AFailedAddIsNoIconAndIsTriedAgainAtTheNextShow) {
    shell.refuseAdd = true;
    EXPECT_FALSE(tray.Show());
    EXPECT_FALSE(tray.shown());
    shell.refuseAdd = false;
    EXPECT_TRUE(tray.Show());
    // Explorer restarted and refuses for now: the icon is not there, and the caller hears it.
    shell.present = false;
    shell.refuseAdd = true;
    EXPECT_FALSE(tray.TaskbarCreated());
    EXPECT_FALSE(tray.shown());
}

}  // namespace
}  // namespace mrv::desktop
