# Helpers for the main window's end-to-end tests: a private copy of Morvanta.exe with the player
# stub, the driver program, and checks. Source after `set -euo pipefail`.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

APP_BIN="$MRV_WIN_BUILD_DIR/bin"
APP_DRIVER="$APP_BIN/mrv_e2e_app.exe"
APP_WORK="$(mktemp -d /tmp/mrv-app-XXXXXX)"
# Screenshots stay in the cross build for people to look at.
APP_SHOTS="$MRV_WIN_BUILD_DIR/screenshots"
APP_PID=""

app_cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
    mrv_xvfb_stop
    if [ "${APP_KEEP:-0}" = 1 ]; then echo "work folder kept: $APP_WORK"; else rm -rf "$APP_WORK"; fi
}

fail() {
    echo "FAIL: $*" >&2
    APP_KEEP=1
    exit 1
}

# Xvfb, Wine, and a fresh program folder (no INI file) with the player stub beside the program.
app_setup() {
    trap app_cleanup EXIT
    mrv_wine_env
    mrv_xvfb_start "${1:-1024x768x24}"
    # The Wine server and its helpers start here, detached from the callers' pipes.
    wineserver -p >/dev/null 2>&1 </dev/null
    mkdir -p "$APP_SHOTS"
    cp "$APP_BIN/Morvanta.exe" "$APP_WORK/"
    if [ -f "$APP_BIN/HeadFile.hdf" ]; then
        # The player's test build: the same player, with the log that the checks read.
        cp "$APP_BIN/HeadFileTest.hdf" "$APP_WORK/HeadFile.hdf"
    else
        head -c 4096 /dev/urandom >"$APP_WORK/HeadFile.hdf"
    fi
}

app_winpath() { echo "Z:${APP_WORK//\//\\}${1:+\\$1}"; }

# Starts Morvanta.exe in its folder and waits for its window.
app_start() {
    (cd "$APP_WORK" && exec wine Morvanta.exe >/dev/null 2>&1) &
    APP_PID=$!
    drv wait-main || fail "the main window did not appear"
    sleep 0.5
}

# Runs one driver action; its output without the CRs of Wine's console.
# Output goes through a file: Wine's background processes may inherit the descriptor and would
# hold a pipe open.
drv() {
    local status
    wine "$APP_DRIVER" "$@" >"$APP_WORK/driver.out" 2>&1 && status=0 || status=$?
    tr -d '\r' <"$APP_WORK/driver.out"
    return $status
}

# Prints one field of the driver's state line.
app_state() {
    drv state | awk -v key="$1" '{for (i = 1; i < NF; i += 2) if ($i == key) print $(i + 1)}'
}

# Waits up to 10 s for a state field to take VALUE (Wine's tray calls can take seconds here).
wait_state() {
    local deadline=$((SECONDS + 10)) value
    while :; do
        value=$(app_state "$1")
        [ "$value" = "$2" ] && { echo "ok: $1 $2"; return 0; }
        [ $SECONDS -ge $deadline ] && fail "$1: expected [$2], got [$value]"
        sleep 0.2
    done
}

expect_eq() {
    [ "$2" = "$3" ] || fail "$1: expected [$3], got [$2]"
    echo "ok: $1"
}

# Waits for a message box; checks caption and text (escaped \t, \r) and presses ANSWER.
expect_box() {
    local caption="$1" text="$2" answer="${3:-ok}" out
    out=$(drv box) || fail "no message box (wanted: $text)"
    expect_eq "box caption" "$(sed -n 's/^caption //p' <<<"$out")" "$caption"
    expect_eq "box text" "$(sed -n 's/^text //p' <<<"$out")" "$text"
    drv answer "$answer" >/dev/null || fail "could not answer the box"
}

# The one recording in the program folder.
app_recording() {
    local files=("$APP_WORK"/MRV_*.exe)
    [ -f "${files[0]}" ] || fail "no recording beside the program"
    echo "${files[-1]}"
}

# Prints the value of KEY from the checker's line for REC, whose stub is STUB (default the
# program's; /dev/null for a recording file).
rec_value() {
    "$MRV_E2E_CHECK" info "$1" "${3:-$APP_WORK/HeadFile.hdf}" >"$APP_WORK/info" ||
        fail "invalid recording $1: $(cat "$APP_WORK/info")"
    awk -v key="$2" '{for (i = 1; i < NF; i += 2) if ($i == key) print $(i + 1)}' "$APP_WORK/info"
}

# Screenshot of the region WxH+X+Y into $APP_SHOTS/NAME.png.
app_shot() {
    mrv_screenshot "$APP_WORK/screen.png"
    convert "$APP_WORK/screen.png" -crop "$2" +repage "$APP_SHOTS/$1.png"
    echo "screenshot: $APP_SHOTS/$1.png"
}

# Clicks the screen at X,Y as the user would.
app_click_at() {
    xdotool mousemove --sync "$1" "$2"
    sleep 0.2
    xdotool click 1
    sleep 0.2
    xdotool mousemove --sync 5 700
}

# WM_HOTKEY arrives while a Wine window has the keyboard focus.
focus_program() {
    local id
    id=$(xdotool search --onlyvisible --name '^Morvanta$' | head -n 1)
    [ -n "$id" ] || fail "no X window of the program"
    xdotool windowfocus --sync "$id"
    sleep 0.3
}
