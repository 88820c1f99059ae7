# Shell helpers for the end-to-end tests: a quiet Wine prefix, a private Xvfb, screenshots.
# Source it from bash; MRV_WIN_BUILD_DIR names the cross build (the prefix lives under it).

# Wine's environment; the prefix is created once (under a lock) and then reused.
mrv_wine_env() {
    : "${MRV_WIN_BUILD_DIR:?MRV_WIN_BUILD_DIR must name the cross build folder}"
    # MRV_WINE_PREFIX names another prefix, for tests that change its settings.
    export WINEPREFIX="${MRV_WINE_PREFIX:-$MRV_WIN_BUILD_DIR/wineprefix}"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    mkdir -p "$MRV_WIN_BUILD_DIR"
    (
        flock 9
        [ -f "$WINEPREFIX/.mrv-ready" ] && exit 0
        rm -rf "$WINEPREFIX"
        # No display is needed to create the prefix; keep wineboot off the caller's one.
        DISPLAY= wineboot -i >/dev/null 2>&1
        wineserver -w
        # Chinese texts render only with a CJK font behind the names the program asks for.
        local font
        for font in SimSun NSimSun SimHei "Microsoft YaHei" "MS Shell Dlg" "MS Shell Dlg 2" \
            Tahoma "MS Sans Serif" "Segoe UI" 宋体 黑体; do
            DISPLAY= wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" \
                /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
        done
        wineserver -w
        touch "$WINEPREFIX/.mrv-ready"
    ) 9>"$WINEPREFIX.lock"
}

# Starts a private Xvfb (default 1024x768x24) and exports DISPLAY; the pid is remembered.
mrv_xvfb_start() {
    local size="${1:-1024x768x24}"
    local fifo
    fifo="$(mktemp -u)"
    mkfifo "$fifo"
    # Its own session keeps a Ctrl+C meant for the caller from ending the display under it.
    setsid Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    MRV_XVFB_PID=$!
    local number
    if ! read -r -t 20 number <"$fifo"; then
        rm -f "$fifo"
        echo "Xvfb did not start" >&2
        kill "$MRV_XVFB_PID" 2>/dev/null
        return 1
    fi
    rm -f "$fifo"
    export DISPLAY=":$number"
    export MRV_XVFB_PID
}

# Stops the Xvfb this shell started, and the Wine server of the prefix with it.
mrv_xvfb_stop() {
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    if [ -n "${MRV_XVFB_PID:-}" ]; then
        kill "$MRV_XVFB_PID" 2>/dev/null || true
        wait "$MRV_XVFB_PID" 2>/dev/null || true
        unset MRV_XVFB_PID
    fi
}

# Writes a PNG of the whole X screen.
mrv_screenshot() {
    import -display "$DISPLAY" -window root "$1"
}
