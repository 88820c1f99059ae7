#!/usr/bin/env bash
# Recording what the user picks. "选择区域": a rectangle dragged in the picker and Enter; the
# recording has its size, its picture is that part of the screen, a window changing colour
# inside shows where it is, one outside and the frame never show, the cursor is relative, and an
# Edit holds the area's picture. "选择窗口": a click on the tool bar records exactly its frame.
# Space takes the last region again, and Esc in the countdown starts nothing.
# Wine under Xvfb shows one monitor only, so monitors other than the primary are unit-tested.
set -euo pipefail
source "$(dirname "$0")/editor_lib.sh"
SIZE=1024x768
ed_setup ${SIZE}x24
ed_ini 9 3 0 20 # 10 frames per second, 32 bits, full-screen copy, held 20 ticks
printf 'Area=1\r\n' >>"$APP_WORK/Morvanta.ini"
X=100 Y=120 W=320 H=240 # the rectangle dragged
for c in 3366CC CC6633 66CC33; do "$MRV_E2E_CHECK" solid "$APP_WORK/$c.png" 60 40 $c; done

# Shows two solid pictures in turns at X,Y: a window of the test's own that changes colour.
blink() {
    animate -geometry "+$1+$2" -borderwidth 0 -delay 20 "$APP_WORK/$3.png" "$APP_WORK/$4.png" \
        </dev/null >/dev/null 2>&1 &
    BLINK_PIDS+=("$!")
}
BLINK_PIDS=()

# Keys reach a window of the program once it holds the X keyboard focus (no window manager gives
# it): the one titled Morvanta that is WIDTH pixels wide.
focus_window() {
    local id WINDOW X Y WIDTH HEIGHT SCREEN
    for id in $(xdotool search --onlyvisible --name '^Morvanta$'); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        [ "$WIDTH" = "$1" ] && { xdotool windowfocus --sync "$id"; sleep 0.3; return 0; }
    done
    fail "no window $1 pixels wide to focus"
}
trap 'kill "${BLINK_PIDS[@]}" $ED_DISPLAY_PID 2>/dev/null || true; app_cleanup' EXIT

app_start
ed_park 1000 740
mrv_screenshot "$APP_WORK/before.png"
drv click start
drv dialog >/dev/null || fail "the settings dialog did not open"
items=$(drv dialog-area 1 | tr '\n' ';')
expect_eq "area items" "$items" "主屏幕;选择区域;选择窗口;显示器 1 (主);"
drv dialog-ok >/dev/null || fail "the dialog did not close"
drv wait-picker || fail "the picker did not show"
sleep 0.5
mrv_screenshot "$APP_WORK/picker.png"
ed_drag $X $Y $((X + W - 1)) $((Y + H - 1))
xdotool mousemove --sync $((X + W + 150)) $((Y + 60))
sleep 0.3
mrv_screenshot "$APP_WORK/picker-drawn.png"
cp "$APP_WORK/picker-drawn.png" "$APP_SHOTS/area_picker.png"
focus_window ${SIZE%x*}
xdotool key Return
deadline=$((SECONDS + 20))
until [ "$(app_state clock)" != "00:00:00" ]; do
    [ $SECONDS -ge $deadline ] && fail "the area recording did not start"
    sleep 0.2
done
xdotool mousemove --sync $((X + 50)) $((Y + 80))
blink $((X + 100)) $((Y + 80)) 3366CC CC6633
blink 700 60 66CC33 3366CC
sleep 3
xdotool mousemove --sync 1000 740
sleep 0.5
mrv_screenshot "$APP_WORK/recording.png"
# The frame lies just outside the rectangle.
frame=$(convert "$APP_WORK/recording.png" -format '%[hex:p{99,200}] %[hex:p{420,200}] %[hex:p{101,200}]' info:)
expect_eq "frame outside the area" "${frame:0:13}" "E61E1E E61E1E"
ed_open $SIZE
edrv apply
edrv wait-closed || fail "apply did not close the editor"
# Hiding the full-screen editor holds the program about 2 s under Wine without a window manager.
sleep 3.5
drv click stop
wait_state pressed stop
kill "${BLINK_PIDS[@]}" 2>/dev/null || true

