# The shipped player's manifest, then a recording with sound and a held frame driven like a user:
# keys move the time label, PageDown jumps to the held frame and period steps one record; Save As
# writes a GIF (read back: its length and pictures), a WAV (16-bit PCM: its length and sound) and
# PNG pictures, each save followed by the after-save window (its copy read back from the
# clipboard, its folder asked of the shell, the recording's own copy from the menu); an MP4
# without ffmpeg asks to locate it and writes nothing; with the stand-in
# ffmpeg located, an MP4 is written; Cancel, a log-off and closing the player mid-way leave
# nothing behind.
# Mute and speed set by keys, the window's place and the located ffmpeg are there at the next
# start; Save As a recording file (.mrv) and back to a self-playing recording keeps the stream.
# Then trim marks and the saved copy's speed and width (below).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/player_lib.sh"
player_setup
cd "$WORK"
failures=0
fail() { echo "$*" >&2; failures=$((failures + 1)); }
DRIVER="$MRV_WIN_BUILD_DIR/bin/mrv_e2e_player.exe"
FAKE_FFMPEG="$MRV_WIN_BUILD_DIR/fake-ffmpeg/ffmpeg.exe"
SHOTS="$MRV_WIN_BUILD_DIR/screenshots"
mkdir -p "$SHOTS"

# Windows would stretch a player without these as a bitmap on a scaled display.
grep -aq '<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2' \
    "$RELEASE_STUB" || fail "HeadFile.hdf does not declare per-monitor DPI awareness"
grep -aq '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true<' \
    "$RELEASE_STUB" || fail "HeadFile.hdf has no system-aware fallback"
grep -aq 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$RELEASE_STUB" ||
    fail "HeadFile.hdf does not ask for common controls 6"

# 20 records at 5 per second, the middle one held 10 more ticks: six seconds, the held frame at
# 2 s; a 440 Hz tone throughout.
ffmpeg -hide_banner -loglevel error -f lavfi -i "sine=frequency=440:sample_rate=8000:duration=7" \
    -ac 1 -c:a libgsm_ms tone.wav || exit 1
"$MRV_PLAYER_E2E" make --stub "$STUB" --out rec.exe --frames 20 --size 160x120 --fps 5 \
    --hold 10 --gsm tone.wav >/dev/null
# The stand-in waits before it reads, so that the progress window stays up a while; it is a
# launcher whose child does the work, as package managers install ffmpeg, and logs its runs.
export MRV_FAKE_FFMPEG_SLEEP=3 MRV_FAKE_FFMPEG_LAUNCH=1
export MRV_FAKE_FFMPEG_LOG="$(echo "Z:$WORK/ff.log" | tr '/' '\\')"
prefs="save$$"
wine ./rec.exe /mrv-test-log=log.txt /mrv-test-pause-at=0 "/mrv-test-prefs=$prefs" &
pid=$!
player_wait_log log.txt '^controls' 30 || exit 1
window="$(xdotool search --sync --pid "$pid" --onlyvisible --name . | head -n 1)"
[ -n "$window" ] || window="$(xdotool search --sync --name '录像播放' | head -n 1)"
focus() { xdotool windowfocus --sync "$window" && sleep 0.3; }
last() { grep "^$1" log.txt | tail -n 1; }
# Waits up to SECONDS (20) for a log line matching PATTERN after line AFTER.
seen_after() {
    local after="$1" pattern="$2" seconds="${3:-20}" i
    for ((i = 0; i < seconds * 10; i++)); do
        tail -n +"$((after + 1))" log.txt | grep -q -E "$pattern" && return 0
        sleep 0.1
    done
    return 1
}
wait_after() { seen_after "$@" || { echo "timed out waiting for '$2'" >&2; return 1; }; }
lines() { wc -l <log.txt; }
key() {
    focus
    xdotool key "$1"
    sleep 0.6
}
# Waits up to 5 s for the last log line starting with PREFIX to read WANT: a loaded machine
# may take longer than the pause after a key.
expect_last() {
    local prefix="$1" want="$2" label="$3" i
    for ((i = 0; i < 50; i++)); do
        [ "$(last "$prefix")" = "$want" ] && return 0
        sleep 0.1
    done
    fail "$label: $(last "$prefix")"
}

