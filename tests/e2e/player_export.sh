# mrvtool export: a recording replayed from known frames becomes PNG pictures, a GSM 6.10 WAV,
# an MP4 (with its sound) and GIFs (ffmpeg's and our own) with one frame per record, each
# lasting its ticks; the PCM WAV and the MP4 keep dropped sound as silence; idle time is cut.
set -u
: "${MRV_TOOL:?MRV_TOOL must name mrvtool}" "${MRV_PLAYER_E2E:?}" "${MRV_WIN_BUILD_DIR:?}"
STUB="$MRV_WIN_BUILD_DIR/bin/HeadFile.hdf"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
failures=0
fail() { echo "$*" >&2; failures=$((failures + 1)); }

# Frames 0..7 of an odd-sized screen: H.264 needs the even padding, the GIF keeps the size.
mkdir frames
colours=(red green blue yellow cyan magenta white gray)
for i in "${!colours[@]}"; do
    convert -size 161x121 "xc:${colours[$i]}" -fill black -draw "rectangle $((i * 10)),10 $((i * 10 + 30)),40" \
        "frames/f$i.png"
done
"$MRV_TOOL" replay frames --bpp 32 --step 7 --fps 4 --stub "$STUB" --out rec.exe >/dev/null ||
    { echo "replay failed" >&2; exit 1; }

count() { ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=nb_read_frames,width,height -of csv=p=0 "$1"; }

"$MRV_TOOL" export rec.exe --png png --gif rec.gif --mp4 rec.mp4 --gif-builtin own.gif ||
    fail "export failed"
[ "$(ls png | wc -l)" = 8 ] || fail "png: $(ls png | wc -l) pictures"
[ "$(count rec.gif)" = "161,121,8" ] || fail "gif: $(count rec.gif)"
[ "$(count own.gif)" = "161,121,8" ] || fail "own gif: $(count own.gif)"
# Our GIF's last picture as ImageMagick composes it is the recorded one, but for the cursor
# the player draws at 0,0 (the arrow: 118 pixels).
convert own.gif -coalesce own_%d.png
diff="$(compare -metric AE own_7.png frames/f7.png null: 2>&1)"
[ "$diff" = 118 ] || fail "own gif's last picture differs in $diff pixels"
[ "$(count rec.mp4)" = "162,122,8" ] || fail "mp4: $(count rec.mp4)"
# The PNG of the last tick is the last replayed frame.
compare -metric AE png/tick_00000007.png frames/f7.png null: 2>/dev/null || fail "png differs"

# With sound and a held frame: 12 records, record 6 held 4 more ticks = 16 ticks, 12 frames of
# which the held one lasts 5 ticks.
ffmpeg -hide_banner -loglevel error -f lavfi -i "sine=frequency=440:sample_rate=8000:duration=4" \
    -ac 1 -c:a libgsm_ms tone.wav || exit 1
"$MRV_PLAYER_E2E" make --stub "$STUB" --out snd.exe --frames 12 --size 96x64 --fps 4 \
    --hold 4 --gsm tone.wav >/dev/null
blocks="$("$MRV_PLAYER_E2E" blocks snd.exe)"
"$MRV_TOOL" export snd.exe --wav snd.wav --mp4 snd.mp4 --gif snd.gif --gif-builtin snd-own.gif ||
    fail "export failed"
[ "$(count snd.gif)" = "96,64,12" ] || fail "gif: $(count snd.gif)"
[ "$(count snd-own.gif)" = "96,64,12" ] || fail "own gif: $(count snd-own.gif)"
[ "$(count snd.mp4)" = "96,64,12" ] || fail "mp4: $(count snd.mp4)"
for f in snd.mp4 snd.gif snd-own.gif; do
    pts="$(ffprobe -v error -select_streams v:0 -show_entries packet=pts_time -of csv=p=0 "$f" |
        sort -n | awk '{ printf "%g ", $1 }')"
    [ "$pts" = "0 0.25 0.5 0.75 1 1.25 1.5 2.75 3 3.25 3.5 3.75 " ] || fail "$f frame times: $pts"
    length="$(ffprobe -v error -select_streams v:0 -show_entries stream=duration -of csv=p=0 "$f")"
    [ "$length" = 4.000000 ] || fail "$f lasts $length s, want 4"
