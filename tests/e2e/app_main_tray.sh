#!/usr/bin/env bash
# Minimise to the tray, the menu as built (items, separators, greyed items, the hot keys' texts),
# commands from it with the tool bar following them, and back to the window with a click.
set -euo pipefail
source "$(dirname "$0")/app_main_lib.sh"
app_setup 800x600x24
app_start

drv press minimise
sleep 0.5
expect_eq "hidden" "$(app_state visible)" 0
xdotool search --name 'Wine System Tray' >/dev/null || fail "no tray icon shown"

# The right button opens the menu at the pointer; prints its items as the program built them.
tray_menu() {
    xdotool mousemove --sync 400 300
    drv tray right
    drv menu-items || fail "cannot read the tray menu"
    xdotool key Escape
    sleep 0.3
}

expect_eq "menu while stopped" "$(tray_menu)" "item enabled 关于
separator
item enabled 开始
item grayed 暂停
item grayed 编辑
item grayed 停止
separator
item enabled 退出"

# In the hot-key control a value holds the key and, above it, 1 Shift, 2 Ctrl, 4 Alt.
drv menu start
drv dialog >/dev/null || fail "the settings dialog did not open from the menu"
drv dialog-hotkey 1 0x0377   # start: Ctrl+Shift+F8
drv dialog-hotkey 3 0x0478   # stop: Alt+F9
drv dialog-ok >/dev/null || fail "the dialog did not close"
sleep 0.5
expect_eq "recording from the tray" "$(app_state visible) $(app_state pressed)" "0 start"
expect_eq "menu while recording" "$(tray_menu)" "item enabled 关于
separator
item grayed 开始\tShift+Ctrl+F8
item enabled 暂停
item enabled 编辑
item enabled 停止\tAlt+F9
separator
item enabled 退出"
drv menu pause
sleep 0.3
expect_eq "paused from the tray" "$(app_state pressed)" "pause"
drv menu start
sleep 0.3
expect_eq "resumed from the tray" "$(app_state pressed)" "start"

drv tray left
wait_state visible 1
drv menu stop
sleep 0.3
expect_eq "stopped from the menu" "$(app_state pressed) $(app_state edit)" "stop 0"
expect_eq "recording valid" "$(rec_value "$(app_recording)" valid)" 1
drv menu exit
drv wait-gone || fail "Exit from the menu did not close"
echo PASS
