#!/usr/bin/env bash
# Record with the dialog's options: Start, OK, pause, resume, stop, and read the recording back;
# the exit question while recording (No goes on, Yes finishes the file); WM_CLOSE from outside;
# a log-off during a recording.
set -euo pipefail
source "$(dirname "$0")/app_main_lib.sh"
app_setup 800x600x24

# Starts a recording at 10 frames per second with the tool bar kept on screen.
start_recording() {
    drv click start
    drv dialog >/dev/null || fail "the settings dialog did not open"
    drv dialog-combo 9        # 10 frames per second
    drv dialog-check 112 0    # CheckBox2: not to the tray
    drv dialog-ok >/dev/null || fail "the dialog did not close"
    sleep 0.3
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

app_start
t0=$(now_ms)
start_recording
expect_eq "recording" "$(app_state pressed) $(app_state edit) $(app_state visible)" "start 1 1"
sleep 2
drv click pause
t1=$(now_ms)
sleep 0.5
expect_eq "paused" "$(app_state pressed)" "pause"
clock=$(app_state clock)
size=$(app_state size)
[ "$clock" != "00:00:00" ] || fail "the clock did not run"
sleep 1.5
expect_eq "clock while paused" "$(app_state clock)" "$clock"
expect_eq "size while paused" "$(app_state size)" "$size"
t2=$(now_ms)
drv click start
sleep 0.3
expect_eq "resumed" "$(app_state pressed)" "start"
sleep 2
drv click stop
t3=$(now_ms)
sleep 0.3
expect_eq "stopped" "$(app_state pressed) $(app_state edit)" "stop 0"
drv no-box || fail "a stop from the tool bar showed a box"

rec=$(app_recording)
expect_eq "valid" "$(rec_value "$rec" valid)" 1
expect_eq "frame count = records" "$(rec_value "$rec" frameCount)" "$(rec_value "$rec" records)"
expect_eq "screen" "$(rec_value "$rec" width)x$(rec_value "$rec" height)" "800x600"
expect_eq "default depth" "$(rec_value "$rec" bpp)" 8
duration=$(rec_value "$rec" durationMs)
# At least the 4 s slept while running; at most the two running stretches as the script saw
# them, so the pause is left out.
running=$((t1 - t0 + t3 - t2))
[ "$duration" -ge 4000 ] && [ "$duration" -le "$running" ] ||
    fail "duration $duration ms, running stretches $running ms"
records=$(rec_value "$rec" records)
[ "$records" -ge 30 ] && [ "$records" -le $((running / 100 + 1)) ] ||
    fail "$records records at 10 per second in $running ms"
echo "ok: recording of $records records, $duration ms"
grep -q $'^Frame=9\r$' "$APP_WORK/Morvanta.ini" || fail "the frame rate was not saved"
mv "$rec" "$APP_WORK/first.rec"

# The recording plays by itself: the stub finds the stream behind it and shows every record.
cp "$APP_WORK/first.rec" "$APP_WORK/play.exe"
(cd "$APP_WORK" && timeout 120 wine ./play.exe /mrv-test-log=play.txt /mrv-test-exit-at-end \
    >/dev/null 2>&1) || fail "the recording did not play to its end: $(cat "$APP_WORK/play.txt")"
tr -d '\r' <"$APP_WORK/play.txt" >"$APP_WORK/play.log"
read -r _ _ _ _ played _ < <(grep '^stream at' "$APP_WORK/play.log")
expect_eq "records the player found" "$played" "$records"
grep -q '^ended' "$APP_WORK/play.log" || fail "the player did not reach the end"
last=$(grep '^shown record' "$APP_WORK/play.log" | tail -n 1 | awk '{print $3}')
expect_eq "last record shown" "$last" $((records - 1))

# Exit while recording asks; No keeps the recording going, with frames captured meanwhile.
start_recording
drv press exit
before=$(app_state clock)
sleep 1.5
out=$(drv box) || fail "no exit question"
expect_eq "question" "$(sed -n 's/^text //p' <<<"$out")" '正在进行屏幕录像,确认退出?\t'
expect_eq "question caption" "$(sed -n 's/^caption //p' <<<"$out")" "Morvanta"
drv answer no >/dev/null
[ "$(app_state clock)" != "$before" ] || fail "no frames during the question"
expect_eq "still recording" "$(app_state pressed) $(app_state visible)" "start 1"
drv press exit
drv answer yes >/dev/null || fail "no exit question the second time"
drv wait-gone || fail "Yes did not close the program"
rec=$(app_recording)
expect_eq "finished by Exit" "$(rec_value "$rec" valid)" 1
[ "$(rec_value "$rec" frameCount)" -gt 0 ] || fail "no frames in the exit recording"
mv "$rec" "$APP_WORK/second.rec"

# A close request from outside finishes the recording without asking.
app_start
start_recording
sleep 1
drv close
drv wait-gone || fail "WM_CLOSE did not close the program"
rec=$(app_recording)
expect_eq "finished by WM_CLOSE" "$(rec_value "$rec" valid)" 1
expect_eq "WM_CLOSE frame count" "$(rec_value "$rec" frameCount)" "$(rec_value "$rec" records)"
mv "$rec" "$APP_WORK/third.rec"

# Log-off while recording: the program agrees, finishes the file and ends.
app_start
t0=$(now_ms)
start_recording
# The start and the first full picture at 8 bits can take seconds under Wine: wait for frames.
for ((i = 0; i < 100; i++)); do
    [ "$(app_state clock)" != "00:00:00" ] && break
    sleep 0.2
done
sleep 1
drv end-session || fail "the session could not end"
drv wait-gone || fail "the program outlived the session"
t1=$(now_ms)
rec=$(app_recording)
expect_eq "finished at log-off" "$(rec_value "$rec" valid)" 1
records=$(rec_value "$rec" records)
[ "$records" -gt 0 ] || fail "no records before the log-off"
expect_eq "log-off frame count" "$(rec_value "$rec" frameCount)" "$records"
duration=$(rec_value "$rec" durationMs)
[ "$duration" -ge 1000 ] && [ "$duration" -le $((t1 - t0)) ] ||
    fail "log-off duration $duration ms, $((t1 - t0)) ms from start to the end"
echo PASS
