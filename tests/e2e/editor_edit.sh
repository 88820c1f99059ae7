#!/usr/bin/env bash
# The annotation editor at 32 bits per pixel, opened from the tool bar during a recording: an
# edit with arrow, pen, text and undo applied; Esc in the font-size box, bad font sizes, text
# committed where its box showed it, apply with an open text box;
# Ctrl+Z and Ctrl+Y, a panel drag, cancel; Esc while paused; closing the window; the shapes
# (resize, move, the three ways to end them, a drag too small, the split cursors). Every applied edit is one
# whole-screen record held EditSleep ticks whose picture is what the editor showed; the
# recording runs afterwards.
set -euo pipefail
source "$(dirname "$0")/editor_lib.sh"
SIZE=800x600
ed_setup ${SIZE}x24
ed_ini 4 3 0 20   # 5 frames per second, 32 bits, full-screen copy, held 20 ticks
app_start
t_start=$(date +%s%N)
ed_start_recording
expect_eq "recording" "$(app_state pressed)" "start"
sleep 1
ed_park
mrv_screenshot "$APP_WORK/before.png"

# 1. Arrow, pen stroke, text, undo (drops the text), another arrow, apply.
ed_open $SIZE
edrv title | grep -q '^title FrmEdit toplevel 1 owner 0 caption 0$' || fail "window: $(edrv title)"
mrv_screenshot "$APP_WORK/opened.png"
# Outside its panel the editor shows the screen as it was (the tool bar's Edit button aside).
diff=$(ed_diff "$APP_WORK/before.png" "$APP_WORK/opened.png" 160,88,424,149 453,308,820,339)
expect_eq "editor shows the screen as it was" "$diff" 0
cp "$APP_WORK/opened.png" "$APP_SHOTS/editor_panel.png"
ed_drag 300 300 400 360
ed_click "$(ed_tool_x 4)" $ED_TOOL_Y            # pen
ed_drag 450 200 520 260 6
ed_click "$(ed_tool_x 5)" $ED_TOOL_Y            # text
ed_click 200 420
xdotool type --delay 80 Hi
sleep 0.3
cp_text_shot() { convert "$APP_WORK/$1.png" -crop 290x400+150+80 +repage "$APP_SHOTS/$2.png"; }
mrv_screenshot "$APP_WORK/typing.png"
cp_text_shot typing editor_text_tool
ed_click "$(ed_tool_x 5)" $ED_TOOL_Y            # the text tool again commits the box
ed_click $ED_UNDO_X $ED_TOOL_Y                  # undo: the text goes
ed_click "$(ed_tool_x 0)" $ED_TOOL_Y            # arrow
ed_drag 250 500 180 450
ed_shot_without_panel edit1
edrv apply
edrv wait-closed || fail "apply did not close the editor"
sleep 1
expect_eq "running after apply" "$(app_state pressed)" "start"

# 2. Esc typed into the font-size box is the box's: the editor and its arrow stay. A font size
# that is no whole number, or one out of range, opens no box. Text lands where its box showed
# it, at sizes 9 and 20. Apply with a text box open keeps its text (the real button this time).
ed_open $SIZE
ed_drag 450 480 530 530                         # an arrow, for the apply at the end
ed_click "$(ed_tool_x 5)" $ED_TOOL_Y
ed_combo 1.5
xdotool key Escape
sleep 0.5
edrv wait-open >/dev/null || fail "Esc in the font-size box closed the editor"
ed_click 560 150
expect_box Morvanta "'1.5' is not a valid integer value."
ed_combo 0
ed_click 560 150
expect_box Morvanta '字号必须在 1 到 1638 之间\t'
ed_combo 9
ed_expect_text_in_place 250 200 text9
ed_combo 20
ed_expect_text_in_place 380 200 text20
ed_combo 12
ed_click 560 150
xdotool type --delay 80 Hi
sleep 0.3
ed_click $ED_APPLY_X $ED_TOOL_Y
edrv wait-closed || fail "the apply button did not close the editor"
sleep 1

