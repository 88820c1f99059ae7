# Shared steps of the player's end-to-end tests (sourced after lib.sh).

# Wine, a private Xvfb and a scratch folder; everything is undone on exit. STUB is the player's
# test build (its /mrv-test-* switches keep a log, start paused, exit at the end); RELEASE_STUB
# the shipped one, which has none.
player_setup() {
    set -u
    : "${MRV_PLAYER_E2E:?MRV_PLAYER_E2E must name the native helper}"
    STUB="$MRV_WIN_BUILD_DIR/bin/HeadFileTest.hdf"
    RELEASE_STUB="$MRV_WIN_BUILD_DIR/bin/HeadFile.hdf"
    [ -f "$STUB" ] && [ -f "$RELEASE_STUB" ] ||
        { echo "no $STUB or $RELEASE_STUB: build the cross build first" >&2; exit 1; }
    WORK="$(mktemp -d)"
    mrv_wine_env
    mrv_xvfb_start 1024x768x24
    trap player_cleanup EXIT
}

player_cleanup() {
    mrv_xvfb_stop
    if [ -n "${PLAYER_PA_PID:-}" ]; then kill "$PLAYER_PA_PID" 2>/dev/null || true; fi
    rm -rf "$WORK"
}

# Waits until FILE has a line matching PATTERN; fails after SECONDS.
player_wait_log() {
    local file="$1" pattern="$2" seconds="${3:-30}" i
    for ((i = 0; i < seconds * 10; i++)); do
        grep -q -E "$pattern" "$file" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "timed out waiting for '$pattern' in $file" >&2
    cat "$file" >&2 2>/dev/null
    return 1
}

# A private PulseAudio with a null sink: Wine's wave-out then has a device to play to. Given a
# path, it also has a capture device: a pipe source reading 16-bit mono PCM at RATE (8000) Hz
# from a FIFO that it makes at that path, for the test to feed in real time. With the path
# "none" it has no device at all: a running server without any source or sink.
player_pulse_start() {
    local fifo="${1:-}" rate="${2:-8000}" source=() sink=(-L "module-null-sink sink_name=mrv_null")
    export XDG_RUNTIME_DIR="$WORK/xdg"
    export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"
    mkdir -p "$PULSE_RUNTIME_PATH"
    chmod 700 "$XDG_RUNTIME_DIR"
    if [ "$fifo" = none ]; then
        fifo="" sink=()
    elif [ -n "$fifo" ]; then
        source=(-L "module-pipe-source source_name=mrv_mic file=$fifo format=s16le rate=$rate channels=1")
    fi
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        -L module-native-protocol-unix "${sink[@]}" "${source[@]}" \
        --log-target=stderr 2>"$WORK/pulse.log" &
    PLAYER_PA_PID=$!
    local i
    for ((i = 0; i < 50; i++)); do
        [ -S "$PULSE_RUNTIME_PATH/native" ] && { [ -z "$fifo" ] || [ -p "$fifo" ]; } && return 0
        sleep 0.1
    done
    echo "PulseAudio did not start" >&2
    cat "$WORK/pulse.log" >&2
    return 1
}

# Presses OK in the player's message box (caption "Morvanta") until process PID has gone, for up
# to 15 s. A key sent while the box is still taking the focus can be lost, so it is sent again.
player_dismiss_box() {
    local pid="$1" i window
    for ((i = 0; i < 150; i++)); do
        kill -0 "$pid" 2>/dev/null || return 0
        if ((i % 20 == 0)); then
            window="$(xdotool search --name '^Morvanta$' 2>/dev/null | head -n 1)"
            if [ -n "$window" ]; then
                xdotool windowfocus --sync "$window" 2>/dev/null && sleep 0.3 &&
                    xdotool key Return 2>/dev/null
            fi
        fi
        sleep 0.1
    done
    return 1
}

# Starts REC paused at TICK with its log in log.txt, waits until its picture has reached the
# screen and shoots the screen to PNG. Sets PLAYER_PID and where the picture is shown:
# PIC_X PIC_Y PIC_W PIC_H.
player_shoot_paused() {
    local rec="$1" tick="$2" png="$3"
    rm -f log.txt
    wine "$rec" /mrv-test-log=log.txt "/mrv-test-pause-at=$tick" &
    PLAYER_PID=$!
    player_wait_log log.txt '^shown record' 30 || return 1
    sleep 1.5  # let the paint reach the X server
    mrv_screenshot "$png"
    read -r _ PIC_X PIC_Y PIC_W PIC_H < <(grep '^picture' log.txt | tail -n 1)
}

# Checks the log of a recording played with /mrv-test-log: the sound device opened, every one of
# BLOCKS GSM 6.10 blocks was decoded and queued, the sound is not silence, and the player ended.
# WHAT names the recording in the messages.
player_check_played_sound() {
    local log="$1" blocks="$2" what="$3" decoded samples peak
    grep -q '^sound on' "$log" || { echo "$what: no sound device" >&2; return 1; }
    read -r _ _ decoded _ samples _ peak < <(grep '^audio blocks' "$log" | tr -d '\r')
    [ "$decoded" = "$blocks" ] || { echo "$what: decoded $decoded of $blocks blocks" >&2; return 1; }
    [ "$samples" = $((blocks * 320)) ] || { echo "$what: queued $samples samples" >&2; return 1; }
    [ "$peak" -gt 1000 ] || { echo "$what: the sound is silent (peak $peak)" >&2; return 1; }
    grep -q '^ended' "$log" || { echo "$what: did not play to the end" >&2; return 1; }
    echo "$what: $decoded blocks, $samples samples, peak $peak"
}
