# A change that lies only between sampled lines is not seen at first and is found exactly when
# the moving scan phase reaches one of its rows, within one step of ticks.
set -euo pipefail
source "$(dirname "$0")/recorder_lib.sh"

W=640 H=480 STEP=17 STRIP_H=2 STRIP_X=200
rec_setup "${W}x${H}x24"
"$MRV_E2E_CHECK" picture "$REC_WORK/base.png" $W $H 5
"$MRV_E2E_CHECK" solid "$REC_WORK/strip.png" 150 $STRIP_H ff00ff
rec_show "$REC_WORK/base.png" 0 0 >/dev/null
strip=$(rec_show "$REC_WORK/strip.png" $STRIP_X 0)
xdotool windowunmap --sync "$strip"

rec_start --bpp 32 --step $STEP --fps 5
rec_settle $((STEP + 2)) >/dev/null
# Place the strip on rows the next ticks do not sample: the phase advances by 3 a tick, so
# rows at phase + 18 (mod STEP) come up six ticks from now.
read -r _ _ phase _ <<<"$(rec_cmd sync)"
y=$((STEP * 10 + (phase + 18) % STEP))
xdotool windowmove "$strip" $STRIP_X $y
xdotool windowmap --sync "$strip"
sleep 0.1
read -r _ shown_at phase _ <<<"$(rec_cmd sync)"

# The first tick from here whose sampled rows meet the strip.
expected=""
for ((j = 0; j < STEP; j++)); do
    sampled=$(((phase + 3 * j) % STEP))
    for ((r = y; r < y + STRIP_H; r++)); do
        if [ $((r % STEP)) = "$sampled" ] && [ -z "$expected" ]; then expected=$((shown_at + j + 1)); fi
    done
done
[ "$expected" -gt $((shown_at + 1)) ] || fail "the strip was placed on a row sampled at once"

rec_wait_records $((shown_at + STEP + 2))
mrv_screenshot "$REC_WORK/shot.png"
records=$(rec_records)
rec_stop
rec_compare "$records" "$REC_WORK/shot.png"
first=$("$MRV_E2E_CHECK" first "$REC_WORK/rec.exe" "$REC_WORK/stub.hdf" "$REC_WORK/shot.png" \
    $STRIP_X $y 150 $STRIP_H) || fail "the checker failed"
echo "strip on rows $y..$((y + STRIP_H - 1)) shown after $shown_at records; first recorded" \
    "after $first, expected $expected"
[ "$first" = "$expected" ] || fail "strip first recorded after $first records, not $expected"
echo "ok"
