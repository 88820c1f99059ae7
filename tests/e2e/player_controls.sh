# The player's controls under Wine, driven as a user would: play and pause by the button and by
# the space bar (also while the button has the focus), a drag of the position bar seeks and the
# time label follows, full screen by F11, Esc and the button, close by the button; and a
# recording larger than the screen is scaled down to fit with its aspect ratio kept.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/player_lib.sh"
player_setup
cd "$WORK"
failures=0
fail() { echo "$*" >&2; failures=$((failures + 1)); }

# Clicks at X Y as separate xdotool calls (chained ones lose clicks under Wine).
click_at() {
    xdotool mousemove --sync "$1" "$2" && sleep 0.3 && xdotool click 1 && sleep 0.3
    xdotool mousemove --sync 5 5  # away, so that the next click is not a double click
}
# The value of field NAME in the last "controls" line: "NAME X Y".
control() { grep '^controls' log.txt | tail -n 1 | awk -v n="$1" '{for (i = 1; i < NF; i++) if ($i == n) print $(i + 1), $(i + 2)}'; }
# Without a window manager the focus needs a nudge after clicks and style changes.
focus() { xdotool windowfocus --sync "$window" && sleep 0.3; }
states() { grep -c '^state' log.txt; }
last_state() { grep '^state' log.txt | tail -n 1 | cut -d' ' -f2; }
# Waits up to 5 s for the number of "state" lines to reach N.
wait_states() {
    local i
    for ((i = 0; i < 50; i++)); do [ "$(states)" -ge "$1" ] && return 0; sleep 0.1; done
    return 1
}

# 40 records at 5 per second: eight seconds.
"$MRV_PLAYER_E2E" make --stub "$STUB" --out rec.exe --frames 40 --size 320x240 --fps 5 >/dev/null
wine ./rec.exe /mrv-test-log=log.txt /mrv-test-pause-at=0 &
pid=$!
player_wait_log log.txt '^controls' 30 || exit 1
player_wait_log log.txt '^shown record' 30 || exit 1
window="$(xdotool search --sync --pid "$pid" --onlyvisible --name . | head -n 1)"
[ -n "$window" ] || window="$(xdotool search --sync --name '录像播放' | head -n 1)"
focus
sleep 0.5

# Space plays, space pauses later on.
focus
xdotool key space
wait_states 1 && [ "$(last_state)" = playing ] || fail "space did not start playing: $(last_state)"
sleep 1.5
focus
xdotool key space
wait_states 2 && [ "$(last_state)" = paused ] || fail "space did not pause: $(last_state)"
paused_at="$(grep '^state' log.txt | tail -n 1 | cut -d' ' -f3)"
[ "${paused_at:-0}" -ge 800 ] || fail "paused at ${paused_at:-?} ms after 1.5 s of playing"

# The button plays; space with the focus on the button pauses once, not twice.
read -r px py <<<"$(control play)"
click_at "$px" "$py"
wait_states 3 && [ "$(last_state)" = playing ] || fail "the play button did not play"
sleep 0.5
xdotool key space
wait_states 4
sleep 1
[ "$(states)" = 4 ] && [ "$(last_state)" = paused ] ||
    fail "space on the focused button: $(grep '^state' log.txt | tail -n 2 | tr '\n' ' ')"

# Grab the thumb, start playing while holding it (space works during the drag), and hold it in
# the middle of the bar: the picture stays where the thumb is, not where playing has got to; on
# release a seek there, and the picture and the time label follow.
read -r tx ty <<<"$(control thumb)"
read -r c0 c1 <<<"$(control channel)"
xdotool mousemove --sync "$tx" "$ty" && sleep 0.3 && xdotool mousedown 1 && sleep 0.3
xdotool key space
wait_states 5 && [ "$(last_state)" = playing ] || fail "space during a drag did not play"
xdotool mousemove --sync $(((c0 + c1) / 2)) "$ty" && sleep 1.5
held="$(grep '^shown record' log.txt | tail -n 1 | cut -d' ' -f3)"
xdotool mouseup 1 && sleep 0.5
xdotool mousemove --sync 5 5
seek="$(grep '^seek' log.txt | tail -n 1 | cut -d' ' -f2)"
awk -v s="${seek:--1}" 'BEGIN { exit !(s >= 3400 && s <= 4600) }' || fail "drag to the middle sought to '${seek:-nothing}'"
[ -n "$seek" ] && [ "$held" = $((seek / 200)) ] ||
    fail "holding the thumb at $seek ms showed record $held, not $((seek / 200))"
# The first picture after the seek (the held one is not logged again): on a busy machine playing
# has moved on by the time the log is read.
shown="$(awk '/^seek/ {s = ""; n = 0} /^shown record/ && !n {s = $3; n = 1} END {print s}' log.txt)"
label="$(grep '^time' log.txt | tail -n 1 | cut -d' ' -f2-)"
[ -n "$seek" ] && [ "$shown" -ge $((seek / 200)) ] && [ "$shown" -le $((seek / 200 + 3)) ] ||
    fail "after the seek to $seek record $shown is shown"
