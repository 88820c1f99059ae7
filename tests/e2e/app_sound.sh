#!/usr/bin/env bash
# The microphone in recordings made by Morvanta.exe: without a capture device the notice, no
# sound and Sound=0 saved; with a private PulseAudio fed in real time, the tone comes back with
# the pictures it was switched with (pause and resume in the middle), faint noise gives no mute
# notice while exact zeros give one, a beep just before Stop stays in the recording, all four
# rates record through the wave mapper, and a recording plays to its end in the stub with its
# sound.
set -euo pipefail
source "$(dirname "$0")/app_main_lib.sh"
source "$(dirname "$0")/player_lib.sh"
: "${MRV_PLAYER_E2E:?}" "${MRV_SOUND_FEED:?}"
app_setup 640x480x24
WORK="$APP_WORK"
# Sound clients and the private server use this run's own runtime folder, even where no server
# runs, so that runs in parallel under one user never meet in a shared one.
export XDG_RUNTIME_DIR="$WORK/xdg" PULSE_RUNTIME_PATH="$WORK/xdg/pulse"
mkdir -p "$PULSE_RUNTIME_PATH" && chmod 700 "$XDG_RUNTIME_DIR"
FEED_PID=""
sound_cleanup() {
    [ -n "$FEED_PID" ] && kill "$FEED_PID" 2>/dev/null || true
    [ -n "${PLAYER_PA_PID:-}" ] && kill "$PLAYER_PA_PID" 2>/dev/null || true
    app_cleanup
}
trap sound_cleanup EXIT

# The colour the feeder switches with its sound, away from the dialog and the tool bar.
WINDOW=160x160+0+0
PIXEL_X=80
PIXEL_Y=80

# Starts a recording at 20 frames per second with the microphone at sample-rate item $1, and
# Ctrl+Shift+F9 to stop.
start_with_sound() {
    drv click start
    drv dialog >/dev/null || fail "the settings dialog did not open"
    drv dialog-combo 19           # 20 frames per second
    drv dialog-check 112 0        # CheckBox2: not to the tray
    drv dialog-check 115 1        # CheckBox5: record the microphone
    drv dialog-hotkey 3 0x0378    # stop: Ctrl+Shift+F9
    drv dialog-tab 1
    drv dialog-check $((160 + $1)) 1  # RadioGroup2: the sample rate
    drv dialog-ok >/dev/null || fail "the dialog did not close"
}

# The same with a capture device: returns once the recording runs (the first open of the
# device in a process takes Wine a while).
record_with_sound() {
    start_with_sound "$1"
    wait_state pressed start
}

stop_recording() {
    drv click stop
    sleep 0.3
    expect_eq "stopped" "$(app_state pressed)" "stop"
}

# The sound report of the newest recording, moved aside as NAME.exe.
sound_report() {
    local rec
    rec=$(app_recording)
    mv "$rec" "$APP_WORK/$1.exe"
    expect_eq "$1 valid" "$(rec_value "$APP_WORK/$1.exe" valid)" 1
    "$MRV_PLAYER_E2E" sound "$APP_WORK/$1.exe" $PIXEL_X $PIXEL_Y "$APP_WORK/$1.pcm" \
        >"$APP_WORK/$1.report" ||
        fail "no sound report for $1"
    sed "s/^/$1: /" "$APP_WORK/$1.report"
}
report_value() { awk -v key="$2" '$1 == key {print $2}' "$APP_WORK/$1.report"; }
ini_value() { tr -d '\r' <"$APP_WORK/Morvanta.ini" | sed -n "s/^$1=//p"; }

# Returns once a record carrying a delivery of sound (975 bytes at 8000 Hz) has been written.
wait_delivery() {
    local rec last size deadline=$((SECONDS + 5))
    rec=$(app_recording)
    last=$(stat -c %s "$rec")
    while [ $SECONDS -lt $deadline ]; do
        sleep 0.02
        size=$(stat -c %s "$rec")
        [ $((size - last)) -ge 975 ] && return 0
        last=$size
    done
    fail "no delivery of sound within 5 s"
}

flip() { kill -USR1 "$FEED_PID" || fail "the feeder has gone: $(cat "$APP_WORK/feed.log")"; }

# A recording asked to take the microphone where there is none: the notice, a recording
# without sound, Sound=0 saved. The report is kept as NAME.
expect_no_device() {
    app_start
    start_with_sound 0
    expect_box "Morvanta" '启动录音设备失败!\t'
    sleep 1
    stop_recording
    sound_report "$1"
    expect_eq "$1: audio format" "$(report_value "$1" rate)" 0
    expect_eq "$1: Sound saved" "$(ini_value Sound)" 0
    drv close
    drv wait-gone || fail "the program did not close"
}

# --- No capture device: no sound server at all, then a server without any source. ---
PULSE_SERVER="unix:$APP_WORK/no-sound-server" expect_no_device noserver
player_pulse_start none || fail "PulseAudio did not start"
expect_no_device nosource
kill "$PLAYER_PA_PID"
wait "$PLAYER_PA_PID" 2>/dev/null || true

