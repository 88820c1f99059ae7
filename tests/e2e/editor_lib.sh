# Helpers for the annotation editor's end-to-end tests: a recording with known options, the
# editor opened from the tool bar, drags and clicks as a user makes them, screenshots and
# checks of the edited record. Source after `set -euo pipefail`.
source "$(dirname "${BASH_SOURCE[0]}")/app_main_lib.sh"

ED_DRIVER="$APP_BIN/mrv_e2e_editor.exe"
# The tool panel at 96 DPI: ToolButtonN's centre, the speed buttons, swatches and widths.
ED_PANEL_X=160 ED_PANEL_Y=88
ed_tool_x() { echo $((ED_PANEL_X + 1 + 23 * $1 + 11)); }  # 0 arrow, 1 ellipse .. 5 text
ED_TOOL_Y=$((ED_PANEL_Y + 12))
ED_UNDO_X=$((ED_PANEL_X + 1 + 23 * 6 + 8 + 11))
ED_CANCEL_X=$((ED_PANEL_X + 179 + 11))
ED_APPLY_X=$((ED_PANEL_X + 202 + 26))
ED_COMBO_X=$((ED_PANEL_X + 1 + 25 + 15)) ED_COMBO_Y=$((ED_PANEL_Y + 29 + 6 + 10))

# The editor's driver, run as drv runs the main window's.
edrv() { APP_DRIVER="$ED_DRIVER" drv "$@"; }

# Xvfb of SIZE showing a picture of blocks in the 16 VGA colours, and the program's INI file
# with frame rate index FRAME, colour index COLOR, EditMode and EditSleep.
ed_setup() {
    app_setup "$1"
    local w h
    IFS=x read -r w h _ <<<"$1"
    "$MRV_E2E_CHECK" picture "$APP_WORK/background.png" "$w" "$h" 11
    display -geometry +0+0 -borderwidth 0 "$APP_WORK/background.png" &
    ED_DISPLAY_PID=$!
    trap 'kill $ED_DISPLAY_PID 2>/dev/null || true; app_cleanup' EXIT
    sleep 1.5
}

ed_ini() {
    printf '[Option]\r\nFrame=%s\r\nColor=%s\r\nEditMode=%s\r\nEditSleep=%s\r\nDynamicTray=0\r\n' \
        "$1" "$2" "$3" "$4" >"$APP_WORK/Morvanta.ini"
}