label_s="${label:6:2}"
[ "${label:0:6}${label:8}" = "00:00: / 00:00:08" ] && [ "${label_s#0}" -ge $((seek / 1000)) ] &&
    [ "${label_s#0}" -le $((seek / 1000 + 1)) ] || fail "time label '$label' after the seek to $seek"
focus
xdotool key space
wait_states 6

# Full screen by F11 and back by Esc, then by the button and by double clicks both ways.
windowed="$(grep '^picture' log.txt | tail -n 1)"
# Waits for the Nth "full screen" line, which must say $1, then checks the window and picture.
full_lines=0
check_full() {
    full_lines=$((full_lines + 1))
    local i
    for ((i = 0; i < 50; i++)); do
        [ "$(grep -c '^full screen' log.txt)" -ge $full_lines ] && break
        sleep 0.1
    done
    [ "$(grep '^full screen' log.txt | sed -n "${full_lines}p")" = "full screen $1" ] ||
        { fail "$2: not full screen $1"; return; }
    sleep 0.5
    local geometry
    geometry="$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')"
    if [ "$1" = 1 ]; then
        # The 320x240 picture stays 1:1 in the middle above the 34-pixel bar.
        [ "$geometry" = 1024x768 ] || fail "$2: full screen window $geometry"
        [ "$(grep '^picture' log.txt | tail -n 1)" = "picture 352 247 320 240" ] ||
            fail "$2: full screen $(grep '^picture' log.txt | tail -n 1)"
    else
        [ "$(grep '^picture' log.txt | tail -n 1)" = "$windowed" ] ||
            fail "$2: back from full screen $(grep '^picture' log.txt | tail -n 1), was $windowed"
    fi
}
focus
xdotool key F11
check_full 1 F11
focus
xdotool key Escape
check_full 0 Esc
read -r fx fy <<<"$(control full)"
click_at "$fx" "$fy"
check_full 1 "full screen button"
read -r fx fy <<<"$(control full)"
click_at "$fx" "$fy"
check_full 0 "windowed button"
# A double click on the picture, both ways.
double_click_picture() {
    local x y w h
    read -r _ x y w h < <(grep '^picture' log.txt | tail -n 1)
    xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) && sleep 0.3
    xdotool click --repeat 2 --delay 80 1 && sleep 0.3
    xdotool mousemove --sync 5 5
}
double_click_picture
check_full 1 "double click"
double_click_picture
check_full 0 "double click in full screen"

# The close button ends the player cleanly.
read -r cx cy <<<"$(control close)"
click_at "$cx" "$cy"
for ((i = 0; i < 50; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    fail "still running after the close button"
    kill "$pid"
else
    wait "$pid"
    code=$?
    [ "$code" = 0 ] || fail "exit code $code after the close button"
fi
wineserver -k

# Larger than the 1024x768 screen: scaled down, aspect ratio kept, the whole picture shown.
if [ -n "${MRV_TOOL:-}" ]; then
    mkdir frames
    convert -size 1600x1200 xc:navy -fill orange -draw "rectangle 0,0 799,599" \
        -fill white -draw "rectangle 800,600 1599,1199" -fill red -draw "circle 800,600 800,900" \
        frames/f0.png
    "$MRV_TOOL" replay frames --bpp 32 --step 7 --fps 5 --stub "$STUB" --out big.exe >/dev/null
    player_shoot_paused ./big.exe 0 big.png || exit 1
    pid=$PLAYER_PID x=$PIC_X y=$PIC_Y w=$PIC_W h=$PIC_H
    window="$(xdotool search --name '录像播放' | head -n 1)"
    read -r wx wy < <(xdotool getwindowgeometry "$window" | awk '/Position/ {sub(",", " ", $2); print $2}')
    read -r ww wh < <(xdotool getwindowgeometry "$window" | awk '/Geometry/ {sub("x", " ", $2); print $2}')
    [ "$h" -le 768 ] && [ "$w" -le 1024 ] && [ "$h" -ge 600 ] || fail "big picture ${w}x$h"
    [ $((w * 1200 - h * 1600)) -le 1600 ] && [ $((h * 1600 - w * 1200)) -le 1200 ] ||
        fail "big picture ${w}x$h lost its 4:3 shape"
    [ "$wx" -ge 0 ] && [ "$wy" -ge 0 ] && [ $((wx + ww)) -le 1024 ] && [ $((wy + wh)) -le 768 ] ||
        fail "the window ${ww}x$wh at $wx,$wy does not fit the screen"
    convert big.png -crop "${w}x$h+$x+$y" +repage shown.png
    convert frames/f0.png -resize "${w}x$h!" want.png
    # The arrow cursor sits at 0, 0 of the picture: a few pixels of difference are expected.
    rmse="$(compare -metric RMSE shown.png want.png null: 2>&1 | sed 's/.*(\(.*\))/\1/')"
    awk -v r="$rmse" 'BEGIN { exit !(r < 0.05) }' || fail "the scaled picture differs (RMSE $rmse)"
    echo "1600x1200 shown at ${w}x$h in a ${ww}x$wh window, RMSE $rmse against a plain resize"
    kill "$pid" 2>/dev/null
    wineserver -k
    wait "$pid" 2>/dev/null
fi

[ "$failures" -eq 0 ] && echo "player controls: all checks passed"
exit "$failures"
