#!/usr/bin/env bash
# The release as a user gets it. scripts/package signs with a certificate made here, and the
# signatures verify (a changed byte breaks them). The silent installer puts the programs (with
# the project's version), the Start-menu shortcuts, the per-user uninstall entry and the .mrv
# association in place; run again while the recorder runs, it gives up and changes nothing. The
# installed recorder records 3 s as a recording file, which mrvtool reads and which opens in
# the installed player through the association. The silent uninstaller removes the programs, the
# shortcuts and the keys and leaves the recording and the settings. The portable zip, unpacked
# into a new folder, records and plays and writes nothing outside its folder.
set -euo pipefail
source "$(dirname "$0")/app_main_lib.sh"
root="$(cd "$(dirname "$0")/../.." && pwd)"

trap app_cleanup EXIT
mrv_wine_env
# Wine would copy shortcuts and associations into the Linux desktop's menus.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
mrv_xvfb_start 800x600x24
wineserver -p >/dev/null 2>&1 </dev/null

winpath() { local p="${1#"$WINEPREFIX/drive_c"}"; echo "C:${p//\//\\}"; }
unixwin() { echo "Z:${1//\//\\}"; }
# A registry value as `reg query` prints it: "    NAME    TYPE    DATA".
reg_value() {
    local which=(/ve)
    [ -n "${2:-}" ] && which=(/v "$2")
    wine reg query "$1" "${which[@]}" 2>/dev/null | tr -d '\r' |
        awk 'NF >= 3 && $2 ~ /^REG_/ {sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, ""); print; exit}'
}
reg_exists() { wine reg query "$1" >/dev/null 2>&1; }
# A resource's version string ("FileVersion", "ProductVersion"), as UTF-16 text in the file.
version_of() { strings -el "$1" | grep -A1 -x "$2" | tail -n 1; }
# The target a shortcut names (its local base path).
shortcut_target() { strings -n 8 "$1" | grep -m 1 -i '^[A-Z]:\\.*\.exe$'; }
# The title of the player's window whose title matches PATTERN, waited for up to 20 s.
player_title() {
    local window
    window="$(timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n 1)"
    [ -n "$window" ] && xdotool getwindowname "$window"
}
# Closes the player and waits until its window has gone.
close_player() {
    wine "$MRV_WIN_BUILD_DIR/bin/mrv_e2e_player.exe" close || fail "no player to close"
    for ((i = 0; i < 100; i++)); do
        xdotool search --onlyvisible --name '录像播放' >/dev/null 2>&1 || return 0
        sleep 0.2
    done
    fail "the player did not close"
}
signed() { osslsigncode verify -CAfile "$APP_WORK/cert.pem" -in "$1" >/dev/null 2>&1; }

# 1. The release, signed with a certificate of the test's own.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$APP_WORK/key.pem" -out "$APP_WORK/cert.pem" \
    -days 2 -subj "/CN=Morvanta test signing" -addext extendedKeyUsage=codeSigning 2>/dev/null
MRV_SIGN_CERT="$APP_WORK/cert.pem" MRV_SIGN_KEY="$APP_WORK/key.pem" \
    MRV_RELEASE_DIR="$APP_WORK/release" bash "$root/scripts/package" >"$APP_WORK/package.log" 2>&1 ||
    fail "scripts/package: $(cat "$APP_WORK/package.log")"
grep -q "signed and verified" "$APP_WORK/package.log" || fail "not signed: $(cat "$APP_WORK/package.log")"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$MRV_WIN_BUILD_DIR/CMakeCache.txt")"
setup="$APP_WORK/release/Morvanta-$version-setup.exe"
zip="$APP_WORK/release/Morvanta-$version-portable.zip"
[ -f "$setup" ] && [ -f "$zip" ] || fail "no Morvanta-$version-setup.exe or -portable.zip"
signed "$setup" || fail "the installer's signature does not verify"
cp "$setup" "$APP_WORK/tampered.exe"
printf 'X' | dd of="$APP_WORK/tampered.exe" bs=1 seek=4096 conv=notrunc status=none
signed "$APP_WORK/tampered.exe" && fail "a changed installer still verifies"
echo "ok: release $version built and signed"