done
audio="$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name -of csv=p=0 snd.mp4)"
[ "$audio" = aac ] || fail "mp4 sound: '$audio'"
wav="$(ffprobe -v error -show_entries stream=codec_name,sample_rate -of csv=p=0 snd.wav)"
[ "$wav" = "gsm_ms,8000" ] || fail "wav: $wav"
samples="$(ffmpeg -v error -i snd.wav -f s16le - | wc -c)"
[ "$samples" = $((blocks * 320 * 2)) ] || fail "wav decodes to $samples bytes, want $((blocks * 640))"

# Sound the recorder dropped (records 4 to 7 at 4 per second) is silence in the MP4, so what
# follows stays with its pictures: records 0-3 carry 25 blocks (1.0 s), record 8's 6 blocks end
# at its picture, 2.0 s, so they start at 1.76 s. Concatenated blocks would leave no gap.
"$MRV_PLAYER_E2E" make --stub "$STUB" --out drop.exe --frames 16 --size 96x64 --fps 4 \
    --gsm tone.wav --drop 4-7 >/dev/null
"$MRV_TOOL" export drop.exe --mp4 drop.mp4 >/dev/null || fail "export with dropped sound failed"
gap="$(ffmpeg -hide_banner -i drop.mp4 -af silencedetect=n=-40dB:d=0.2 -f null - 2>&1 |
    grep -o 'silence_\(start\|end\): [0-9.]*' | awk '{printf "%s ", $2}')"
read -r start end _ <<<"$gap"
awk -v s="${start:-0}" -v e="${end:-0}" 'BEGIN { exit !(s > 0.95 && s < 1.1 && e > 1.7 && e < 1.85) }' ||
    fail "mp4 with dropped sound: silence at '$gap', want 1.0 to 1.76 s"
# The PCM WAV lays the sound out the same way, to the sample: 1.0 s of tone, silence to 1.76 s.
"$MRV_TOOL" export drop.exe --wav drop.wav --pcm >/dev/null || fail "pcm wav export failed"
wav="$(ffprobe -v error -show_entries stream=codec_name,sample_rate -of csv=p=0 drop.wav)"
[ "$wav" = "pcm_s16le,8000" ] || fail "pcm wav: $wav"
gap="$(ffmpeg -hide_banner -i drop.wav -af silencedetect=n=-40dB:d=0.2 -f null - 2>&1 |
    grep -o 'silence_\(start\|end\): [0-9.]*' | awk '{printf "%s ", $2}')"
read -r start end _ <<<"$gap"
awk -v s="${start:-0}" -v e="${end:-0}" 'BEGIN { exit !(s > 0.999 && s < 1.001 && e > 1.755 && e < 1.765) }' ||
    fail "pcm wav: silence at '$gap', want 1 to 1.76 s"

# Idle time cut: the 8 frames (1.75 s) then the last one 20 times more, 7 s in all; with
# --skip-idle 0.5 the 5.25 idle seconds at the end become 0.5 (the MP4's last frame may last
# up to a tick longer: ffmpeg guesses its length).
mkdir idle && cp frames/f*.png idle/ && for i in $(seq 10 29); do cp frames/f7.png "idle/g$i.png"; done
"$MRV_TOOL" replay idle --bpp 32 --step 7 --fps 4 --stub "$STUB" --out idle.exe >/dev/null
"$MRV_TOOL" export idle.exe --mp4 skip.mp4 --gif-builtin skip.gif --skip-idle 0.5 >/dev/null ||
    fail "skip-idle export failed"
for f in skip.mp4 skip.gif; do
    length="$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$f")"
    awk -v d="$length" 'BEGIN { exit !(d > 2.0 && d <= 2.5) }' || fail "$f with idle cut lasts $length s"
done
"$MRV_TOOL" export drop.exe --gif x.gif --skip-idle 2>&1 | grep -q 'needs SECONDS' ||
    fail "--skip-idle without a value was not refused"

# On a terminal the export shows its progress; in a pipe or a file it does not.
tty_out="$(script -qec "'$MRV_TOOL' export snd.exe --gif tty.gif" /dev/null | tr '\r' '\n')"
grep -q '^gif: 12 / 12 (100%)' <<<"$tty_out" || fail "no progress on a terminal: $tty_out"
"$MRV_TOOL" export snd.exe --gif pipe.gif 2>&1 | grep -q '(100%)' && fail "progress written to a pipe"

