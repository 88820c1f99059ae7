#!/usr/bin/env bash
# Minimise to the tray, commands from the tray menu with the tool bar following them, the menu
# opened from the icon, and back to the window with a click.
set -euo pipefail
source "$(dirname "$0")/app_main_lib.sh"
app_setup 800x600x24
app_start

drv press minimise
sleep 0.5
expect_eq "hidden" "$(app_state visible)" 0
xdotool search --name 'Wine System Tray' >/dev/null || fail "no tray icon shown"

# The right button opens the menu at the pointer.
xdotool mousemove --sync 400 300
drv tray right
sleep 1
app_shot app_tray_menu 200x200+395+295
xdotool key Escape
sleep 0.3

drv menu start
drv dialog >/dev/null || fail "the settings dialog did not open from the menu"
drv dialog-ok >/dev/null || fail "the dialog did not close"
sleep 0.5
expect_eq "recording from the tray" "$(app_state visible) $(app_state pressed)" "0 start"
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