# 2. Silent install, per user. Leftovers of an interrupted run go first.
user_home="$WINEPREFIX/drive_c/users/$(id -un)"
inst="$user_home/AppData/Local/Programs/Morvanta"
menu="$user_home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Morvanta"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvanta'
rm -rf "$inst" "$menu" "$user_home/AppData/Roaming/Morvanta"
for key in "$uninstall_key" 'HKCU\Software\Classes\.mrv' 'HKCU\Software\Classes\Morvanta.Recording' \
    'HKCU\Software\Morvanta' 'HKLM\Software\Classes\.mrv' 'HKLM\Software\Classes\Morvanta.Recording'; do
    wine reg delete "$key" /f >/dev/null 2>&1 || true
done
wine "$setup" /S >/dev/null 2>&1 || fail "the silent install failed"
programs=(Morvanta.exe MorvantaPlayer.exe HeadFile.hdf mrvtool.exe)
for file in "${programs[@]}" Uninstall.exe README.txt LICENSE-zlib.txt LICENSE-stb.txt; do
    [ -f "$inst/$file" ] || fail "not installed: $file"
done
cmp -s "$inst/HeadFile.hdf" "$inst/MorvantaPlayer.exe" || fail "the player is not the stub"
for file in "${programs[@]}" Uninstall.exe; do
    signed "$inst/$file" || fail "unsigned or badly signed: $file"
done
for file in "${programs[@]}"; do
    expect_eq "$file version" "$(version_of "$inst/$file" FileVersion) $(version_of "$inst/$file" \
        ProductVersion)" "$version.0 $version"
done
recorder="$(shortcut_target "$menu/Morvanta.lnk")"
expect_eq "recorder shortcut" "$recorder" "$(winpath "$inst/Morvanta.exe")"
expect_eq "player shortcut" "$(shortcut_target "$menu/Morvanta 播放器.lnk")" \
    "$(winpath "$inst/MorvantaPlayer.exe")"
for pair in DisplayName=Morvanta DisplayVersion="$version" Publisher=Morvanta \
    DisplayIcon="$(winpath "$inst/Morvanta.exe"),0"; do
    expect_eq "uninstall ${pair%%=*}" "$(reg_value "$uninstall_key" "${pair%%=*}")" "${pair#*=}"
done
size=$(($(reg_value "$uninstall_key" EstimatedSize)))
installed=$(du -sk --apparent-size "$inst" | cut -f1)
[ "$size" -gt $((installed / 2)) ] && [ "$size" -le $((installed + 8)) ] ||
    fail "estimated size $size KB for $installed KB"
expect_eq ".mrv class" "$(reg_value 'HKCU\Software\Classes\.mrv')" Morvanta.Recording
expect_eq ".mrv command" "$(reg_value 'HKCU\Software\Classes\Morvanta.Recording\shell\open\command')" \
    "\"$(winpath "$inst/MorvantaPlayer.exe")\" \"%1\""

# 3. The recorder, started from its shortcut's target: a second install asks for it to be
#    closed, which a silent one cannot, so it stops before changing anything.
# Starts PROGRAM (a Windows path) in FOLDER and waits for the recorder's window.
start_in() {
    (cd "$1" && exec wine "$2" >/dev/null 2>&1) &
    APP_PID=$!
    drv wait-main || fail "$2 did not start"
    sleep 0.5
}
# Records until the clock shows SECONDS, with the dialog's drop-down 195 on TYPE, then exits.
record() {
    drv click start
    drv dialog >/dev/null || fail "the settings dialog did not open"
    drv dialog-combo "$2" 195  # 0 自播放程序 (.exe), 1 录像文件 (.mrv)
    drv dialog-check 112 0     # not to the tray
    drv dialog-ok >/dev/null || fail "the dialog did not close"
    wait_state clock "00:00:0$1"
    drv click stop
    drv no-box || fail "a box after the stop: $(drv box)"
    drv close
    drv wait-gone || fail "the recorder did not close"
}
start_in "$inst" "$recorder"
echo "user's own line" >>"$inst/README.txt"  # an installed file, to see whether it is replaced
status=0
wine "$setup" /S >/dev/null 2>&1 || status=$?
expect_eq "install over the running recorder gives up" "$status" 2
grep -q "user's own line" "$inst/README.txt" || fail "the abandoned install replaced files"

# 4. Three seconds recorded as a recording file (.mrv) beside the per-user install.
record 3 1
recs=("$inst"/MRV_*.mrv)
rec="${recs[0]}"
[ -f "$rec" ] || fail "no recording file beside the installed recorder"
expect_eq "recording file valid" "$(rec_value "$rec" valid /dev/null)" 1
records=$(rec_value "$rec" records /dev/null)
[ "$records" -ge 18 ] || fail "$records records in 3 s at 6 per second"
info="$(wine "$inst/mrvtool.exe" info "$(unixwin "$rec")" 2>&1)" || fail "mrvtool.exe: $info"
grep -q "stream start: *0 (at the file start)" <<<"$info" && grep -q "records: *$records" <<<"$info" ||
    fail "mrvtool.exe: $info"