# Keys: five seconds on, back home, the held frame, one record further.
key Right
expect_last time "time 00:00:05 / 00:00:06" "Right"
key Home
expect_last time "time 00:00:00 / 00:00:06" "Home"
expect_last markers "markers 1" "held-frame marks"
key Next
expect_last 'shown record' "shown record 10 tick 10 click -1" "PageDown"
expect_last time "time 00:00:02 / 00:00:06" "PageDown"
key period
expect_last 'shown record' "shown record 11 tick 21 click -1" "period"
key comma
expect_last 'shown record' "shown record 10 tick 10 click -1" "comma"
sleep 1
read -r _ sx sy sw sh < <(grep '^controls' log.txt | tail -n 1 | awk '{for (i = 1; i < NF; i++) if ($i == "strip") print "s", $(i + 1), $(i + 2), $(i + 3), $(i + 4)}')
mrv_screenshot screen.png
convert screen.png -crop "${sw}x$sh+$sx+$sy" +repage "$SHOTS/player_strip.png"
paused_label="$(last time)"

# Saves NAME through Ctrl+S and the dialog; TYPE and skip as the driver takes them.
# A key sent while Wine is still taking the focus can be lost: Ctrl+S is sent again then.
open_save() {
    local from i
    from=$(lines)
    for i in 1 2 3; do
        focus
        xdotool key ctrl+s
        seen_after "$from" '^save dialog' 5 && break
    done
}
save_as() {
    open_save
    wine "$DRIVER" file "$@" || fail "no Save As dialog for $1"
}
winpath() { echo "Z:$WORK/$1" | tr '/' '\\'; }

# GIF: one picture per record, the held one lasting its ticks.
at=$(lines)
save_as "$(winpath clip.gif)"
wait_after "$at" '^export ended' || exit 1
ended() { last 'export ended' | cut -d' ' -f3; }
[ "$(ended)" = 0 ] || fail "gif: $(last 'export ended')"
[ "$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames,width,height -of csv=p=0 clip.gif)" = "160,120,20" ] ||
    fail "gif frames: $(ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 clip.gif)"
length="$(ffprobe -v error -show_entries format=duration -of csv=p=0 clip.gif)"
awk -v l="$length" 'BEGIN { exit !(l > 5.9 && l < 6.1) }' || fail "gif lasts $length s, want 6"
# Saving left playing paused where it was.
[ "$(last time)" = "$paused_label" ] && [ "$(last state)" = "" ] || fail "after saving: $(last time), $(last state)"

# After saving, a small window names the file and its size; "复制文件" (the third button)
# leaves the file on the clipboard as a file list, with a paste asked to copy it.
wait_after "$at" '^saved window' || exit 1
[[ "$(last 'saved shown')" =~ ^"saved shown clip.gif | "[0-9.]+" KB"$ ]] || fail "after save: $(last 'saved shown')"
# Clicks on the after-save window's button N (1 to 4), from its last place in the log.
saved_click() {
    local n="$1" places
    read -r -a places < <(last 'saved window')
    xdotool mousemove --sync "${places[$((5 + 2 * n))]}" "${places[$((6 + 2 * n))]}" &&
        sleep 0.3 && xdotool click 1
}
# Closes the after-save window of the save since line AT by its last button, so that the keys
# go back to the player.
close_saved() {
    wait_after "$at" '^saved window' || exit 1
    saved_click 4
    wait_after "$at" '^saved closed' || fail "the after-save window stayed up"
}
sleep 1  # painted
read -r _ _ wx wy ww wh _ < <(last 'saved window')
mrv_screenshot screen.png
convert screen.png -crop "${ww}x$wh+$wx+$wy" +repage "$SHOTS/player_saved.png"
saved_click 3
wait_after "$at" '^clipboard 1 files ok' || fail "copy: $(last clipboard)"
[ "$(wine "$DRIVER" clipboard | tr -d '\r')" = "file $(winpath clip.gif)"$'\n'"effect 1" ] ||
    fail "clipboard: $(wine "$DRIVER" clipboard)"
