# Recordings made by the recording harness under Wine, at every colour depth, play back in
# HeadFile.hdf showing exactly what was on the X screen (4 and 8 bits through the stored colour
# table).
set -euo pipefail
source "$(dirname "$0")/recorder_lib.sh"
source "$(dirname "$0")/player_lib.sh"

W=400 H=300
rec_setup "${W}x${H}x24"
cp "$MRV_WIN_BUILD_DIR/bin/HeadFileTest.hdf" "$REC_WORK/stub.hdf"
"$MRV_E2E_CHECK" picture "$REC_WORK/base.png" $W $H 3
rec_show "$REC_WORK/base.png" 0 0 >/dev/null

depths="32:17 16:13 8:7 4:7"
for case in $depths; do
    bpp="${case%%:*}"
    step="${case##*:}"
    rec_start --bpp "$bpp" --step "$step" --fps 20
    rec_settle $((step + 2)) >/dev/null
    rec_stop
    mv "$REC_WORK/rec.exe" "$REC_WORK/rec$bpp.exe"
done

# Played on a larger screen, so that the picture is shown 1:1.
mrv_xvfb_stop
mrv_xvfb_start 1024x768x24
cd "$REC_WORK"
for case in $depths; do
    bpp="${case%%:*}"
    rm -f log.txt
    # Ticks are only known once the stub has indexed the stream: ask it for tick 0 first.
    wine "./rec$bpp.exe" /mrv-test-log=log.txt /mrv-test-pause-at=999999 &
    pid=$!
    player_wait_log log.txt '^shown record' 30 || fail "$bpp bits: the player showed nothing"
    sleep 1.5
    mrv_screenshot "shot$bpp.png"
    read -r _ x y w h < <(grep '^picture' log.txt | tail -n 1)
    ticks="$(grep '^stream at' log.txt | awk '{print $7}')"
    [ "$w" = $W ] && [ "$h" = $H ] || fail "$bpp bits: picture ${w}x$h"
    "$MRV_PLAYER_E2E" compare "rec$bpp.exe" "shot$bpp.png" "$x" "$y" $((ticks - 1)) ||
        fail "$bpp bits: the player's picture differs from the recorded screen"
    kill "$pid" 2>/dev/null || true
    wineserver -k
    wait "$pid" 2>/dev/null || true
    echo "ok: $bpp bits, $ticks ticks shown exactly"
done