# 3. Ctrl+Z undoes and Ctrl+Y redoes; the panel drags; cancel writes nothing and the recording runs on.
ed_open $SIZE
mrv_screenshot "$APP_WORK/keys0.png"
ed_drag 600 500 700 550
ed_park
mrv_screenshot "$APP_WORK/keys1.png"
xdotool key ctrl+z
sleep 0.4
mrv_screenshot "$APP_WORK/keys2.png"
xdotool key ctrl+y
sleep 0.4
mrv_screenshot "$APP_WORK/keys3.png"
expect_eq "Ctrl+Z" "$(ed_diff "$APP_WORK/keys0.png" "$APP_WORK/keys2.png")" 0
expect_eq "Ctrl+Y" "$(ed_diff "$APP_WORK/keys1.png" "$APP_WORK/keys3.png")" 0
[ "$(ed_diff "$APP_WORK/keys0.png" "$APP_WORK/keys1.png")" -gt 100 ] || fail "no arrow drawn"
# The panel moves with a drag of its bare surface (right of the apply button).
ed_drag $((ED_PANEL_X + 259)) $((ED_PANEL_Y + 14)) $((ED_PANEL_X + 359)) $((ED_PANEL_Y + 114)) 5
expect_eq "panel dragged" "$(edrv wait-open | sed -n 's/^panel //p')" \
    "$((ED_PANEL_X + 100)) $((ED_PANEL_Y + 100)) 265 62"
ed_click $((ED_CANCEL_X + 100)) $((ED_TOOL_Y + 100))
edrv wait-closed || fail "cancel did not close the editor"
sleep 0.5
expect_eq "running after cancel" "$(app_state pressed)" "start"

# 4. Edit while paused, left with Esc: the recording runs afterwards.
drv click pause
sleep 0.5
expect_eq "paused" "$(app_state pressed)" "pause"
ed_open $SIZE
xdotool key Escape
edrv wait-closed || fail "Esc did not cancel the editor"
sleep 0.5
expect_eq "running after an edit while paused" "$(app_state pressed)" "start"
# Any other close is a cancel too: the arrow drawn before it is not written. On the way, a
# tool's hint shows when the mouse rests on it.
ed_open $SIZE
xdotool mousemove --sync "$(ed_tool_x 3)" $ED_TOOL_Y
expect_eq "hint of the rounded rectangle" "$(edrv tooltip)" "圆角矩形"
ed_drag 600 500 700 550
edrv close
edrv wait-closed || fail "closing the window did not close the editor"
sleep 0.5
expect_eq "running after closing the editor" "$(app_state pressed)" "start"

# 5. Shapes.
ed_open $SIZE
ed_click "$(ed_tool_x 2)" $ED_TOOL_Y            # rectangle
ed_click $((ED_PANEL_X + 147 + 7)) $((ED_PANEL_Y + 30 + 7))   # green
ed_drag 100 250 200 330                         # (100, 250, 200, 330)
ed_drag 198 328 240 360                         # its bottom-right handle: (100, 250, 240, 360)
ed_drag 242 300 252 320 10                      # the grip outside its right edge: + (10, 20)
xdotool mousemove --sync 180 320
sleep 0.2
xdotool click --repeat 2 --delay 60 1           # a double-click inside commits it
sleep 0.4
ed_click "$(ed_tool_x 1)" $ED_TOOL_Y            # ellipse
ed_drag 300 420 420 500
ed_click "$(ed_tool_x 3)" $ED_TOOL_Y            # rounded rectangle: commits the ellipse
ed_shot_without_panel small-before
ed_drag 650 100 658 108                         # 8 px: nothing
ed_shot_without_panel small-after
expect_eq "a drag of 8 px leaves nothing" "$(ed_diff "$APP_WORK/small-before.png" "$APP_WORK/small-after.png")" 0
ed_drag 500 400 620 480                         # left active
xdotool mousemove --sync 560 440
sleep 0.3
xdotool mousemove --sync 560 401
sleep 0.4
expect_eq "cursor over the top edge" "$("$MRV_XCURSOR")" "32 32 14 12"
xdotool mousemove --sync 501 440
sleep 0.4
expect_eq "cursor over the left edge" "$("$MRV_XCURSOR")" "32 32 16 14"
mrv_screenshot "$APP_WORK/shapes.png"
cp "$APP_WORK/shapes.png" "$APP_SHOTS/editor_shapes.png"
ed_shot_without_panel edit5
edrv apply
edrv wait-closed || fail "apply did not close the editor"
sleep 1
expect_eq "running after the shapes" "$(app_state pressed)" "start"
drv click stop
wait_state pressed stop >/dev/null
t_stop=$(date +%s%N)