wait_after "$at" '^saved closed' || fail "the window stayed after the copy"

# The strip's menu, here from the picture: the recording itself on the clipboard.
read -r _ px py pw ph < <(last picture)
at=$(lines)
xdotool mousemove --sync $((px + pw / 2)) $((py + ph / 2)) && sleep 0.3 && xdotool click 3
wait_after "$at" '^menu at' || fail "no menu on a right click"
read -r _ _ mx my < <(last 'menu at')
sleep 0.5
xdotool mousemove --sync $((mx + 30)) $((my + 10)) && sleep 0.3 && xdotool click 1
wait_after "$at" '^clipboard 1 files ok' || fail "the menu's copy: $(last clipboard)"
[ "$(wine "$DRIVER" clipboard | tr -d '\r' | head -n 1)" = "file $(winpath rec.exe)" ] ||
    fail "the menu's clipboard: $(wine "$DRIVER" clipboard)"

# The GIF again while another program holds it without delete sharing: the message names the
# file and keeps the finished one; Retry while it is held asks again, Retry once it is let go
# saves it whole, and nothing is left beside it.
cp clip.gif clip-first.gif
echo old >clip.gif
wine "$MRV_WIN_BUILD_DIR/bin/mrv_e2e_holdfile.exe" "$(winpath clip.gif)" "$(winpath release)" >hold.out &
holder=$!
for ((i = 0; i < 100; i++)); do grep -q held hold.out 2>/dev/null && break; sleep 0.1; done
at=$(lines)
save_as "$(winpath clip.gif)"
wine "$DRIVER" answer yes >/dev/null || fail "no question to replace clip.gif"
text="$(wine "$DRIVER" answer retry)" || fail "no message for the held file"
[[ "$text" == 文件正被其他程序使用…*clip.gif* ]] || fail "held file: $text"
wait_after "$at" '^kept moved 9' || fail "the retry while held: $(last 'kept moved')"
[ "$(cat clip.gif)" = old ] || fail "the held file was changed"
touch release
wait "$holder"
wine "$DRIVER" answer retry >/dev/null || fail "no second message for the held file"
wait_after "$at" '^kept moved 0' || fail "the retry once let go: $(last 'kept moved')"
cmp -s clip.gif clip-first.gif || fail "the file saved at the retry is not the GIF"
ls -A | grep -q '^\.' && fail "the held save left $(ls -A | grep '^\.')"
rm -f clip-first.gif release hold.out
wait_after "$at" '^saved window' || exit 1
saved_click 4
wait_after "$at" '^saved closed' || fail "Close left the window up after the retry"

# PNG: a picture per record, named after the typed name and its first tick; each is the
# recorded picture (without the cursor), and the GIF's pictures are the same within its palette
# (another record's picture is at least 0.3 away).
at=$(lines)
save_as "$(winpath shots.png)"
wait_after "$at" '^export ended' || exit 1
[ "$(ls shots_*.png 2>/dev/null | wc -l)" = 20 ] || fail "png: $(ls shots_*.png 2>/dev/null | wc -l) pictures"
# The set is one: its first picture and how many, closed by its last button.
wait_after "$at" '^saved window' || exit 1
[[ "$(last 'saved shown')" == "saved shown shots_00000000.png 等 20 张图片 | "* ]] ||
    fail "after the pictures: $(last 'saved shown')"
saved_click 4
wait_after "$at" '^saved closed' || fail "Close left the window up"
for pair in 0:0 10:10 19:29; do
    frame="${pair%:*}" tick="${pair#*:}"
    png="$(printf 'shots_%08d.png' "$tick")"
    "$MRV_PLAYER_E2E" compare rec.exe "$png" 0 0 "$tick" | grep -q 'differing 0 ' ||
        fail "$png is not the picture of tick $tick"
    ffmpeg -hide_banner -loglevel error -i clip.gif -vf "select=eq(n\,$frame)" -frames:v 1 -y gif.png
    rmse="$(compare -metric RMSE gif.png "$png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')"
    awk -v r="$rmse" 'BEGIN { exit !(r < 0.1) }' || fail "gif picture $frame is not tick $tick's (RMSE $rmse)"