# --- A microphone: PulseAudio's pipe source, fed in real time, faint noise between tones. ---
player_pulse_start "$APP_WORK/mic.fifo" || fail "PulseAudio did not start"
"$MRV_SOUND_FEED" "$APP_WORK/mic.fifo" --window $WINDOW --rate 8000 --noise 2 \
    >"$APP_WORK/feed.log" 2>&1 &
FEED_PID=$!
player_wait_log "$APP_WORK/feed.log" '^feeding' 10 || { cat "$WORK/pulse.log"; fail "the feeder did not start"; }
app_start

# Pictures and sound together: tone with white, silence with black; a tone during the pause
# must stay out of the recording.
record_with_sound 0
drv no-box || fail "the device notice came with a capture device"
sleep 3.5
drv no-box || fail "a notice came while the microphone gave faint noise"
flip; sleep 1; flip; sleep 1       # on 1 s
flip; sleep 0.8; flip; sleep 0.8   # on 0.8 s
drv click pause
sleep 0.8
flip; sleep 0.4; flip; sleep 1     # paused: not recorded
drv click start
sleep 1
flip; sleep 1; flip; sleep 0.8
flip; sleep 0.8; flip
# Exact zeros from here on; switched while the pipe is read, so no faint noise is left in it
# for the next recording to start with.
kill -USR2 "$FEED_PID"
sleep 1
stop_recording
sound_report sync
expect_eq "sync: 8000 Hz" "$(report_value sync rate)" 8000
expect_eq "Sound saved" "$(ini_value Sound) $(ini_value Samples)" "1 0"
read -r -a onsets < <(sed -n 's/^onsets *//p' "$APP_WORK/sync.report")
read -r -a changes < <(sed -n 's/^changes *//p' "$APP_WORK/sync.report")
expect_eq "picture changes while running" "${#changes[@]}" 4
expect_eq "tone onsets while running (none from the pause)" "${#onsets[@]}" 4
gap=$(report_value sync worst-gap)
[ "$gap" -le 150 ] || fail "a tone onset is $gap ms from its picture change"
echo "ok: every tone onset within $gap ms of its picture"
tone=$(report_value sync tone)
awk -v f="$tone" 'BEGIN { exit !(f >= 435 && f <= 445) }' || fail "tone at $tone Hz"
soundMs=$(report_value sync soundMs)
durationMs=$(report_value sync durationMs)
awk -v s="$soundMs" -v d="$durationMs" 'BEGIN { exit !(s >= 0.9 * d && s <= 1.1 * d) }' ||
    fail "$soundMs ms of sound in a recording of $durationMs ms"
echo "ok: $soundMs ms of sound in $durationMs ms running, tone $tone Hz"

# Exact zeros, as a microphone that Windows keeps from desktop programs gives: one notice, and the
# recording goes on. Then a beep that starts 0.6 s before the stop key is in the recording.
record_with_sound 0
expect_box "Morvanta" '麦克风只传来静音,录像中将没有声音(录像仍在继续)。\t\r请在 Windows 设置 > 隐私和安全性(Windows 10 中为“隐私”)> 麦克风 中,打开“允许桌面应用访问你的麦克风”。\t'
expect_eq "recording after the notice" "$(app_state pressed)" "start"
focus_program
# Started mid-buffer, the beep is still in the device at Stop: without the hand-over at most
# about 0.2 s of it would be in the recording.
wait_delivery
sleep 0.35
flip; sleep 0.6
xdotool key ctrl+shift+F9
drv answer ok >/dev/null || fail "no stop summary"
drv no-box || fail "a second notice"
sound_report tail
lastMs=$(report_value tail last-tone-ms)
[ "$lastMs" -ge 300 ] || fail "only $lastMs ms of the beep that started 0.6 s before Stop"
echo "ok: $lastMs ms of the beep that started 0.6 s before Stop"

# Every rate, through the wave mapper: a steady tone decodes to 440 Hz.
for item in 1 2 3; do
    record_with_sound $item
    sleep 2.5
    stop_recording
    sound_report rate$item
    expect_eq "rate item $item" "$(report_value rate$item rate)" "$(echo 8000 11025 22050 44100 |
        cut -d' ' -f$((item + 1)))"
    tone=$(report_value rate$item tone)
    awk -v f="$tone" 'BEGIN { exit !(f >= 435 && f <= 445) }' || fail "rate $item: tone at $tone Hz"
    [ "$(report_value rate$item blocks)" -gt 0 ] || fail "rate $item: no sound"
done
drv close
drv wait-gone || fail "the program did not close"

# The 44100 Hz recording plays to its end in the stub, with its sound.
blocks=$(report_value rate3 blocks)
(cd "$APP_WORK" && timeout 60 wine ./rate3.exe /mrv-test-log=play.txt /mrv-test-exit-at-end \
    >/dev/null 2>&1) || fail "the recording did not play to its end"
player_check_played_sound "$APP_WORK/play.txt" "$blocks" "played at 44100 Hz" ||
    fail "the player did not play the sound"
echo PASS
