#!/usr/bin/env bash
# First start without an INI file, the settings dialog cancelled, the About box, and Exit.
set -euo pipefail
source "$(dirname "$0")/app_main_lib.sh"
app_setup
app_start

expect_eq "first window" "$(drv state)" \
    "visible 1 left 453 top 308 width 368 height 32 pressed stop edit 0 clock 00:00:00 size 0KB"
app_shot app_toolbar 380x44+447+302

# Start from the real tool-bar button: the settings dialog opens.
app_click_at 465 320
drv dialog >/dev/null || fail "the settings dialog did not open"
sleep 0.5
app_shot app_dialog_general 320x400+280+100
drv dialog-tab 1
app_shot app_dialog_advanced 320x400+280+100
drv dialog-cancel >/dev/null || fail "the dialog did not close"
expect_eq "after cancel" "$(app_state pressed) $(app_state edit)" "stop 0"

expected=$'[Option]\r\nFrame=5\r\nColor=1\r\nSamples=0\r\nScanDeep=0\r\nEditMode=0\r\nEditSleep=20\r\nHotKey1=0\r\nHotKey2=0\r\nHotKey3=0\r\nHotKey4=0\r\nCaptureblt=1\r\nSound=0\r\nShowClick=1\r\nDynamicTray=1\r\nBeginTips=1\r\nPauseTips=1\r\nEndTips=1\r'
expect_eq "INI after cancel" "$(cat "$APP_WORK/Morvanta.ini")" "$expected"

drv press about
out=$(drv box) || fail "no About box"
app_shot app_about_box 400x200+312+284
expect_eq "about caption" "$(sed -n 's/^caption //p' <<<"$out")" "About"
expect_eq "about text" "$(sed -n 's/^text //p' <<<"$out")" 'Morvanta v0.3\t'
drv answer ok >/dev/null

# Drags with BUTTON from X,Y by DX,DY.
drag() {
    xdotool mousemove --sync "$2" "$3"
    sleep 0.2
    xdotool mousedown "$1"
    sleep 0.2
    xdotool mousemove --sync $(($2 + $4 / 2)) $(($3 + $5 / 2))
    sleep 0.2
    xdotool mousemove --sync $(($2 + $4)) $(($3 + $5))
    sleep 0.2
    xdotool mouseup "$1"
    sleep 0.3
}
# The blank end right of Exit drags; the right button and the black display do not.
drag 1 793 323 20 15
expect_eq "dragged" "$(app_state left) $(app_state top)" "473 323"
drag 3 813 338 30 30
drag 1 603 338 30 30
expect_eq "not dragged" "$(app_state left) $(app_state top)" "473 323"

# Exit with no recording closes at once and stores the position.
drv press exit
drv wait-gone || fail "Exit did not close the program"
grep -q $'^\\[FormPosition\\]\r$' "$APP_WORK/Morvanta.ini" || fail "no [FormPosition]"
grep -q $'^SelfTop=323\r$' "$APP_WORK/Morvanta.ini" || fail "SelfTop not written"
grep -q $'^SelfLeft=473\r$' "$APP_WORK/Morvanta.ini" || fail "SelfLeft not written"
app_start
expect_eq "position restored" "$(app_state left) $(app_state top)" "473 323"
drv close
drv wait-gone || fail "WM_CLOSE did not close the program"
echo PASS
