# The player shows the recorded pictures exactly, 1:1, at the right ticks (held frames
# included), with the cursor and clicks drawn, and keeps its own picture area.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/player_lib.sh"
player_setup
cd "$WORK"

# 16 records at 5 per second; record 8 is held for 3 more ticks (ticks 8..11).
"$MRV_PLAYER_E2E" make --stub "$STUB" --out rec.exe --frames 16 --size 320x240 --fps 5 \
    --clicks --hold 3 >/dev/null

failures=0
# tick:expected record; ticks 4 (left), 5, 10 and 18 (right) show a press
for pair in 0:0 4:4 5:5 8:8 10:8 12:9 18:15; do
    tick="${pair%%:*}"
    want="${pair##*:}"
    player_shoot_paused ./rec.exe "$tick" "shot$tick.png" || exit 1
    pid=$PLAYER_PID x=$PIC_X y=$PIC_Y w=$PIC_W h=$PIC_H
    shown="$(grep '^shown record' log.txt | tail -n 1 | cut -d' ' -f3)"
    if [ "$shown" != "$want" ] || [ "$w" != 320 ] || [ "$h" != 240 ]; then
        echo "tick $tick: shown record $shown at ${w}x$h, want $want at 320x240" >&2
        failures=$((failures + 1))
    elif ! "$MRV_PLAYER_E2E" compare rec.exe "shot$tick.png" "$x" "$y" "$tick"; then
        echo "tick $tick: the screen does not show record $want with its cursor and click" >&2
        failures=$((failures + 1))
    fi
    kill "$pid" 2>/dev/null
    wineserver -k
    wait "$pid" 2>/dev/null
done

# Playing through: every record appears in order and the player stops at the end.
rm -f log.txt
timeout 60 wine ./rec.exe /mrv-test-log=log.txt /mrv-test-exit-at-end
grep -q '^ended' log.txt || { echo "did not reach the end" >&2; failures=$((failures + 1)); }
order="$(grep '^shown record' log.txt | cut -d' ' -f3 | uniq | tr '\n' ' ')"
[ "$order" = "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 " ] ||
    { echo "records shown out of order: $order" >&2; failures=$((failures + 1)); }

# A recording made by the engine itself (mrvtool replay of known frames) shows them exactly.
if [ -n "${MRV_TOOL:-}" ]; then
    mkdir frames
    for i in 0 1 2 3; do
        convert -size 300x200 xc:navy -fill orange -draw "rectangle $((i * 60)),40 $((i * 60 + 50)),160" \
            -fill white -draw "circle 150,100 150,$((110 + i * 10))" "frames/f$i.png"
    done
    "$MRV_TOOL" replay frames --bpp 32 --step 7 --fps 5 --stub "$STUB" --out replay.exe >/dev/null
    player_shoot_paused ./replay.exe 2 replay.png || exit 1
    pid=$PLAYER_PID x=$PIC_X y=$PIC_Y
    "$MRV_PLAYER_E2E" compare replay.exe replay.png "$x" "$y" 2 ||
        { echo "replayed recording: wrong picture" >&2; failures=$((failures + 1)); }
    kill "$pid" 2>/dev/null
    wineserver -k
    wait "$pid" 2>/dev/null
fi

# A recording that was never stopped (frame count 0) still plays, at the default tick length.
"$MRV_PLAYER_E2E" make --stub "$STUB" --out unstopped.exe --frames 6 --size 64x48 --fps 5 \
    --unstopped >/dev/null
rm -f log.txt
timeout 60 wine ./unstopped.exe /mrv-test-log=log.txt /mrv-test-exit-at-end
grep -q '^stream at .* ticks 6 tick_ms 166.000' log.txt && grep -q '^ended 996' log.txt ||
    { echo "never-stopped recording:" >&2; cat log.txt >&2; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "player pictures: all checks passed"
exit "$failures"
