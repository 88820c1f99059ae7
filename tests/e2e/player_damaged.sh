# The stub alone, a truncated and a corrupted recording: a message box, then a clean exit
# (exit code 1, no crash, no hang).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/player_lib.sh"
player_setup
cd "$WORK"

"$MRV_PLAYER_E2E" make --stub "$STUB" --out good.exe --frames 6 --size 160x120 --fps 5 >/dev/null
cp "$STUB" alone.exe
stub_size="$(stat -c %s "$STUB")"
good_size="$(stat -c %s good.exe)"
head -c $((good_size - 100)) good.exe >truncated.exe
# A payload byte of the fourth record flipped: found only when that picture is decoded.
cp good.exe corrupt.exe
offset="$("$MRV_PLAYER_E2E" payload good.exe 3)"
printf '\xff\xff\xff\xff' | dd of=corrupt.exe bs=1 seek=$((offset + 2)) conv=notrunc 2>/dev/null
# A header that claims an absurd screen.
cp good.exe hostile.exe
printf '\xff\xff\xff\x7f\xff\xff\xff\x7f' | dd of=hostile.exe bs=1 seek=$((stub_size + 16)) \
    conv=notrunc 2>/dev/null

failures=0
for name in alone truncated corrupt hostile; do
    rm -f log.txt
    wine "./$name.exe" /mrv-test-log=log.txt &
    pid=$!
    if player_wait_log log.txt '^message' 30; then
        if ! player_dismiss_box "$pid"; then
            echo "$name: still running after the message" >&2
            failures=$((failures + 1))
        else
            wait "$pid"
            code=$?
            [ "$code" = 1 ] || { echo "$name: exit code $code" >&2; failures=$((failures + 1)); }
            echo "$name: $(grep '^message' log.txt)"
        fi
    else
        echo "$name: no message box" >&2
        failures=$((failures + 1))
    fi
    wineserver -k
done
[ "$failures" -eq 0 ] && echo "player damaged: all checks passed"
exit "$failures"
