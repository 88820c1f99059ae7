# mrvtool export on hostile and awkward input: work and output follow the file, not the time line
# it claims; ffmpeg never sees a user's file name; failures leave nothing behind.
set -u
MRVTOOL="$1" STREAMS="$2" FAKE="$3" WORK="$4"
rm -rf "$WORK" && mkdir -p "$WORK/tmp" && cd "$WORK" || exit 1
export TMPDIR="$WORK/tmp"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
frames() { ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
    -of csv=p=0 "$1"; }
duration() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }

# 8000 records of 256 ticks at a 10 s tick: 237 days claimed by a file of about 200 KB.
"$STREAMS" hostile.mrv 8000 255 10000 0 || exit 1
start=$SECONDS
timeout 60 "$MRVTOOL" export hostile.mrv --png png --wav h.wav >/dev/null || fail "png/wav export"
[ "$(ls png | wc -l)" = 8000 ] || fail "png: $(ls png | wc -l) pictures"
[ "$(stat -c %s h.wav)" = $((60 + 4 * 65)) ] || fail "wav: $(stat -c %s h.wav) bytes"
for kind in mp4 gif; do
    msg="$(timeout 20 "$MRVTOOL" export hostile.mrv --$kind "h.$kind" 2>&1)"
    code=$?
    [ "$code" = 1 ] && grep -q "longer than any recording session" <<<"$msg" ||
        fail "$kind of 237 days: exit $code, $msg"
    [ ! -e "h.$kind" ] || fail "$kind of 237 days left a file"
done
[ $((SECONDS - start)) -lt 30 ] || fail "hostile export took $((SECONDS - start)) s"
used=$(du -sk . | cut -f1)
[ "$used" -lt 100000 ] || fail "hostile export used $used KiB of disk"
rm -rf png

# 100 records of 256 ticks at 10 s: 71 hours, accepted, one frame per record (GIF: a frame at
# most every 600 s), sound only at the start so the sound track is short.
"$STREAMS" long.mrv 100 255 10000 0 || exit 1
start=$SECONDS
timeout 60 "$MRVTOOL" export long.mrv --mp4 l.mp4 --gif l.gif >/dev/null || fail "long export"
[ $((SECONDS - start)) -lt 30 ] || fail "long export took $((SECONDS - start)) s"
[ "$(frames l.mp4)" = 101 ] || fail "mp4: $(frames l.mp4) frames, want 101"
[ "$(frames l.gif)" = 501 ] || fail "gif: $(frames l.gif) frames, want 501"
awk -v d="$(duration l.mp4)" 'BEGIN { exit !(d > 255999 && d < 256001) }' ||
    fail "mp4 lasts $(duration l.mp4) s, want 256000"
gifms="$(ffprobe -v error -show_entries packet=duration_time -of csv=p=0 l.gif |
    awk '{ s += $1 } END { printf "%d", s }')"
[ "$gifms" = 256000 ] || fail "gif lasts $gifms s, want 256000"
asecs="$(ffprobe -v error -select_streams a:0 -show_entries stream=duration -of csv=p=0 l.mp4)"
awk -v d="$asecs" 'BEGIN { exit !(d > 0.1 && d < 0.3) }' || fail "mp4 sound lasts $asecs s"
[ "$(stat -c %s l.mp4)" -lt 1000000 ] || fail "mp4 is $(stat -c %s l.mp4) bytes"

# The same with a sound block at the end: 71 hours of silence are not encoded.
"$STREAMS" gap.mrv 100 255 10000 1 || exit 1
msg="$(timeout 20 "$MRVTOOL" export gap.mrv --mp4 g.mp4 2>&1)"
code=$?
[ "$code" = 1 ] && grep -q "mostly silence" <<<"$msg" || fail "mp4 with 71 h of silence: $code $msg"
timeout 60 "$MRVTOOL" export gap.mrv --gif g.gif >/dev/null || fail "gif without sound track"

# An output that names the recording (or its stub) is refused and the recording stays.
cp long.mrv keep.mrv
for opt in --wav --mp4 --gif; do
    msg="$("$MRVTOOL" export keep.mrv $opt ./keep.mrv 2>&1)"
    [ $? = 2 ] && grep -q "names the recording" <<<"$msg" || fail "$opt over the recording: $msg"
done
cmp -s keep.mrv long.mrv || fail "the recording was changed"

# ffmpeg beside mrvtool comes before the one on the PATH. The stand-in records its arguments:
# the user's names never reach it, only "file:" names in a private temporary folder.
mkdir tool
cp "$MRVTOOL" tool/mrvtool && cp "$FAKE" tool/ffmpeg
name='-y name:%HOME% $(id) "q" x.mp4'
tool/mrvtool export long.mrv --mp4 "./$name" >/dev/null || fail "mp4 through the stand-in"
head -n 1 "./$name" | grep -q '^bytes ' || fail "the stand-in beside mrvtool was not used"
grep -q '^extra ' "./$name" || fail "no sound reached the extra input"
grep -q 'name:\|%HOME%' "./$name" && fail "a user's name reached ffmpeg: $(grep '^arg' "./$name")"
grep -q "^arg file:$WORK/tmp/mrvtool-.*/out.mp4$" "./$name" || fail "output: $(tail -n 1 "./$name")"
tool/mrvtool export long.mrv --gif "./$name.gif" >/dev/null && head -n 1 "./$name.gif" |
    grep -q '^bytes ' || fail "gif through the stand-in"

