#!/usr/bin/env bash
# Global hot keys while recording: the pause key with its prompt, the stop key with its summary,
# the values saved, the menu free of keys afterwards.
set -euo pipefail
source "$(dirname "$0")/app_main_lib.sh"
app_setup 800x600x24
app_start

# In the hot-key control a value holds the key and, above it, 1 Shift, 2 Ctrl, 4 Alt.
drv click start
drv dialog >/dev/null || fail "the settings dialog did not open"
drv dialog-hotkey 2 0x0377   # pause: Ctrl+Shift+F8
drv dialog-hotkey 3 0x0378   # stop: Ctrl+Shift+F9
drv dialog-check 112 0       # not to the tray
drv dialog-ok >/dev/null || fail "the dialog did not close"
wait_state pressed start
grep -q $'^HotKey3=24696\r$' "$APP_WORK/Morvanta.ini" || fail "HotKey3 not saved as 24696"
grep -q $'^HotKey2=24695\r$' "$APP_WORK/Morvanta.ini" || fail "HotKey2 not saved as 24695"

sleep 1
focus_program
xdotool key ctrl+shift+F8
expect_box Morvanta '屏幕录像已经暂停\t'
expect_eq "paused by the key" "$(app_state pressed)" "pause"

drv click start
sleep 1.5
focus_program
xdotool key ctrl+shift+F9
out=$(drv box) || fail "no stop summary"
app_shot app_stop_summary 500x220+150+190
state=$(drv state)
clock=$(awk '{for (i = 1; i < NF; i += 2) if ($i == "clock") print $(i + 1)}' <<<"$state")
size=$(sed 's/.* size //' <<<"$state")  # "299.72 KB" holds a blank
rec=$(app_recording)
path="$(app_winpath "$(basename "$rec")")"
expect_eq "summary caption" "$(sed -n 's/^caption //p' <<<"$out")" "Morvanta"
expect_eq "summary" "$(sed -n 's/^text //p' <<<"$out")" \
    "屏幕录像已经停止\\t\\r\\r文件路径: ${path}\\t\\r文件大小: ${size}\\t\\r录像时长: ${clock}\\t"
drv answer ok >/dev/null
expect_eq "stopped by the key" "$(app_state pressed) $(app_state edit)" "stop 0"
expect_eq "recording valid" "$(rec_value "$rec" valid)" 1

# After the stop the keys are free: pressing one does nothing.
focus_program
xdotool key ctrl+shift+F9
sleep 1
drv no-box || fail "a key acted after the stop"
echo PASS
