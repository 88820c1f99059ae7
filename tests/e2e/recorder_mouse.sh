# The cursor position of every tick and the button presses through the low-level mouse hook:
# a press lands in exactly one record, left as 1 and right as 2.
set -euo pipefail
source "$(dirname "$0")/recorder_lib.sh"

W=640 H=480
TX=$((W - 32)) TY=$((H - 32))  # the harness's click target, 64 pixels square in the corner
rec_setup "${W}x${H}x24"
rec_start --bpp 16 --fps 10 --click --target
rec_settle 3 >/dev/null

xdotool mousemove --sync 123 45
rec_settle 3 >/dev/null
xdotool mousemove --sync $TX $TY
sleep 0.2
xdotool click 1
rec_settle 3 >/dev/null
xdotool mousemove --sync 300 200
sleep 0.2
xdotool mousemove --sync $TX $TY
sleep 0.2
xdotool click 3
rec_settle 3 >/dev/null
rec_stop

"$MRV_E2E_CHECK" events "$REC_WORK/rec.exe" "$REC_WORK/stub.hdf" >"$REC_WORK/events" ||
    fail "cannot read the records"
grep -q '^[0-9]* 123 45 0$' "$REC_WORK/events" || fail "no record with the cursor at 123,45"
clicks=$(awk '$4 != 0 {print $2, $3, $4}' "$REC_WORK/events" | tr '\n' ';')
echo "records with a press: $clicks"
[ "$clicks" = "$TX $TY 1;$TX $TY 2;" ] || fail "expected one left then one right press at the target"
echo "ok"
