# The recorder's Win32 adapters under Wine: files, program paths, GDI grabs and colour tables.
set -euo pipefail
source "$(dirname "$0")/recorder_lib.sh"

rec_setup 640x480x24
"$MRV_E2E_CHECK" picture "$REC_WORK/base.png" 640 480 7
rec_show "$REC_WORK/base.png" 0 0 >/dev/null
wine "$MRV_WIN_BUILD_DIR/bin/mrv_e2e_adapters.exe" "Z:${REC_WORK//\//\\}" | tr -d '\r' |
    tee "$REC_WORK/adapters.log"
grep -qx '0 failed' "$REC_WORK/adapters.log" || fail "adapter checks failed"