# Starts a recording (ARGS: driver actions on the dialog first) and waits for its first second.
ed_start_recording() {
    # The label still shows the last recording's time until the new one's first tick.
    local before
    before="$(app_state clock)"
    drv click start
    drv dialog >/dev/null || fail "the settings dialog did not open"
    while [ $# -gt 0 ]; do
        drv $1 >/dev/null
        shift
    done
    drv dialog-ok >/dev/null || fail "the dialog did not close"
    local deadline=$((SECONDS + 20))
    local now
    until now="$(app_state clock)" && [ "$now" != "00:00:00" ] && [ "$now" != "$before" ]; do
        [ $SECONDS -ge $deadline ] && fail "the recording's clock did not run"
        sleep 0.2
    done
}

# The pointer out of the way, where no tooltip can show.
ed_park() {
    xdotool mousemove --sync "${1:-790}" "${2:-590}"
    sleep 0.3
}

ed_click() {
    xdotool mousemove --sync "$1" "$2"
    sleep 0.15
    xdotool click 1
    sleep 0.25
}

# A left drag from X1,Y1 to X2,Y2 in STEPS moves.
ed_drag() {
    local x1=$1 y1=$2 x2=$3 y2=$4 steps=${5:-4} i
    xdotool mousemove --sync "$x1" "$y1"
    sleep 0.1
    xdotool mousedown 1
    sleep 0.1
    for ((i = 1; i <= steps; i++)); do
        xdotool mousemove --sync $((x1 + (x2 - x1) * i / steps)) $((y1 + (y2 - y1) * i / steps))
        sleep 0.05
    done
    sleep 0.1
    xdotool mouseup 1
    sleep 0.3
}

# Presses Edit on the tool bar and waits for the editor over the whole screen. (A pointer click
# on the tool bar right after a window of the program has closed is lost under Wine: the
# driver presses the button.)
ed_open() {
    drv click edit
    local out
    out=$(edrv wait-open) || { mrv_screenshot "$APP_WORK/failed-open.png"; fail "the editor did not open"; }
    expect_eq "editor covers the screen" "$(sed -n 's/^editor //p' <<<"$out")" "0 0 ${1/x/ }"
    expect_eq "panel" "$(sed -n 's/^panel //p' <<<"$out")" "$ED_PANEL_X $ED_PANEL_Y 265 62"
    ed_park
}

# Types TEXT into the font-size box (shown with the text tool), in place of what it held.
ed_combo() {
    ed_click $ED_COMBO_X $ED_COMBO_Y
    xdotool key End BackSpace BackSpace BackSpace BackSpace
    xdotool type --delay 50 "$1"
}

# With the text tool selected: "Hi" typed into a box opened at X,Y, then committed by the text
# tool's button, lands where the box showed it: the left and top edges of its ink within 1 px.
ed_expect_text_in_place() {
    local x=$1 y=$2 n="$APP_WORK/$3" crop="80x36+$1+$2" box text  # the box is 80 x 36 at least
    ed_park
    mrv_screenshot "$n-before.png"
    ed_click "$x" "$y"
    xdotool type --delay 80 Hi
    ed_click $ED_COMBO_X $ED_COMBO_Y                # the focus, and the caret, leave the box
    ed_park
    mrv_screenshot "$n-box.png"
    ed_click "$(ed_tool_x 5)" $ED_TOOL_Y            # commits it
    ed_park
    mrv_screenshot "$n-text.png"
    # The box's ink is what is not silver; the text's is what differs from before.
    box=$(convert "$n-box.png" -crop "$crop" +repage -trim -format '%X %Y' info: 2>/dev/null)
    text=$(convert "$n-text.png" "$n-before.png" -compose difference -composite -crop "$crop" \
        +repage -trim -format '%X %Y' info: 2>/dev/null)
    read -r bx by <<<"$box"
    read -r tx ty <<<"$text"
    [ "$bx" -ge 0 ] && [ "$tx" -ge 0 ] && [ $(((bx - tx) ** 2)) -le 1 ] &&
        [ $(((by - ty) ** 2)) -le 1 ] ||
        fail "$3: the box showed its ink from $box, the committed text has it from $text"
    echo "ok: $3 in place (ink from $box)"
}

# Screenshot of the editor with its panel hidden, into $APP_WORK/NAME.png.
ed_shot_without_panel() {
    ed_park
    edrv panel hide || fail "no editor panel to hide"
    mrv_screenshot "$APP_WORK/$1.png"
    edrv panel show
}

# Differing pixels of two screenshots, with the rectangles "X,Y,X2,Y2" given blacked out.
ed_diff() {
    local a=$1 b=$2 draw=() r
    shift 2
    for r in "$@"; do draw+=(-draw "rectangle ${r//,/ }"); done
    convert "$a" -fill black "${draw[@]}" "$APP_WORK/diff-a.png"
    convert "$b" -fill black "${draw[@]}" "$APP_WORK/diff-b.png"
    compare -metric AE "$APP_WORK/diff-a.png" "$APP_WORK/diff-b.png" null: 2>&1 || true
}

# The records with hold ticks: "NUMBER HOLD ITEMS WHOLE" lines.
ed_held() { "$MRV_E2E_CHECK" held "$1" "$APP_WORK/HeadFile.hdf"; }

# Pixels of COLOUR in the region X Y W H of the picture after RECORDS records.
ed_count() { "$MRV_E2E_CHECK" count "$1" "$APP_WORK/HeadFile.hdf" "${@:2}"; }

# The picture after RECORDS records equals the screenshot.
ed_expect_picture() {
    "$MRV_E2E_CHECK" compare "$1" "$APP_WORK/HeadFile.hdf" "$2" "$3" >"$APP_WORK/compare.out" ||
        fail "record $2 against $3: $(cat "$APP_WORK/compare.out")"
    echo "ok: record $2 equals $(basename "$3")"
}
