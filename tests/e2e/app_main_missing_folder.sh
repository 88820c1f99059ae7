#!/usr/bin/env bash
# A start into a folder two levels below a missing one: the general error box, nothing starts,
# nothing is written. Then a program folder that cannot be written at all (immutable, which
# stops even root): the INI file moves to %APPDATA%\Morvanta, seeded from the one beside the
# program, and the recording goes to Videos\Morvanta, which the dialog shows; recorded as a
# recording file (.mrv), it is the stream alone.
set -euo pipefail
source "$(dirname "$0")/app_main_lib.sh"
app_setup 800x600x24
app_start

target="$(app_winpath)\\missing\\deeper"
drv click start
drv dialog >/dev/null || fail "the settings dialog did not open"
drv dialog-path "$target"
drv dialog-ok >/dev/null || fail "the dialog did not close"
out=$(drv box) || fail "no error box"
app_shot app_error_box 600x220+100+190
expect_eq "error caption" "$(sed -n 's/^caption //p' <<<"$out")" "Morvanta"
text=$(sed -n 's/^text //p' <<<"$out")
[[ "$text" == "Cannot create folder \"${target//\\/\\\\}\". "*. ]] ||
    [[ "$text" == "Cannot create folder \"${target}\". "*. ]] || fail "error text [$text]"
echo "ok: error text"
drv answer ok >/dev/null
expect_eq "nothing started" "$(app_state pressed) $(app_state edit)" "stop 0"
[ ! -e "$APP_WORK/missing" ] || fail "a folder was created"
[ ! -e "$APP_WORK/Morvanta.ini" ] || fail "the options were written"
ls "$APP_WORK"/MRV_*.exe >/dev/null 2>&1 && fail "a recording was created"
drv close
drv wait-gone || fail "the program did not close"

user_home="$WINEPREFIX/drive_c/users/$(id -un)"
# A prefix links Videos to the Linux home folder; a folder of its own keeps the test inside it.
[ -L "$user_home/Videos" ] && rm "$user_home/Videos" && mkdir "$user_home/Videos"
rm -rf "$user_home/AppData/Roaming/Morvanta" "$user_home/Videos/Morvanta"
rm -f "$APP_WORK/Morvanta.ini"
touch "$APP_WORK/info"  # rec_value writes there
printf '[Option]\r\nFrame=9\r\nColor=3\r\n' >"$APP_WORK/Morvanta.ini"
trap 'chattr -i "$APP_WORK" "$APP_WORK/Morvanta.ini" 2>/dev/null; app_cleanup' EXIT
chattr +i "$APP_WORK/Morvanta.ini" "$APP_WORK"
# Root passes every permission check, so the test first shows that the folder really refuses.
touch "$APP_WORK/probe" 2>/dev/null && fail "the immutable folder took a new file"
{ echo x >>"$APP_WORK/Morvanta.ini"; } 2>/dev/null && fail "the immutable INI file took a write"
echo "ok: the program folder cannot be written"

app_start
drv click start
drv dialog >/dev/null || fail "the settings dialog did not open"
expect_eq "folder shown" "$(drv dialog-text 122)" 'C:\users\'"$(id -un)"'\Videos\Morvanta'
expect_eq "frame rate read beside the program" "$(drv dialog-text 141)" 10
drv dialog-combo 1 195  # 录像文件 (.mrv)
[[ "$(drv dialog-text 121)" == MRV_*.mrv ]] || fail "the name did not follow the type"
drv dialog-check 112 0
drv dialog-ok >/dev/null || fail "the dialog did not close"
sleep 2
drv click stop
drv no-box || fail "a box after the stop: $(drv box)"
recs=("$user_home/Videos/Morvanta"/MRV_*.mrv)
[ -f "${recs[0]}" ] || fail "no recording file in Videos\\Morvanta"
expect_eq "recording file valid as a bare stream" "$(rec_value "${recs[0]}" valid /dev/null)" 1
expect_eq "depth from the seed" "$(rec_value "${recs[0]}" bpp /dev/null)" 32
[ "$(head -c 2 "${recs[0]}")" != MZ ] || fail "the recording file holds a program"
ini="$user_home/AppData/Roaming/Morvanta/Morvanta.ini"
grep -q $'^Frame=9\r$' "$ini" || fail "the options were not written to %APPDATA%"
grep -q $'^FileType=1\r$' "$ini" || fail "the recording type was not written"
drv close
drv wait-gone || fail "the program did not close"
grep -q $'^SelfTop=' "$ini" || fail "the window's place was not written to %APPDATA%"
echo PASS