done

# WAV, the type chosen in the list: 16-bit PCM, six seconds, the tone.
at=$(lines)
save_as "$(winpath voice)" 2
wait_after "$at" '^export ended' || exit 1
[ "$(ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 voice.wav)" = "pcm_s16le,8000,1" ] ||
    fail "wav: $(ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 voice.wav)"
length="$(ffprobe -v error -show_entries format=duration -of csv=p=0 voice.wav)"
awk -v l="$length" 'BEGIN { exit !(l > 5.9 && l < 6.1) }' || fail "wav lasts $length s, want 6"
peak="$(ffmpeg -hide_banner -i voice.wav -af volumedetect -f null - 2>&1 | sed -n 's/.*max_volume: \(.*\) dB/\1/p')"
awk -v p="$peak" 'BEGIN { exit !(p > -20) }' || fail "wav is near silence (peak $peak dB)"

# "打开文件夹" asks the shell for the folder with the file selected: Wine's opens its file
# browser there (a window named after the folder), closed again before going on.
wait_after "$at" '^saved window' || exit 1
saved_click 2
wait_after "$at" '^shell folder .* hr ' || fail "no folder asked for"
# Wine's call sometimes finds its shell windows' class not yet registered; Explorer's own
# switch then opens the same folder.
[[ "$(last 'shell folder')" == "shell folder Z:$(echo "$WORK" | tr '/' '\\') select 1 voice.wav hr "* ]] ||
    fail "folder: $(last 'shell folder')"
folder="$(basename "$WORK")"
for ((i = 0; i < 100; i++)); do xdotool search --name "^$folder\$" >/dev/null 2>&1 && break; sleep 0.1; done
xdotool search --name "^$folder\$" >/dev/null 2>&1 || fail "the shell showed no folder $folder"
wine "$DRIVER" closetitle "$folder" || fail "no window $folder to close"

# MP4 without ffmpeg: the message names it; declined, nothing is written.
before="$(ls | sort)"
at=$(lines)
save_as "$(winpath movie.mp4)"
text="$(wine "$DRIVER" answer no)" || fail "no message about ffmpeg"
[[ "$text" == *ffmpeg.exe* ]] || fail "the message does not name ffmpeg: $text"
wait_after "$at" '^question no ffmpeg' || fail "no question in the log"
sleep 1
[ "$(ls | sort)" = "$before" ] || fail "an MP4 without ffmpeg left: $(comm -13 <(echo "$before") <(ls | sort))"

# Located once, the stand-in makes the MP4 (skipping still stretches, as ticked below the
# dialog); the progress window is shot while it waits.
at=$(lines)
save_as "$(winpath movie)" 1 skip
wine "$DRIVER" answer yes >/dev/null || fail "no message about ffmpeg"
wine "$DRIVER" file "$(echo "Z:$FAKE_FFMPEG" | tr '/' '\\')" || fail "no dialog to locate ffmpeg"
wait_after "$at" '^progress window' || exit 1
sleep 1
read -r _ _ px py pw ph _ < <(last 'progress window')
mrv_screenshot screen.png
convert screen.png -crop "${pw}x$ph+$px+$py" +repage "$SHOTS/player_progress.png"
wait_after "$at" '^export ended' || exit 1
[ "$(ended)" = 0 ] || fail "mp4: $(last 'export ended')"
[ "$(last 'export start' | awk '{print $3, $6}')" = "mp4 1.0" ] || fail "mp4: $(last 'export start')"
grep -q '^ffmpeg located' log.txt || fail "the located ffmpeg was not remembered"
[ -s movie.mp4 ] || fail "no movie.mp4"
# Closed, so that the keys go back to the player (Wine without a window manager does not move
# the focus on a focus change from outside, as a click in the player would).
wait_after "$at" '^saved window' || exit 1
saved_click 4
wait_after "$at" '^saved closed' || fail "Close left the window up"