rec=$(app_recording)
expect_eq "valid" "$(rec_value "$rec" valid)" 1
mapfile -t held < <(ed_held "$rec")
expect_eq "held records" "${#held[@]}" 3
for line in "${held[@]}"; do
    read -r number hold items whole <<<"$line"
    expect_eq "record $number: hold, items, whole screen" "$hold $items $whole" "20 1 1"
done
read -r r1 _ <<<"${held[0]}"
read -r r2 _ <<<"${held[1]}"
read -r r5 _ <<<"${held[2]}"
[ $((r2 - r1)) -gt 1 ] && [ $((r5 - r2)) -gt 1 ] || fail "no records between the edits"
[ "$(rec_value "$rec" records)" -gt "$r5" ] || fail "no records after the last edit"
ed_expect_picture "$rec" "$r1" "$APP_WORK/edit1.png"
# The text of the open box is in the picture: blue glyphs where the box stood; and so is the
# arrow drawn before Esc in the font-size box, red on a yellow block.
blue=$(ed_count "$rec" "$r2" 560 150 60 30 0000FF)
before_blue=$(convert "$APP_WORK/before.png" -crop 60x30+560+150 +repage -fill black +opaque '#0000FF' \
    -fill white -opaque '#0000FF' -format '%[fx:round(mean*w*h)]' info:)
[ "$blue" -gt $((before_blue + 10)) ] || fail "the open box's text is not in the picture ($blue blue pixels)"
echo "ok: the open box's text is in the picture"
[ "$(ed_count "$rec" "$r2" 485 500 10 10 FF0000)" -gt 5 ] || fail "the arrow is not in the picture"
# The shapes: the picture equals the editor but for the active rounded rectangle, which is
# committed (no handles, copy mix); outlines stand where the drags put them.
"$MRV_E2E_CHECK" render "$rec" "$APP_WORK/HeadFile.hdf" "$r5" "$APP_WORK/record5.png"
expect_eq "shapes picture" "$(ed_diff "$APP_WORK/record5.png" "$APP_WORK/edit5.png" 494,394,626,486)" 0
expect_eq "rectangle top edge" "$(ed_count "$rec" "$r5" 130 270 100 1 008000)" 100
expect_eq "rectangle left edge" "$(ed_count "$rec" "$r5" 110 290 1 70 008000)" 70
expect_eq "rectangle right edge" "$(ed_count "$rec" "$r5" 249 290 1 70 008000)" 70
[ "$(ed_count "$rec" "$r5" 355 419 11 4 008000)" -ge 10 ] || fail "no ellipse top at 360, 420"
expect_eq "rounded rectangle top edge" "$(ed_count "$rec" "$r5" 535 400 50 1 008000)" 50
# Frame counter and duration account the three holds of 20 ticks at 200 ms.
ticks=$(rec_value "$rec" ticks)
expect_eq "frame count" "$(rec_value "$rec" frameCount)" "$ticks"
expect_eq "ticks" "$ticks" $(($(rec_value "$rec" records) + 60))
duration=$(rec_value "$rec" durationMs)
wall=$(((t_stop - t_start) / 1000000))
[ "$duration" -ge 13000 ] && [ "$duration" -le $((wall + 12000)) ] ||
    fail "duration $duration ms with 12000 ms held, $wall ms of wall time"
echo PASS
