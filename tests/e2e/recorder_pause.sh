# Pause and resume: no records while paused, a second pause changes nothing, a change made
# during the pause is recorded after the resume, and the header's frame count and duration
# leave the pause out.
set -euo pipefail
source "$(dirname "$0")/recorder_lib.sh"

W=640 H=480 STEP=17 PAUSE_S=3
rec_setup "${W}x${H}x24"
"$MRV_E2E_CHECK" picture "$REC_WORK/before.png" $W $H 3
"$MRV_E2E_CHECK" picture "$REC_WORK/after.png" 400 300 4
rec_show "$REC_WORK/before.png" 0 0 >/dev/null

rec_start --bpp 32 --step $STEP --fps 10
records=$(rec_settle $((STEP + 2)))
mrv_screenshot "$REC_WORK/before-shot.png"
rec_compare "$records" "$REC_WORK/before-shot.png"

read -r _ paused_at _ paused <<<"$(rec_cmd pause)"
[ "$paused" = 1 ] || fail "pause did not pause"
pause_start=$(date +%s.%N)
rec_show "$REC_WORK/after.png" 120 90 >/dev/null
sleep "$PAUSE_S"
read -r _ again _ paused <<<"$(rec_cmd pause)"
[ "$paused" = 1 ] && [ "$again" = "$paused_at" ] || fail "records grew while paused"
read -r _ resumed_at _ paused <<<"$(rec_cmd resume)"
pause_s=$(awk -v a="$(date +%s.%N)" -v b="$pause_start" 'BEGIN {print a - b}')
[ "$paused" = 0 ] && [ "$resumed_at" = "$paused_at" ] || fail "resume: $resumed_at, $paused"

records=$(rec_settle $((STEP + 2)))
mrv_screenshot "$REC_WORK/after-shot.png"
rec_compare "$records" "$REC_WORK/after-shot.png"
rec_stop

total=$(rec_info records)
frame_count=$(rec_info frameCount)
duration=$(rec_info durationMs)
[ "$frame_count" = "$total" ] || fail "frameCount $frame_count, records $total"
# Running time: from start to stop less the pause, within the answer latency of the harness.
wall_ms=$(awk -v a="$REC_STOP_S" -v b="$REC_START_S" -v p="$pause_s" \
    'BEGIN {printf "%d", (a - b - p) * 1000}')
echo "records $total, durationMs $duration, wall time less pause ${wall_ms} ms"
[ "$duration" -le $((wall_ms + 300)) ] || fail "durationMs $duration includes the pause"
[ "$duration" -ge $((wall_ms - 1000)) ] || fail "durationMs $duration too short"
# Ticks come every 100 ms while running: the records fit the measured duration.
[ $((total * 100)) -le $((duration + 300)) ] || fail "$total records in $duration ms"
[ $((total * 100)) -ge $((duration / 2)) ] || fail "only $total records in $duration ms"
echo "ok"
