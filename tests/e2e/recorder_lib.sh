# Helpers for the recorder's end-to-end tests: the harness under Wine, its control file, and
# pictures on the X screen. Source after setting `set -euo pipefail`.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

: "${MRV_E2E_CHECK:?MRV_E2E_CHECK must name the native checker}"
REC_HARNESS="$MRV_WIN_BUILD_DIR/bin/mrv_e2e_recorder.exe"
REC_WORK="$(mktemp -d /tmp/mrv-e2e-XXXXXX)"
REC_PIDS=()

rec_cleanup() {
    local pid
    for pid in "${REC_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    mrv_xvfb_stop
    if [ "${REC_KEEP:-0}" = 1 ]; then echo "work folder kept: $REC_WORK"; else rm -rf "$REC_WORK"; fi
}

fail() {
    echo "FAIL: $*" >&2
    [ -f "$REC_WORK/log" ] && tail -n 5 "$REC_WORK/log" >&2
    REC_KEEP=1
    exit 1
}

# Starts Xvfb (WxHxD) and the Wine environment; everything stops when the script exits.
rec_setup() {
    trap rec_cleanup EXIT
    mrv_wine_env
    mrv_xvfb_start "$1"
    # Any bytes do as the player stub; the checker skips them by the file's length.
    head -c 4096 /dev/urandom >"$REC_WORK/stub.hdf"
}

# Windows path of a file in the work folder.
rec_winpath() { echo "Z:${REC_WORK//\//\\}\\$1"; }

# Starts the harness recording into $REC_WORK/rec.exe with the given options.
rec_start() {
    : >"$REC_WORK/control"
    : >"$REC_WORK/log"
    wine "$REC_HARNESS" --out "$(rec_winpath rec.exe)" --stub "$(rec_winpath stub.hdf)" \
        --control "$(rec_winpath control)" "$@" >"$REC_WORK/log" 2>"$REC_WORK/stderr" &
    REC_HARNESS_PID=$!
    REC_PIDS+=("$REC_HARNESS_PID")
    rec_wait_line '^started ' 0 30 >/dev/null || fail "the harness did not start"
    REC_START_S=$(date +%s.%N)
}

# Prints the first log line after line AFTER that matches PATTERN; waits up to SECONDS.
rec_wait_line() {
    local pattern="$1" after="$2" seconds="${3:-20}" line
    local deadline=$((SECONDS + seconds))
    while [ $SECONDS -le $deadline ]; do
        line=$(tail -n +"$((after + 1))" "$REC_WORK/log" | grep -m1 -E "$pattern" || true)
        if [ -n "$line" ]; then
            echo "${line%$'\r'}"  # the console under Wine ends lines with CR LF
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# Sends a command; prints the harness's answer "COMMAND RECORDS PHASE PAUSED".
rec_cmd() {
    local lines
    lines=$(wc -l <"$REC_WORK/log")
    echo "$1" >>"$REC_WORK/control"
    rec_wait_line "^$1 " "$lines" 20 || fail "no answer to $1"
}

# Records written so far.
rec_records() { rec_cmd sync | awk '{print $2}'; }

# Waits until the harness has written at least N records.
rec_wait_records() {
    local target="$1" deadline=$((SECONDS + 60)) last
    while [ $SECONDS -le $deadline ]; do
        last=$(grep -E '^tick ' "$REC_WORK/log" | tail -n 1 | awk '{print $2}' || true)
        [ -n "$last" ] && [ "$last" -ge "$target" ] && return 0
        sleep 0.05
    done
    fail "the harness did not reach $target records"
}

# Waits for TICKS more records (so that a static screen is fully captured), then prints the
# record count.
rec_settle() {
    local now
    now=$(rec_records)
    rec_wait_records $((now + $1))
    rec_records
}

# Stops the recording and waits for the harness to end.
rec_stop() {
    echo stop >>"$REC_WORK/control"
    wait "$REC_HARNESS_PID" || fail "the harness failed: $(cat "$REC_WORK/log")"
    REC_STOP_S=$(date +%s.%N)
    grep -q '^stopped ' "$REC_WORK/log" || fail "the harness did not stop"
}

# Shows a picture at X,Y in its own X window; prints the window id.
rec_show() {
    local file="$1" x="$2" y="$3" title="mrv-$RANDOM-$RANDOM"
    display -title "$title" -geometry "+$x+$y" -borderwidth 0 "$file" </dev/null \
        >/dev/null 2>&1 &
    REC_PIDS+=("$!")
    xdotool search --sync --onlyvisible --name "$title" | head -n 1
    sleep 0.3  # let it paint
}

# Compares the picture after RECORDS records with the screenshot SHOT.
rec_compare() {
    "$MRV_E2E_CHECK" compare "$REC_WORK/rec.exe" "$REC_WORK/stub.hdf" "$1" "$2" ||
        fail "recording differs from $2 after $1 records"
}

# Prints the value of KEY from the checker's info line.
rec_info() {
    "$MRV_E2E_CHECK" info "$REC_WORK/rec.exe" "$REC_WORK/stub.hdf" >"$REC_WORK/info" ||
        fail "invalid recording: $(cat "$REC_WORK/info")"
    awk -v key="$1" '{for (i = 1; i < NF; i += 2) if ($i == key) print $(i + 1)}' "$REC_WORK/info"
}
