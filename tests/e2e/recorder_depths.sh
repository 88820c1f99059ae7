# At every colour depth the recording reproduces the X screen exactly: a full picture, a
# smaller one on top, and the first again when the top one closes.
set -euo pipefail
source "$(dirname "$0")/recorder_lib.sh"

W=640 H=480
rec_setup "${W}x${H}x24"
"$MRV_E2E_CHECK" picture "$REC_WORK/base.png" $W $H 1
"$MRV_E2E_CHECK" picture "$REC_WORK/top.png" 300 200 2
rec_show "$REC_WORK/base.png" 0 0 >/dev/null

for case in "32 17" "16 13" "8 7" "4 7"; do
    read -r bpp step <<<"$case"
    rec_start --bpp "$bpp" --step "$step" --fps 20
    records=$(rec_settle $((step + 2)))
    mrv_screenshot "$REC_WORK/shot1.png"
    rec_compare "$records" "$REC_WORK/shot1.png"

    rec_show "$REC_WORK/top.png" 101 57 >/dev/null
    top_pid=${REC_PIDS[-1]}
    records=$(rec_settle $((step + 2)))
    mrv_screenshot "$REC_WORK/shot2.png"
    rec_compare "$records" "$REC_WORK/shot2.png"

    kill "$top_pid"
    sleep 0.3
    records=$(rec_settle $((step + 2)))
    mrv_screenshot "$REC_WORK/shot3.png"
    rec_compare "$records" "$REC_WORK/shot3.png"

    rec_stop
    [ "$(rec_info bpp)" = "$bpp" ] || fail "depth $(rec_info bpp), expected $bpp"
    [ "$(rec_info frameCount)" = "$(rec_info records)" ] || fail "frameCount is not the records"
    echo "ok: $bpp bits, step $step, $(rec_info records) records"
done
