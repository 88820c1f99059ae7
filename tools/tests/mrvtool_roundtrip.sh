#!/bin/bash
# Replays generated frames through the engine at 32 and 16 bits, checks the recordings with
# `mrvtool info`, compares `mrvtool frames` with the input, and makes sure damaged files fail.
# Usage: mrvtool_roundtrip.sh MRVTOOL FRAMEGEN PNGDIFF WORKDIR
set -euo pipefail
tool=$1 gen=$2 diff=$3 work=$4
rm -rf "$work" && mkdir -p "$work" && cd "$work"
head -c 3000 /dev/zero | tr '\0' 'S' > stub.bin

fail() { echo "FAIL: $*" >&2; exit 1; }

# $1 kind, $2 size, $3 bpp, $4 step, $5 settle, $6.. pngdiff options
roundtrip() {
    local name=$1-$3-$4
    "$gen" "$1" --out "in-$name" --size "$2" --frames 12 --settle "$5"
    "$tool" replay "in-$name" --bpp "$3" --step "$4" --fps 10 --stub stub.bin --out "$name.exe" \
        --json > "$name.json"
    grep -q "\"ticks\": $((12 + $5))," "$name.json" || fail "$name: wrong tick count"
    "$tool" info "$name.exe" --stub stub.bin > "$name.info" || fail "$name: info says invalid"
    grep -q "stream: *valid" "$name.info" || fail "$name: no verdict"
    grep -q "items: *0$" "$name.info" && fail "$name: nothing was captured"
    grep -q "durationMs: *$(((12 + $5) * 100)) " "$name.info" || fail "$name: duration"
    "$tool" frames "$name.exe" --stub stub.bin --out "out-$name" > /dev/null
    shift 5
    "$diff" "in-$name" "out-$name" "$@" || fail "$name: frames differ from the input"
}

# Blocks are seen by the first scan, so every frame matches; odd widths pad 16-bit rows.
roundtrip blocks 203x77 32 17 0
roundtrip blocks 203x77 16 13 0 --555
# Glyphs can slip between sampled lines; after a full phase cycle of still frames all is caught.
roundtrip typing 320x200 32 17 17 --last
roundtrip scrolling 321x240 16 7 7 --last --555

# One worker, two, or paced at the timer's rhythm: the same file.
for run in "--workers 1" "--workers 2" "--workers 2 --pace"; do
    # shellcheck disable=SC2086
    "$tool" replay in-scrolling-16-7 --bpp 16 --step 7 --fps 10 --stub stub.bin $run \
        --out pooled.exe --json > pooled.json
    cmp -s pooled.exe scrolling-16-7.exe || fail "replay $run wrote another file"
    grep -q '"stall_ticks": [0-9]*, "wall_ms": [0-9.]*' pooled.json || fail "$run: no pool figures"
done
# An option a command does not know is refused, with its usage.
for cmd in "replay in-blocks-32-17 --bpp 32 --step 17 --fps 10 --stub stub.bin --out x.exe" \
    "info blocks-32-17.exe" "frames blocks-32-17.exe --out y"; do
    status=0
    # shellcheck disable=SC2086
    "$tool" $cmd --bogus 3 2> bogus.err || status=$?
    [ "$status" -eq 2 ] || fail "$cmd --bogus 3 gave exit code $status"
    grep -q "unknown option --bogus" bogus.err && grep -q "usage: mrvtool" bogus.err \
        || fail "$cmd --bogus 3: no usage message"
done

# Every K-th record, named in record order.
"$tool" frames blocks-32-17.exe --stub stub.bin --out every3 --every 3 > /dev/null
[ "$(ls every3 | tr '\n' ' ')" = "frame_000000.png frame_000003.png frame_000006.png frame_000009.png " ] \
    || fail "--every 3 wrote $(ls every3 | tr '\n' ' ')"

# Damaged recordings are refused with a non-zero exit.
size=$(stat -c %s blocks-32-17.exe)
head -c $((size - 5)) blocks-32-17.exe > cut.exe
if "$tool" info cut.exe --stub stub.bin > cut.info; then fail "a cut-off file passed"; fi
grep -q "cut off" cut.info || fail "no reason given for the cut-off file"
cp blocks-32-17.exe flipped.exe
# The first record's payload starts after stub, header, bitmap info and the 16-byte record header.
at=$((3000 + 37 + 40 + 16 + 10))
byte=$(od -An -tu1 -j $at -N 1 flipped.exe | tr -d ' ')
printf "\\x$(printf %02x $((byte ^ 0xFF)))" | dd of=flipped.exe bs=1 seek=$at conv=notrunc status=none
cmp -s flipped.exe blocks-32-17.exe && fail "the byte was not flipped"
if "$tool" info flipped.exe --stub stub.bin > flipped.info; then fail "a corrupted payload passed"; fi
head -c 2999 stub.bin > short-stub.bin && printf 'X' >> short-stub.bin
if "$tool" info blocks-32-17.exe --stub short-stub.bin 2> wrong-stub.err; then
    fail "a wrong stub passed"
fi
tail -c +3001 blocks-32-17.exe > bare.rec
"$tool" info bare.rec > bare.info || fail "a bare stream did not read"
grep -q "at the file start" bare.info || fail "bare stream not found at 0"
# With the cross build at hand, the real player stub: its image ends where the stream begins.
if [ -n "${MRV_STUB:-}" ] && [ -f "$MRV_STUB" ]; then
    cat "$MRV_STUB" bare.rec > with-real-stub.exe
    "$tool" info with-real-stub.exe > real-stub.info || fail "the stream after the real stub"
    grep -q "stream start: *$(stat -c %s "$MRV_STUB") (after the executable image)" real-stub.info \
        || fail "the stream was not found right after the real stub's image"
    echo "found the stream after $MRV_STUB"
fi
echo "mrvtool round trips passed"