# A failing ffmpeg: an error, no output, and no temporary folder left behind.
msg="$(MRV_FAKE_FFMPEG_FAIL=1 tool/mrvtool export long.mrv --mp4 fails.mp4 2>&1)"
[ $? = 1 ] && grep -q "ffmpeg failed" <<<"$msg" || fail "failing ffmpeg: $msg"
[ ! -e fails.mp4 ] || fail "a failed export left its output"
[ -z "$(ls tmp)" ] || fail "temporary files left: $(ls tmp)"

# Interrupted while ffmpeg works: the same, and the message says why.
MRV_FAKE_FFMPEG_SLEEP=3 tool/mrvtool export long.mrv --gif int.gif >/dev/null 2>int.err &
pid=$!
sleep 1
kill -TERM "$pid"
wait "$pid"
code=$?
[ "$code" = 1 ] && grep -q "interrupted" int.err || fail "interrupted: exit $code, $(cat int.err)"
[ ! -e int.gif ] && [ -z "$(ls tmp)" ] || fail "an interrupted export left $(ls tmp) int.gif"

# A full disk: a clear message, exit code 2, and nothing left, for our own GIF and for ffmpeg's
# file copied in from another file system. Needs a small file system to fill (root may mount one).
mkdir full
if mount -t tmpfs -o size=64k tmpfs full 2>/dev/null; then
    head -c 100000 /dev/zero >full/fill 2>/dev/null
    for opt in --gif-builtin --mp4; do
        msg="$(tool/mrvtool export long.mrv $opt full/x 2>&1)"
        code=$?
        [ "$code" = 2 ] && grep -q "No space left" <<<"$msg" || fail "$opt on a full disk: $code $msg"
        [ "$(ls -A full)" = fill ] || fail "$opt on a full disk left $(ls -A full)"
    done
    umount full
fi

# Out of memory: a message and exit code 3, not a crash.
truncate -s 400M big.mrv
msg="$( (ulimit -v 300000 && "$MRVTOOL" export big.mrv --wav b.wav) 2>&1)"
code=$?
[ "$code" = 3 ] && grep -q "not enough memory" <<<"$msg" || fail "out of memory: $code $msg"
rm -f big.mrv

# A part at a speed: 50 typed pictures at 10 a second (5 s); 1 s to 3.5 s at 2x lasts 1.25 s
# (within a frame, 50 ms) in every type, starts with the picture on screen at 1 s, and a GIF
# asked for 160 wide is 160 x 90.
"$(dirname "$MRVTOOL")/mrv_framegen" typing --out typing --size 320x180 --frames 50 >/dev/null &&
    head -c 4096 /dev/zero >stub.bin &&
    "$MRVTOOL" replay typing --bpp 32 --step 7 --fps 10 --stub stub.bin --out typing.exe \
        >/dev/null || exit 1
part=(--stub stub.bin --from 1 --to 3.5 --speed 2)
"$MRVTOOL" export typing.exe "${part[@]}" --gif-builtin p.gif --gif pf.gif --mp4 p.mp4 \
    --png part >/dev/null || fail "export of a part"
"$MRVTOOL" export typing.exe "${part[@]}" --gif-width 160 --gif-builtin p160.gif \
    --gif pf160.gif >/dev/null || fail "export of a narrow part"
"$MRVTOOL" export typing.exe --stub stub.bin --png whole >/dev/null || fail "png export"
for f in p.gif pf.gif p.mp4 p160.gif pf160.gif; do
    awk -v d="$(duration $f)" 'BEGIN { exit !(d > 1.199 && d < 1.301) }' ||
        fail "$f lasts $(duration $f) s, want 1.25"
done
for f in p160.gif pf160.gif; do
    size="$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 $f)"
    [ "$size" = 160,90 ] || fail "$f is $size, want 160,90"
done
[ "$(ls part | head -n 1)" = tick_00000010.png ] && [ "$(ls part | wc -l)" = 25 ] ||
    fail "png of the part: $(ls part | head -n 1) and $(ls part | wc -l) pictures"
convert "p.gif[0]" first.png
off() { compare -metric AE "$1" "$2" null: 2>&1 || true; }
at="$(off first.png whole/tick_00000010.png)" before="$(off first.png whole/tick_00000009.png)"
[ "$at" -le 200 ] && [ "$at" -lt "$before" ] ||
    fail "first picture: $at pixels off the one at 1 s, $before off the one before"
# The sound of a part at 2x: half the part's length; GSM as recorded cannot change speed.
"$STREAMS" sound.mrv 20 0 100 1 || exit 1
"$MRVTOOL" export sound.mrv --from 0.5 --to 1.5 --speed 2 --wav s.wav --pcm >/dev/null ||
    fail "wav of a part"
awk -v d="$(duration s.wav)" 'BEGIN { exit !(d > 0.449 && d < 0.551) }' ||
    fail "wav lasts $(duration s.wav) s, want 0.5"
msg="$("$MRVTOOL" export sound.mrv --speed 2 --wav g.wav 2>&1)"
[ $? = 1 ] && grep -q "as PCM" <<<"$msg" || fail "gsm at 2x: $msg"
for bad in "--from 1:75" "--from 2 --to 1" "--speed 3" "--gif-width 0" "--to"; do
    msg="$("$MRVTOOL" export typing.exe --stub stub.bin --gif x.gif $bad 2>&1)"
    [ $? = 2 ] && [ -n "$msg" ] && [ ! -e x.gif ] || fail "$bad: $msg"
done
msg="$("$MRVTOOL" export typing.exe --stub stub.bin --mp4 x.mp4 --gif-width 640 2>&1)"
[ $? = 2 ] || fail "--gif-width for an mp4: $msg"

[ "$failures" -eq 0 ] && echo "mrvtool export: all checks passed"
exit "$failures"
