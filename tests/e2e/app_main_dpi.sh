#!/usr/bin/env bash
# On a 150 % display (144 DPI) the tool bar keeps its size in 96-DPI units scaled to the display,
# the tool bar and the dialog open at their design places in screen pixels, and a recording
# covers the whole screen at its real resolution.
set -euo pipefail
source "$(dirname "$0")/app_main_lib.sh"

# A prefix of its own: the display setting must not leak into the other tests.
export MRV_WINE_PREFIX="$MRV_WIN_BUILD_DIR/wineprefix-dpi144"
mrv_wine_env
if [ ! -f "$WINEPREFIX/.mrv-dpi144" ]; then
    # Wine reads the system DPI from either key, depending on its version.
    DISPLAY= wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f \
        >/dev/null 2>&1
    DISPLAY= wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d 144 /f \
        >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.mrv-dpi144"
fi

app_setup 1024x768x24
# Wine hands DPI-unaware programs the real screen too, so on Windows it is the manifest that
# keeps the recording at full resolution: it must be in the program.
grep -aq 'dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true<' \
    "$APP_WORK/Morvanta.exe" || fail "Morvanta.exe does not declare itself DPI aware"
app_start

# The X window's size is the physical one, whatever the driver's own DPI awareness.
window=$(xdotool search --onlyvisible --name '^Morvanta$' | head -n 1)
[ -n "$window" ] || fail "no X window for the tool bar"
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
expect_eq "tool bar at 144 DPI" "$geometry" "552x48"
expect_eq "tool bar's place at 144 DPI" "$(app_state left) $(app_state top)" "453 308"
app_shot app_toolbar_144dpi 570x60+440+300

drv click start
place=$(drv dialog) || fail "the settings dialog did not open"
expect_eq "dialog's place at 144 DPI" "$place" "left 290 top 118"
sleep 0.5
app_shot app_dialog_144dpi 1024x768+0+0
drv dialog-check 112 0    # CheckBox2: not to the tray
drv dialog-ok >/dev/null || fail "the dialog did not close"
# The first full picture at 8 bits is slow under Wine: wait until frames are being written.
for ((i = 0; i < 100; i++)); do
    [ "$(app_state clock)" != "00:00:00" ] && break
    sleep 0.2
done
sleep 1
# --- editor-win32: the editor's panel keeps its size in 96-DPI units too ---
drv click edit
out=$(wine "$APP_BIN/mrv_e2e_editor.exe" wait-open | tr -d '\r') || fail "the editor did not open"
expect_eq "editor panel at 144 DPI" "$(sed -n 's/^panel //p' <<<"$out")" "240 132 398 93"
xdotool mousemove --sync 1000 740
sleep 0.5
app_shot editor_panel_144dpi 460x180+220+110
xdotool key Escape
wine "$APP_BIN/mrv_e2e_editor.exe" wait-closed || fail "Esc did not close the editor"
sleep 0.5
# --- end editor-win32 ---
drv click stop
sleep 0.3
expect_eq "stopped" "$(app_state pressed)" "stop"

rec=$(app_recording)
expect_eq "valid" "$(rec_value "$rec" valid)" 1
expect_eq "whole screen at full resolution" \
    "$(rec_value "$rec" width)x$(rec_value "$rec" height)" "1024x768"
[ "$(rec_value "$rec" frameCount)" -gt 0 ] || fail "no frames"
echo PASS