# No ffmpeg: a clear message and a usage exit code.
msg="$(PATH=/nonexistent "$MRV_TOOL" export snd.exe --gif x.gif 2>&1)"
code=$?
[ "$code" = 2 ] && grep -q 'ffmpeg was not found' <<<"$msg" || fail "without ffmpeg: $code $msg"

# mrvtool.exe under Wine: ffmpeg.exe beside it comes before the one on the PATH, the pipes stay
# binary, and hostile Unicode names reach only mrvtool; a stand-in ffmpeg.exe counts the bytes
# it gets (an IVF header, then a 12-byte header and the RGB picture per frame).
fake="$MRV_WIN_BUILD_DIR/fake-ffmpeg/ffmpeg.exe"
if [ -f "$fake" ]; then
    source "$(dirname "$0")/lib.sh"
    mrv_wine_env
    mkdir "fake ff" "out dir" tool
    cp "$fake" "fake ff/"
    cp "$fake" "$MRV_WIN_BUILD_DIR/bin/mrvtool.exe" tool/
    pictures=$((32 + 12 * (12 + 96 * 64 * 3)))
    name='out dir/-y 录像 %PATH% ^&.gif'  # quotes and colons cannot be in Windows names
    cp snd.exe "录像 %PATH%.exe"
    WINEPATH="Z:$(pwd -P)/fake ff" DISPLAY= timeout 120 wine tool/mrvtool.exe \
        export "录像 %PATH%.exe" --gif "$name" </dev/null >/dev/null 2>wine.err || fail "mrvtool.exe: $(tail -n 3 wine.err)"
    got="$(head -n 1 "$name" 2>/dev/null)"
    [ "$got" = "bytes $pictures" ] || fail "mrvtool.exe piped '$got', want 12 frames of 96x64"
    grep -q '^arg file:.*\\mrvtool-[^\\]*\\out.gif$' "$name" || fail "gif output arg: $(tail -n 1 "$name")"
    grep -q '录像\|%PATH%\|name:x' "$name" && fail "a user's name reached ffmpeg.exe"
    # MP4 with sound runs ffmpeg twice: decoding the sound, then the video with the laid-out
    # sound through a named pipe.
    WINEPATH="Z:$(pwd -P)/fake ff" DISPLAY= timeout 120 wine tool/mrvtool.exe \
        export snd.exe --mp4 "out dir/x.mp4" </dev/null >/dev/null 2>wine.err ||
        fail "mrvtool.exe --mp4: $(tail -n 3 wine.err)"
    [ "$(head -n 1 "out dir/x.mp4" 2>/dev/null)" = "bytes $pictures" ] &&
        grep -q '^extra [1-9]' "out dir/x.mp4" && grep -q '^arg file:\\\\.\\pipe\\' "out dir/x.mp4" ||
        fail "mrvtool.exe --mp4: $(tr '\n' ' ' <"out dir/x.mp4" 2>/dev/null)"
    # Our GIF needs no ffmpeg; it replaces an existing file under a Unicode name, and leaves no
    # temporary file beside it.
    echo old >"out dir/录像.gif"
    DISPLAY= timeout 120 wine tool/mrvtool.exe export "录像 %PATH%.exe" --gif-builtin "out dir/录像.gif" \
        </dev/null >/dev/null 2>wine.err || fail "mrvtool.exe --gif-builtin: $(tail -n 3 wine.err)"
    [ "$(count "out dir/录像.gif")" = "96,64,12" ] || fail "mrvtool.exe's own gif: $(count "out dir/录像.gif")"
    ls -A "out dir" | grep -q '^\.' && fail "temporary files left: $(ls -A "out dir")"
    # Without one beside it, the PATH's.
    rm tool/ffmpeg.exe
    WINEPATH="Z:$(pwd -P)/fake ff" DISPLAY= timeout 120 wine tool/mrvtool.exe \
        export snd.exe --gif "out dir/p.gif" </dev/null >/dev/null 2>wine.err &&
        [ "$(head -n 1 "out dir/p.gif" 2>/dev/null)" = "bytes $pictures" ] ||
        fail "mrvtool.exe with ffmpeg.exe on the PATH: $(tail -n 3 wine.err)"

    # What Windows users meet. The target held by another program (no delete sharing): let go
    # within a second, the move is tried again and succeeds; held on, a message names the
    # file, which stays as it was, and nothing is left beside it.
    hold="$MRV_WIN_BUILD_DIR/bin/mrv_e2e_holdfile.exe"
    wtool() { DISPLAY= timeout 120 wine tool/mrvtool.exe "$@" </dev/null; }
    held() {  # FILE UNTIL: waits until the holder has it open
        rm -f hold.out
        wine "$hold" "$1" "$2" >hold.out &
        for ((i = 0; i < 100; i++)); do grep -q held hold.out 2>/dev/null && return; sleep 0.1; done
    }
    echo old >"out dir/held.gif"
    held "out dir/held.gif" 1000
    wtool export snd.exe --gif-builtin "out dir/held.gif" >/dev/null 2>wine.err ||
        fail "held for a second: $(cat wine.err)"
    [ "$(count "out dir/held.gif")" = "96,64,12" ] || fail "held for a second: not replaced"
    wait
    echo old >"out dir/held.gif"
    held "out dir/held.gif" 'Z:\tmp\mrv-never'
    holder=$!
    msg="$(wtool export snd.exe --gif-builtin "out dir/held.gif" 2>&1)"
    code=$?
    kill "$holder" 2>/dev/null
    wait
    [ "$code" = 2 ] && grep -q 'another program is using the file.*held.gif' <<<"$msg" ||
        fail "held on: $code $msg"
    [ "$(cat "out dir/held.gif")" = old ] || fail "the held file was changed"
    ls -A "out dir" | grep -q '^\.' && fail "a held target left: $(ls -A "out dir")"

    # ffmpeg's own last error line is in the message; an old build gets -vsync.
    cp "$fake" tool/
    msg="$(MRV_FAKE_FFMPEG_FAIL=1 wtool export snd.exe --gif "out dir/f.gif" 2>&1)"
    grep -q '(ffmpeg: Conversion failed: fake at frame 7)' <<<"$msg" || fail "failing ffmpeg.exe: $msg"
    MRV_FAKE_FFMPEG_VERSION=5.0.3 wtool export snd.exe --gif "out dir/v.gif" >/dev/null 2>&1
    grep -q '^arg -vsync' "out dir/v.gif" || fail "old ffmpeg.exe: $(grep '^arg -[fv]' "out dir/v.gif")"

    # A launcher whose real ffmpeg is its child: the pipes pass through it, and an interrupt
    # ends both (the child never wakes) and leaves nothing.
    log="$(pwd -P)/ff.log"
    export MRV_FAKE_FFMPEG_LOG="Z:${log//\//\\}"
    MRV_FAKE_FFMPEG_LAUNCH=1 wtool export snd.exe --gif "out dir/l.gif" >/dev/null 2>&1
    [ "$(head -n 1 "out dir/l.gif" 2>/dev/null)" = "bytes $pictures" ] || fail "through a launcher"
    rm -f ff.log
    MRV_FAKE_FFMPEG_LAUNCH=1 MRV_FAKE_FFMPEG_SLEEP=4 DISPLAY= wine tool/mrvtool.exe export snd.exe \
        --gif "out dir/int.gif" </dev/null >/dev/null 2>&1 &
    pid=$!
    for ((i = 0; i < 100; i++)); do grep -q 'palette.png' ff.log 2>/dev/null && break; sleep 0.1; done
    kill -INT "$pid"
    wait "$pid"
    sleep 5
    grep -q '^woke' ff.log && fail "the launcher's child lived on: $(cat ff.log)"
    [ -e "out dir/int.gif" ] && fail "an interrupted export left its output"

    # An ffmpeg.exe beside a received recording is never run, even on the PATH.
    mkdir received
    cp snd.exe "$fake" received/
    rm -f tool/ffmpeg.exe ff.log
    msg="$(WINEPATH="Z:$(pwd -P)/received" wtool export received/snd.exe --mp4 "out dir/r.mp4" 2>&1)"
    [ $? = 2 ] && grep -q 'ffmpeg was not found' <<<"$msg" || fail "ffmpeg.exe beside the recording: $msg"
    [ -e ff.log ] && fail "ffmpeg.exe beside the recording was run: $(cat ff.log)"
    unset MRV_FAKE_FFMPEG_LOG
    wineserver -k 2>/dev/null
fi

[ "$failures" -eq 0 ] && echo "player export: all checks passed"
exit "$failures"
