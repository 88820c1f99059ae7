#!/usr/bin/env bash
# The annotation editor in an 8-bit recording: text is committed where its box showed it; the
# applied edit (arrow, pen, text, undo) is one whole-screen record held EditSleep ticks whose
# picture is the editor's through the stored colour table (the main window's tool bar aside,
# whose face colours the table lacks); then, in scan mode, the edit is one ordinary scan record
# carrying the hold.
set -euo pipefail
source "$(dirname "$0")/editor_lib.sh"
SIZE=640x480
ed_setup ${SIZE}x24
ed_ini 9 1 0 7   # 10 frames per second, 8 bits, full-screen copy, held 7 ticks
app_start
ed_start_recording

ed_open $SIZE
ed_drag 300 300 400 360
ed_click "$(ed_tool_x 4)" $ED_TOOL_Y            # pen
ed_drag 450 200 520 260 6
ed_click "$(ed_tool_x 5)" $ED_TOOL_Y            # text
ed_expect_text_in_place 200 400 text12          # typed, committed where the box showed it
ed_click $ED_UNDO_X $ED_TOOL_Y                  # undo: the text goes
ed_click "$(ed_tool_x 0)" $ED_TOOL_Y
ed_drag 250 450 180 400
ed_shot_without_panel edit
edrv apply
edrv wait-closed || fail "apply did not close the editor"
sleep 2  # 8-bit grabs are slow under Wine
expect_eq "running after apply" "$(app_state pressed)" "start"
drv click stop
wait_state pressed stop >/dev/null
rec=$(app_recording)
expect_eq "8 bits" "$(rec_value "$rec" bpp)" 8
read -r number hold items whole < <(ed_held "$rec")
expect_eq "held record: hold, items, whole screen" "$hold $items $whole" "7 1 1"
# The tool bar's face colours are not in the 256-colour table; everything else is exact.
"$MRV_E2E_CHECK" render "$rec" "$APP_WORK/HeadFile.hdf" "$number" "$APP_WORK/record.png"
expect_eq "picture through the colour table" \
    "$(ed_diff "$APP_WORK/record.png" "$APP_WORK/edit.png" 453,308,820,339)" 0
expect_eq "frame count" "$(rec_value "$rec" frameCount)" $(($(rec_value "$rec" records) + 7))
[ "$(rec_value "$rec" records)" -gt "$number" ] || fail "no records after the edit"
mv "$rec" "$APP_WORK/copy-mode.rec"

# Scan mode, chosen in the dialog: the record after the edit is a scan, not the picture.
ed_start_recording "dialog-tab 1" "dialog-check 181 1"
ed_open $SIZE
ed_drag 100 100 200 200
edrv apply
edrv wait-closed || fail "apply did not close the editor"
sleep 1
drv click stop
wait_state pressed stop >/dev/null
rec=$(app_recording)
mapfile -t held < <(ed_held "$rec")
expect_eq "one held record in scan mode" "${#held[@]}" 1
read -r number hold items whole <<<"${held[0]}"
expect_eq "scan record: hold, whole screen" "$hold $whole" "7 0"
grep -q $'^EditMode=1\r$' "$APP_WORK/Morvanta.ini" || fail "scan mode was not saved"
echo PASS