# Cancel while the stand-in waits: nothing left, not even a part.
before="$(ls | sort)"
at=$(lines)
save_as "$(winpath cancelled.mp4)"
wait_after "$at" '^progress window' || exit 1
read -r _ _ _ _ _ _ _ cx cy < <(last 'progress window')
sleep 1  # mapped and painted
xdotool mousemove --sync "$cx" "$cy" && sleep 0.3 && xdotool click 1
wait_after "$at" '^export cancel' || fail "Cancel was not taken"
wait_after "$at" '^export ended' || exit 1
[ "$(ended)" = 1 ] || fail "cancel: $(last 'export ended')"
# The launcher's child, which does the work, ended with it: it never wakes from its wait.
sleep 4
tail -n 1 ff.log | grep -q '^start .*out.mp4' || fail "the cancelled child lived on: $(tail -n 3 ff.log)"
[ "$(ls | sort)" = "$before" ] || fail "cancel left: $(comm -13 <(echo "$before") <(ls | sort))"

# The speed keys are characters: posted without a key behind them they still step.
key m
key bracketright
expect_last 'sound volume' "sound volume 100 muted 1 speed 150" "M and ]"
wine "$DRIVER" char ']'
expect_last 'sound volume' "sound volume 100 muted 1 speed 200" "the character ]"
wine "$DRIVER" char '['
expect_last 'sound volume' "sound volume 100 muted 1 speed 150" "the character ["

# A log-off mid-way is let through, and the export's staged files are gone before the
# player answers the end of the session.
at=$(lines)
save_as "$(winpath loggedoff.mp4)"
wait_after "$at" '^progress window' || exit 1
[ "$(wine "$DRIVER" logoff | tr -d '\r')" = "query 1" ] || fail "the log-off was held up"
[ "$(ls | sort)" = "$before" ] || fail "log-off left: $(comm -13 <(echo "$before") <(ls | sort))"
wait_after "$at" '^export ended 1' || fail "log-off: $(last 'export ended')"