echo "ok: $records records in the recording file, read by mrvtool.exe"

# 5. A double-click on the recording file opens it in the installed player. Wine 8 keeps
#    HKEY_CLASSES_ROOT to the machine's classes, where Windows merges in the user's own: the
#    test makes that merged view from what the installer wrote for the user.
machine_classes='HKLM\Software\Classes'
command_key='Morvanta.Recording\shell\open\command'
wine reg add "$machine_classes\.mrv" /ve /d "$(reg_value 'HKCU\Software\Classes\.mrv')" /f \
    >/dev/null 2>&1
wine reg add "$machine_classes\\$command_key" /ve /f \
    /d "$(reg_value "HKCU\Software\Classes\\$command_key")" >/dev/null 2>&1
# start.exe opens the file through ShellExecuteEx, as Explorer does.
wine start "$(winpath "$rec")" >/dev/null 2>&1 || fail "the recording file could not be opened"
title=$(player_title ' - 录像文件 - ') || fail "the player did not open the recording file"
expect_eq "player title" "$title" "$(basename "$rec") - 录像文件 - Morvanta 录像播放"
app_shot release_player_mrv 800x600+0+0
close_player
for key in .mrv Morvanta.Recording; do wine reg delete "$machine_classes\\$key" /f >/dev/null 2>&1; done

# 6. Silent uninstall: the uninstaller runs from a copy of itself, so its end is awaited.
wine "$inst/Uninstall.exe" /S >/dev/null 2>&1 || fail "the silent uninstall failed"
for ((i = 0; i < 150; i++)); do
    [ ! -e "$inst/Uninstall.exe" ] && ! reg_exists 'HKCU\Software\Classes\Morvanta.Recording' && break
    sleep 0.2
done
for file in "${programs[@]}" Uninstall.exe README.txt LICENSE-zlib.txt LICENSE-stb.txt; do
    [ ! -e "$inst/$file" ] || fail "left after uninstall: $file"
done
[ ! -e "$menu" ] || fail "the Start-menu folder is left"
for key in "$uninstall_key" 'HKCU\Software\Classes\.mrv' 'HKCU\Software\Classes\Morvanta.Recording'; do
    reg_exists "$key" && fail "left after uninstall: $key"
done
[ -f "$rec" ] || fail "the uninstaller removed the recording"
grep -q $'^FileType=1\r$' "$inst/Morvanta.ini" || fail "the uninstaller removed the settings"
echo "ok: uninstalled, recording and settings kept"

# 7. The portable zip in a folder of its own records and plays, and keeps to that folder: the
#    player's settings go to its MorvantaPlayer.ini, not the registry.
wine reg delete 'HKCU\Software\Morvanta' /f >/dev/null 2>&1 || true
usb="$APP_WORK/usb"
mkdir "$usb"
unzip -q "$zip" -d "$usb"
for file in "${programs[@]}" README.txt LICENSE-zlib.txt LICENSE-stb.txt MorvantaPlayer.ini; do
    [ -f "$usb/$file" ] || fail "not in the zip: $file"
done
start_in "$usb" Morvanta.exe
record 1 0
recs=("$usb"/MRV_*.exe)
[ -f "${recs[0]}" ] || fail "no recording beside the portable recorder"
expect_eq "portable recording valid" "$(rec_value "${recs[0]}" valid "$usb/HeadFile.hdf")" 1
[ -f "$usb/Morvanta.ini" ] || fail "the portable settings are not beside the program"
[ ! -e "$user_home/AppData/Roaming/Morvanta" ] || fail "the portable copy wrote to %APPDATA%"
(cd "$usb" && exec wine "./$(basename "${recs[0]}")" >/dev/null 2>&1) &
title=$(player_title ' - 自播放程序 - ') || fail "the portable recording did not play"
expect_eq "portable player title" "$title" "$(basename "${recs[0]}") - 自播放程序 - Morvanta 录像播放"
close_player
sleep 1  # the player writes its settings as it ends
grep -q '^Volume=' "$usb/MorvantaPlayer.ini" || fail "the portable player kept no settings"
reg_exists 'HKCU\Software\Morvanta' && fail "the portable player wrote to the registry"
echo PASS
