#!/usr/bin/env bash
# A start into a folder two levels below a missing one: the general error box, nothing starts,
# nothing is written.
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
echo PASS
