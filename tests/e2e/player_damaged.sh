# What the player does with recordings that are not whole, and with one named on its command
# line or dropped on its window: a message box and a clean exit where nothing can be played (the
# player by itself asks for a recording to open instead); a notice, then playing to the last
# whole record, where something survives; the shipped stub writes no test log.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/player_lib.sh"
player_setup
cd "$WORK"

# 6 records of one tick at 5 per second: 200 ms each.
"$MRV_PLAYER_E2E" make --stub "$STUB" --out good.exe --frames 6 --size 160x120 --fps 5 >/dev/null
cp "$STUB" alone.exe
stub_size="$(stat -c %s "$STUB")"
good_size="$(stat -c %s good.exe)"
# Cut off inside the last record, as a crash or a full disk leaves it: five whole records.
head -c $((good_size - 100)) good.exe >truncated.exe
# A payload byte of the fourth record flipped: found only when that picture is decoded.
cp good.exe corrupt.exe
offset="$("$MRV_PLAYER_E2E" payload good.exe 3)"
printf '\xff\xff\xff\xff' | dd of=corrupt.exe bs=1 seek=$((offset + 2)) conv=notrunc 2>/dev/null
# A header that claims an absurd screen.
cp good.exe hostile.exe
printf '\xff\xff\xff\x7f\xff\xff\xff\x7f' | dd of=hostile.exe bs=1 seek=$((stub_size + 16)) \
    conv=notrunc 2>/dev/null
# A recording made with the shipped stub, as one arrives from someone else.
"$MRV_PLAYER_E2E" make --stub "$RELEASE_STUB" --out other.exe --frames 6 --size 160x120 \
    --fps 5 >/dev/null

failures=0
fail_case() {
    echo "$1: $2" >&2
    [ -f log.txt ] && sed 's/^/    /' log.txt >&2
    failures=$((failures + 1))
}

# Runs PROGRAM ARGS... with the log, waits for a line matching PATTERN (the box it shows),
# presses OK until the program has gone and checks its exit code against CODE.
run_case() {
    local name="$1" code="$2" pattern="$3" pid got
    shift 3
    rm -f log.txt
    wine "$@" /mrv-test-log=log.txt /mrv-test-exit-at-end &
    pid=$!
    if ! player_wait_log log.txt "$pattern" 30; then
        fail_case "$name" "no box"
    elif ! player_dismiss_box "$pid"; then
        fail_case "$name" "still running after the box"
    else
        wait "$pid"
        got=$?
        [ "$got" = "$code" ] || fail_case "$name" "exit code $got"
        echo "$name: $(grep -E '^(message|notice)' log.txt)"
    fi
    wineserver -k
}

# Nothing to play.
run_case hostile 1 '^message' ./hostile.exe

# The player by itself (the installed one, started from its shortcut) asks for a recording, and
# the one chosen plays.
rm -f log.txt
timeout 60 wine ./alone.exe /mrv-test-log=log.txt /mrv-test-exit-at-end &
pid=$!
if player_wait_log log.txt '^open dialog' 30; then
    wine "$MRV_WIN_BUILD_DIR/bin/mrv_e2e_player.exe" file "$(echo "Z:$WORK/good.exe" | tr '/' '\\')" ||
        fail_case alone "no Open dialog to fill in"
    wait "$pid" || fail_case alone "exit code $?"
    grep -q "^stream at $stub_size records 6 " log.txt && grep -q '^ended 1200$' log.txt ||
        fail_case alone "the chosen recording did not play"
else
    fail_case alone "no Open dialog"
fi
wineserver -k

# Cut off: a notice, then the five whole records play to the end.
run_case truncated 1 '^notice truncated' ./truncated.exe
grep -q '^stream at [0-9]* records 5 ' log.txt || fail_case truncated "not five records"
grep -q '^ended 1000$' log.txt || fail_case truncated "did not play to its last whole record"

# Damaged half-way: the first three pictures play, then a notice; the window stays and the
# recording ends where the damaged record would have begun.
run_case corrupt 1 '^notice damaged' ./corrupt.exe
[ "$(grep '^shown record' log.txt | tail -n 1 | awk '{print $3}')" = 2 ] ||
    fail_case corrupt "the last picture shown is not the third"
sed -n '/^notice damaged/,$p' log.txt >after.txt
grep -q '^ended 600$' after.txt ||
    fail_case corrupt "the window did not go on to the end after the notice"
grep -q '^time 00:00:00 / 00:00:00$' after.txt ||
    fail_case corrupt "the label kept the length from before the damage"

# Given on the command line, another file's recording plays and nothing of it runs; one dropped
# on the window replaces it (the test build posts the drop itself, as Explorer would).
rm -f log.txt
timeout 60 wine "$STUB" /mrv-test-log=log.txt /mrv-test-exit-at-end /mrv-test-drop=other.exe \
    good.exe
code=$?
other_stub="$(stat -c %s "$RELEASE_STUB")"
[ "$code" = 0 ] || fail_case other "exit code $code"
[ "$(grep -c '^stream at' log.txt)" = 2 ] &&
    grep '^stream at' log.txt | head -n 1 | grep -q "^stream at $stub_size records 6 " ||
    fail_case other "the recording named on the command line did not open"
sed -n '/^dropped recording opens/,$p' log.txt >after.txt
grep -q "^stream at $other_stub records 6 " after.txt || fail_case other "the drop did not open"
grep -q '^ended 1200$' after.txt || fail_case other "the dropped recording did not play to the end"
echo "other: $(grep -E '^(stream|dropped|ended)' log.txt | tr '\n' ' ')"
wineserver -k

# A dropped file that cannot be played: a message, and the current recording plays on.
run_case refused-drop 0 '^message' "$STUB" /mrv-test-drop=alone.exe other.exe
grep -q '^ended 1200$' log.txt || fail_case refused-drop "the current recording did not play on"

# The shipped stub has no test switches: the switch is taken for a file name, which cannot be
# read, and nothing is written.
rm -f leak.txt
wine ./other.exe /mrv-test-log=leak.txt &
pid=$!
player_dismiss_box "$pid" || fail_case release "still running"
wait "$pid"
code=$?
[ "$code" = 1 ] || fail_case release "exit code $code"
[ -e leak.txt ] && fail_case release "the shipped stub wrote the test log"
wineserver -k

[ "$failures" -eq 0 ] && echo "player damaged: all checks passed"
exit "$failures"