rec=$(app_recording)
expect_eq "area size" "$(rec_value "$rec" width)x$(rec_value "$rec" height)" "${W}x${H}"
records=$(rec_value "$rec" records)
convert "$APP_WORK/before.png" -crop "${W}x${H}+$X+$Y" +repage "$APP_WORK/before-area.png"
first=$("$MRV_E2E_CHECK" first "$rec" "$APP_WORK/HeadFile.hdf" "$APP_WORK/before-area.png" \
    0 0 $W $H)
[ "$first" -gt 0 ] || fail "the recording never showed the area as the screenshot had it"
echo "ok: the area's picture after $first records"
held_line=$(ed_held "$rec")
[ -n "$held_line" ] || fail "the edit put no held record in"
read -r held hold items whole <<<"$held_line"
expect_eq "edit held $hold ticks as one item of the whole area" "$items $whole" "1 1"
for n in $held $records; do
    inside=$(($(ed_count "$rec" $n 100 80 60 40 3366CC) + $(ed_count "$rec" $n 100 80 60 40 CC6633)))
    expect_eq "the window inside after $n records" "$inside" 2400
    expect_eq "nothing from outside after $n records" "$(ed_count "$rec" $n 0 0 $W $H 66CC33)" 0
    expect_eq "no frame after $n records" "$(ed_count "$rec" $n 0 0 $W $H E61E1E)" 0
done
"$MRV_E2E_CHECK" events "$rec" "$APP_WORK/HeadFile.hdf" >"$APP_WORK/events"
grep -q '^[0-9]* 50 80 0$' "$APP_WORK/events" || fail "no cursor at 50,80 in the area"
grep -q '^[0-9]* -32768 -32768 0$' "$APP_WORK/events" || fail "the cursor outside was stored"
grep -q '^Area=1' "$APP_WORK/Morvanta.ini" && grep -q "^AreaWidth=$W" "$APP_WORK/Morvanta.ini" ||
    fail "the area and its region were not saved"
mv "$rec" "$APP_WORK/region.rec"

# "选择窗口": the click takes the window under the pointer, here the tool bar.
drv click start
drv dialog >/dev/null || fail "the settings dialog did not open again"
drv dialog-area 2 >/dev/null
drv dialog-ok >/dev/null
drv wait-picker || fail "the picker did not show for a window"
xdotool mousemove --sync 590 320
sleep 0.5
app_click_at 600 324
mrv_screenshot "$APP_WORK/window-picked.png"
# The clock still shows the last recording's end: the new file tells that this one started.
deadline=$((SECONDS + 20))
until compgen -G "$APP_WORK/MRV_*.exe" >/dev/null; do
    [ $SECONDS -ge $deadline ] && fail "the window recording did not start"
    sleep 0.2
done
sleep 1.5
drv click stop
wait_state pressed stop
rec=$(app_recording)
expect_eq "window size" "$(rec_value "$rec" width)x$(rec_value "$rec" height)" "368x32"
convert "$APP_WORK/before.png" -crop 368x32+453+308 +repage "$APP_WORK/before-toolbar.png"
# Its buttons' end, which no recording changes, as the screenshot had it.
first=$("$MRV_E2E_CHECK" first "$rec" "$APP_WORK/HeadFile.hdf" "$APP_WORK/before-toolbar.png" \
    259 0 66 32)
[ "$first" -gt 0 ] || fail "the window recording does not show the tool bar"
mv "$rec" "$APP_WORK/window.rec"

# Space takes the last region; Esc in the countdown starts nothing.
drv click start
drv dialog >/dev/null || fail "the settings dialog did not open a third time"
drv dialog-area 1 >/dev/null
drv dialog-check 191 1 # 开始前倒计时 3 秒
drv dialog-ok >/dev/null
drv wait-picker || fail "the picker did not show for the last region"
sleep 0.5
focus_window ${SIZE%x*}
xdotool key space
sleep 0.3
xdotool key Return
sleep 2.5
mrv_screenshot "$APP_WORK/countdown.png"
focus_window 180
xdotool key Escape
# Past the end the countdown would have had.
sleep 3
expect_eq "not started" "$(app_state pressed)" "stop"
compgen -G "$APP_WORK/MRV_*.exe" >/dev/null && fail "Esc in the countdown left a recording"
grep -q $'^Countdown=1\r$' "$APP_WORK/Morvanta.ini" || fail "the countdown option was not saved"
echo PASS