# Closing the player mid-way: it ends cleanly and leaves nothing either.
at=$(lines)
save_as "$(winpath closed.mp4)"
wait_after "$at" '^progress window' || exit 1
wine "$DRIVER" close
for ((i = 0; i < 100; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    fail "still running after the close mid-way"
    kill "$pid"
fi
[ "$(ls | sort)" = "$before" ] || fail "closing left: $(comm -13 <(echo "$before") <(ls | sort))"
grep -q '^closing while saving' log.txt || fail "the close did not come while saving"
place="$(grep '^picture' log.txt | tail -n 1)"

# The next start: the same sound settings, place and ffmpeg (an MP4 asks nothing).
mv log.txt first-log.txt
wine ./rec.exe /mrv-test-log=log.txt /mrv-test-pause-at=0 "/mrv-test-prefs=$prefs" &
pid=$!
player_wait_log log.txt '^controls' 30 || exit 1
[ "$(grep '^sound volume' log.txt | head -n 1)" = "sound volume 100 muted 1 speed 150" ] ||
    fail "not remembered: $(grep '^sound volume' log.txt | head -n 1)"
[ "$(last picture)" = "$place" ] || fail "the window's place: $(last picture), was $place"
window="$(xdotool search --sync --pid "$pid" --onlyvisible --name . | head -n 1)"
at=$(lines)
save_as "$(winpath again.mp4)"
wait_after "$at" '^export ended' || fail "the remembered ffmpeg was not used"
grep -q '^question' log.txt && fail "asked about ffmpeg again"
close_saved

# The recording's own kinds, the type chosen in the list: a recording file (.mrv) is the stream
# alone, byte for byte; opened in the player (whose title says so) and saved as a self-playing
# recording again, it follows the saving player's own image, the stream still unchanged.
stub_size="$(stat -c %s "$STUB")"
at=$(lines)
save_as "$(winpath copy)" 4
wait_after "$at" '^export ended' || exit 1
cmp -s copy.mrv <(tail -c +$((stub_size + 1)) rec.exe) || fail "copy.mrv is not rec.exe's stream"
wine "$DRIVER" close
wait "$pid"
mv log.txt second-log.txt
wine "$STUB" copy.mrv /mrv-test-log=log.txt /mrv-test-pause-at=0 "/mrv-test-prefs=$prefs" &
pid=$!
player_wait_log log.txt '^controls' 30 || exit 1
window="$(xdotool search --sync --onlyvisible --name '^copy.mrv - 录像文件 - ' | head -n 1)"
[ -n "$window" ] || fail "the title does not name the recording file"
at=$(lines)
save_as "$(winpath back)" 5
wait_after "$at" '^export ended' || exit 1
cmp -s <(head -c "$stub_size" back.exe) "$STUB" || fail "back.exe does not begin with the player"
cmp -s <(tail -c +$((stub_size + 1)) back.exe) copy.mrv || fail "back.exe's stream changed"
wine "$DRIVER" close
wait "$pid"

# Trim and speed on a recording wider than 640 (20 records at 5 per second, 800x600: 4 s): the
# start marked with I at record 5 (1 s), the end with O at record 15 (3 s); the part's GIF and
# WAV at 2x last 1 s within a frame (0.1 s), the GIF and the PNGs start with record 5's
# picture, and a GIF 640 wide is 640x480. Clearing from the bar's menu unmarks. Last, a
# recording in the temporary folder is offered the Videos folder.
"$MRV_PLAYER_E2E" make --stub "$STUB" --out wide.exe --frames 20 --size 800x600 --fps 5 \
    --gsm tone.wav >/dev/null
mv log.txt second-log.txt
wine ./wide.exe /mrv-test-log=log.txt /mrv-test-pause-at=0 "/mrv-test-prefs=$prefs-wide" &
pid=$!
player_wait_log log.txt '^controls' 30 || exit 1
window="$(xdotool search --sync --pid "$pid" --onlyvisible --name . | head -n 1)"
for _ in 1 2 3 4 5; do key period; done
key i
key End
for _ in 1 2 3 4; do key comma; done
key o
expect_last selection "selection 1000 3000" "I and O"
read -r _ sx sy sw sh < <(grep '^controls' log.txt | tail -n 1 | awk '{for (i = 1; i < NF; i++) if ($i == "strip") print "s", $(i + 1), $(i + 2), $(i + 3), $(i + 4)}')
mrv_screenshot screen.png
convert screen.png -crop "${sw}x$sh+$sx+$sy" +repage "$SHOTS/player_marks.png"
duration() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }
near() { awk -v l="$1" -v w="$2" 'BEGIN { exit !(l > w - 0.1 && l < w + 0.1) }'; }

at=$(lines)
save_as "$(winpath part.gif)" 0 speed=2 >/dev/null
wait_after "$at" '^export ended' || exit 1
[ "$(ended)" = 0 ] || fail "part gif: $(last 'export ended')"
[ "$(last 'export start' | cut -d' ' -f7-)" = "from 1000 to 3000 speed 2.0 width 0" ] ||
    fail "part gif: $(last 'export start')"
near "$(duration part.gif)" 1.0 || fail "the part's GIF at 2x lasts $(duration part.gif) s, want 1"
close_saved

# The width list of an 800-wide recording: as recorded, 640; the estimate shown once known.
at=$(lines)
open_save
read -r dx dy dw dh < <(wine "$DRIVER" where)
sleep 1  # painted
mrv_screenshot screen.png
convert screen.png -crop "${dw}x$dh+$dx+$dy" +repage "$SHOTS/player_save_dialog.png"
estimate="$(wine "$DRIVER" file "$(winpath small.gif)" 0 width=1)"
wait_after "$at" '^export ended' || exit 1
[ "$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 small.gif)" = "640,480" ] ||
    fail "small gif: $(ffprobe -v error -show_entries stream=width,height -of csv=p=0 small.gif)"
known="$(tail -n +"$at" log.txt | grep '^save estimate' | tail -n 1 | cut -d' ' -f3)"
if [ "${known:--1}" -ge 0 ]; then
    [[ "$estimate" == "estimate 预计大小: 约 "* ]] || fail "the estimate $known is not shown: $estimate"
fi
echo "640-wide GIF: $(stat -c %s small.gif) bytes, estimated ${known:-none}; the 800-wide one $(stat -c %s part.gif)"
close_saved

at=$(lines)
save_as "$(winpath part.png)" 3 >/dev/null
wait_after "$at" '^export ended' || exit 1
[ "$(ls part_*.png 2>/dev/null | wc -l)" = 10 ] || fail "part png: $(ls part_*.png 2>/dev/null)"
"$MRV_PLAYER_E2E" compare wide.exe part_00000005.png 0 0 5 | grep -q 'differing 0 ' ||
    fail "the part's first PNG is not record 5's picture"
close_saved
ffmpeg -hide_banner -loglevel error -i part.gif -vf "select=eq(n\,0)" -frames:v 1 -y gif.png
for pair in 5:lt 6:gt; do
    rmse="$(compare -metric RMSE gif.png "part_0000000${pair%:*}.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')"
    awk -v r="$rmse" -v o="${pair#*:}" 'BEGIN { exit !(o == "lt" ? r < 0.1 : r > 0.2) }' ||
        fail "the part's GIF starts with the wrong picture (RMSE $rmse against record ${pair%:*})"
done
at=$(lines)
save_as "$(winpath part.wav)" 2 speed=2 >/dev/null
wait_after "$at" '^export ended' || exit 1
near "$(duration part.wav)" 1.0 || fail "the part's WAV at 2x lasts $(duration part.wav) s, want 1"
peak="$(ffmpeg -hide_banner -i part.wav -af volumedetect -f null - 2>&1 | sed -n 's/.*max_volume: \(.*\) dB/\1/p')"
awk -v p="$peak" 'BEGIN { exit !(p > -20) }' || fail "the part's wav is near silence (peak $peak dB)"
close_saved

# Cleared from the bar's right-click menu (its last item).
read -r tx ty < <(grep '^controls' log.txt | tail -n 1 | awk '{for (i = 1; i < NF; i++) if ($i == "thumb") print $(i + 1), $(i + 2)}')
at=$(lines)
focus
xdotool mousemove --sync "$tx" "$ty" && sleep 0.3 && xdotool click 3
wait_after "$at" '^bar menu' 5 || fail "no menu on the bar"
sleep 0.5
xdotool key Up Return
expect_last selection "selection -1 -1" "clear from the menu"
wine "$DRIVER" close
wait "$pid"
# A recording opened from the temporary folder (a mail attachment, a zip) is offered the user's
# Videos folder; the older dialog (where COM cannot make the new one) saves at the speed chosen
# below it: the whole 6 s at 2x is a 3 s WAV.
temp="$(winepath -u "$(DISPLAY= wine cmd /c echo %TEMP% | tr -d '\r')")"
cp rec.exe "$temp/mailed.exe"
rm -f log.txt
wine "$temp/mailed.exe" /mrv-test-log=log.txt /mrv-test-pause-at=0 "/mrv-test-prefs=$prefs-wide" \
    /mrv-test-older-dialog &
pid=$!
player_wait_log log.txt '^controls' 30 || exit 1
window="$(xdotool search --sync --pid "$pid" --onlyvisible --name . | head -n 1)"
at=$(lines)
save_as "$(winpath older)" 2 speed=2 >/dev/null
grep -q -E '^save dialog .*\\Videos\\mailed\.gif$' log.txt || fail "from the temporary folder: $(last 'save dialog')"
wait_after "$at" '^export ended' || exit 1
near "$(duration older.wav)" 3.0 || fail "the older dialog's WAV at 2x lasts $(duration older.wav) s, want 3"
wine "$DRIVER" close
wait "$pid"
rm -f "$temp/mailed.exe"

for key in "$prefs" "$prefs-wide"; do
    DISPLAY= wine reg delete "HKCU\\Software\\Morvanta\\PlayerTest\\$key" /f >/dev/null 2>&1
done

[ "$failures" -eq 0 ] && echo "player save: all checks passed"
exit "$failures"
