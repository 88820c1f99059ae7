# A recording with sound plays through wave-out: every GSM 6.10 block is decoded by the
# platform's codec and queued, and the sound is not silence.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/player_lib.sh"
player_setup
cd "$WORK"
player_pulse_start || exit 1

# A 440 Hz tone as GSM 6.10 (the WAV49 layout of 65-byte blocks). The blocks do not depend on the
# rate, so the same tone, long enough for four seconds at the highest rate, serves every rate.
ffmpeg -hide_banner -loglevel error -f lavfi -i "sine=frequency=440:sample_rate=8000:duration=23" \
    -ac 1 -c:a libgsm_ms tone.wav || exit 1

for rate in 8000 44100; do
    "$MRV_PLAYER_E2E" make --stub "$STUB" --out rec.exe --frames 20 --size 160x120 --fps 5 \
        --gsm tone.wav --rate $rate >/dev/null
    blocks="$("$MRV_PLAYER_E2E" blocks rec.exe)"
    rm -f log.txt
    timeout 60 wine ./rec.exe /mrv-test-log=log.txt /mrv-test-exit-at-end
    grep -v '^shown' log.txt
    # Four seconds of sound at this rate, in 320-sample blocks.
    [ "$blocks" -ge $((4 * rate / 320 - 2)) ] || { echo "$rate Hz: only $blocks blocks" >&2; exit 1; }
    player_check_played_sound log.txt "$blocks" "player sound at $rate Hz" || exit 1
done
