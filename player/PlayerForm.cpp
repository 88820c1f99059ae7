// The player window's rules: what each key, click and drag does to playing and the position.
#include "player/PlayerForm.h"

#include <algorithm>
#include <cstdio>

#include "common/Texts.h"

namespace mrv::player {

namespace {
// While playing, the position has moved past a marker by the time the key arrives: a jump back
// within this much goes to the marker before it, as in other players.
constexpr int64_t kMarkerBackGraceMs = 1000;

// The speeds are numbered in halves, one step apart; the keys stop at either end.
Speed StepSpeed(Speed speed, int delta) {
    return static_cast<Speed>(std::clamp(static_cast<int32_t>(speed) + delta,
                                         static_cast<int32_t>(playback::kSlowestSpeed),
                                         static_cast<int32_t>(playback::kFastestSpeed)));
}
}  // namespace

std::vector<int64_t> HeldFrameMarkers(const playback::Timeline& timeline) {
    std::vector<int64_t> markers;
    for (const playback::RecordEntry& e : timeline.records()) {
        if (e.holdTicks > 0) markers.push_back(StartMsOfTick(timeline, e.firstTick));
    }
    return markers;
}

int64_t StartMsOfTick(const playback::Timeline& timeline, int64_t tick) {
    const int64_t total = timeline.pacing().totalMs;
    if (tick <= 0) return 0;
    if (tick >= timeline.pacing().totalTicks) return total;
    // The tick's time rounded to whole milliseconds may fall just before it begins.
    int64_t ms = timeline.MsOfTick(tick);
    while (timeline.TickAtMs(ms) < tick && ms < total) ++ms;
    return std::min(ms, total);
}

int32_t BarPositionAt(int32_t x, int32_t channelLeft, int32_t channelRight, int32_t maxPosition) {
    const int64_t span = int64_t{channelRight} - channelLeft;
    if (span <= 0 || maxPosition <= 0) return 0;
    const int64_t offset = std::clamp<int64_t>(int64_t{x} - channelLeft, 0, span);
    return static_cast<int32_t>((offset * maxPosition + span / 2) / span);
}

int32_t BarXOf(int32_t position, int32_t channelLeft, int32_t channelRight, int32_t maxPosition) {
    const int64_t span = int64_t{channelRight} - channelLeft;
    if (span <= 0 || maxPosition <= 0) return channelLeft;
    const int64_t at = std::clamp<int64_t>(position, 0, maxPosition);
    return static_cast<int32_t>(channelLeft + (at * span + maxPosition / 2) / maxPosition);
}

std::string ScaleTip(Size picture, Size shown) {
    if (shown == picture || picture.width <= 0) return text::kPlayerShownOneToOne;
    char out[160];
    std::snprintf(out, sizeof out, text::kPlayerShownScaled,
                  static_cast<int>(int64_t{shown.width} * 100 / picture.width));
    return out;
}

PlayerForm::PlayerForm(PlayerView& view, const playback::Timeline& timeline, SoundSettings sound,
                       SaveFlow* save)
    : view_(view),
      save_(save),
      timeline_(timeline),
      playback_(timeline.pacing().totalMs),
      barScale_(playback_.totalMs()),
      markers_(HeldFrameMarkers(timeline)),
      sound_(sound),
      selection_(playback_.totalMs()) {
    sound_.volumePercent = std::clamp(sound_.volumePercent, 0, 100);
}

void PlayerForm::Start(bool play, int64_t atMs) {
    view_.ApplySound(sound_);
    playback_.Seek(atMs);
    if (play) {
        TogglePlay();
    } else {
        Restart();
        view_.ShowPlaying(false);
    }
    view_.ShowPosition(playback_.base(), true);
}

int64_t PlayerForm::Position() { return playback_.Position(view_.ElapsedMs()); }

void PlayerForm::Restart() { view_.RestartClock(playback_.playing(), playback_.base()); }

void PlayerForm::Tick() {
    // While the thumb is held the picture shows where it is, not where playing has got to.
    if (!playback_.playing() || dragging_) return;
    const int64_t elapsed = view_.ElapsedMs();
    const int64_t position = playback_.Position(elapsed);
    if (playback_.Ended(elapsed)) {
        // The last picture stays; playing again starts over.
        playback_.StopAtEnd();
        Restart();
        view_.ShowPlaying(false);
        view_.ShowPosition(position, true);
        view_.ReachedEnd(position);
        return;
    }
    view_.ShowPosition(position, true);
}

void PlayerForm::TogglePlay() {
    if (saving_) return;
    playback_.Toggle(view_.ElapsedMs());
    Restart();
    view_.ShowPlaying(playback_.playing());
    if (!dragging_) view_.ShowPosition(playback_.base(), true);
}

void PlayerForm::SeekTo(int64_t ms) {
    playback_.Seek(ms);
    Restart();
    view_.ShowPosition(playback_.base(), true);
}

bool PlayerForm::KeyDown(PlayerKey key, bool ctrl) {
    if (key == PlayerKey::S) {
        if (!ctrl) return false;
        SaveAsClick();
        return true;
    }
    if (saving_) return true;
    if (ctrl && (key == PlayerKey::I || key == PlayerKey::O)) return false;
    switch (key) {
        case PlayerKey::Space:
            TogglePlay();
            break;
        case PlayerKey::Left:
            SeekTo(Position() - kKeyStepMs);
            break;
        case PlayerKey::Right:
            SeekTo(Position() + kKeyStepMs);
            break;
        case PlayerKey::Home:
            SeekTo(0);
            break;
        case PlayerKey::End:
            SeekTo(playback_.totalMs());
            break;
        case PlayerKey::Comma:
            StepRecord(-1);
            break;
        case PlayerKey::Period:
            StepRecord(1);
            break;
        case PlayerKey::PageUp:
            JumpMarker(-1);
            break;
        case PlayerKey::PageDown:
            JumpMarker(1);
            break;
        case PlayerKey::F11:
            FullScreenClick();
            break;
        case PlayerKey::Escape:
            if (fullScreen_) SetFullScreen(false);
            break;
        case PlayerKey::M:
            MuteClick();
            break;
        case PlayerKey::LeftBracket:
            SpeedChosen(StepSpeed(sound_.speed, -1));
            break;
        case PlayerKey::RightBracket:
            SpeedChosen(StepSpeed(sound_.speed, 1));
            break;
        case PlayerKey::I:
            BarMenuChosen(BarCommand::MarkStart);
            break;
        case PlayerKey::O:
            BarMenuChosen(BarCommand::MarkEnd);
            break;
        case PlayerKey::S:
            break;
    }
    return true;
}

// One picture at a time is for looking closely, so it works only while paused.
void PlayerForm::StepRecord(int delta) {
    if (playback_.playing() || timeline_.records().empty()) return;
    const auto& records = timeline_.records();
    const int32_t current = std::max(timeline_.RecordAtMs(playback_.base()), 0);
    const int32_t target = std::clamp(current + delta, 0, static_cast<int32_t>(records.size()) - 1);
    if (target == current) return;
    SeekTo(StartMsOfTick(timeline_, records[static_cast<size_t>(target)].firstTick));
}

void PlayerForm::JumpMarker(int direction) {
    const int64_t position = Position();
    if (direction > 0) {
        const auto it = std::upper_bound(markers_.begin(), markers_.end(), position);
        if (it != markers_.end()) SeekTo(*it);
        return;
    }
    const int64_t before = playback_.playing() ? position - kMarkerBackGraceMs : position;
    const auto it = std::lower_bound(markers_.begin(), markers_.end(), before);
    if (it != markers_.begin()) SeekTo(*(it - 1));
}

void PlayerForm::FullScreenClick() { SetFullScreen(!fullScreen_); }

void PlayerForm::SetFullScreen(bool fullScreen) {
    if (fullScreen == fullScreen_) return;
    fullScreen_ = fullScreen;
    view_.SetFullScreen(fullScreen);
}

void PlayerForm::BarTrack(int32_t position) {
    dragging_ = true;
    view_.ShowPosition(barScale_.MsOf(position), false);
}

void PlayerForm::BarRelease(int32_t position) {
    dragging_ = false;
    SeekTo(barScale_.MsOf(position));
}

void PlayerForm::SpeedChosen(Speed speed) {
    if (speed == sound_.speed) return;
    SoundSettings changed = sound_;
    changed.speed = speed;
    ChangeClock(changed);
}

// Speed and mute may change what keeps the time: the clock restarts under the new settings
// from where playing has got to.
void PlayerForm::ChangeClock(const SoundSettings& sound) {
    const int64_t position = Position();
    sound_ = sound;
    view_.ApplySound(sound_);
    playback_.Seek(position);
    Restart();
}

void PlayerForm::VolumeChanged(int32_t percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == sound_.volumePercent) return;
    sound_.volumePercent = percent;
    view_.ApplySound(sound_);
}

void PlayerForm::MuteClick() {
    SoundSettings changed = sound_;
    changed.muted = !changed.muted;
    ChangeClock(changed);
}

std::vector<BarMenuItem> PlayerForm::BarMenuItems() {
    return BarMenu(selection_, Position(), playback_.totalMs());
}

void PlayerForm::BarMenuChosen(BarCommand command) {
    if (saving_) return;
    switch (command) {
        case BarCommand::MarkStart:
            if (!selection_.SetStart(Position())) return;
            break;
        case BarCommand::MarkEnd:
            if (!selection_.SetEnd(Position())) return;
            break;
        case BarCommand::ClearSelection:
            if (!selection_.marked()) return;
            selection_.Clear();
            break;
    }
    view_.ShowSelection(selection_);
}

void PlayerForm::SaveAsClick() {
    if (!save_ || saving_) return;
    playAfterSave_ = playback_.playing();
    if (playAfterSave_) TogglePlay();
    saving_ = true;
    // Without an end mark the copy goes to the end, wherever the export finds it.
    const TimeRange part{selection_.range().fromMs, selection_.end().value_or(-1)};
    if (!save_->Begin(part)) SaveEnded();
}

void PlayerForm::ExportFinished(const ExportResult& result) {
    if (save_) save_->Finished(result);
    SaveEnded();
}

void PlayerForm::SaveEnded() {
    if (!saving_) return;
    saving_ = false;
    if (playAfterSave_ && !playback_.playing()) TogglePlay();
    playAfterSave_ = false;
}

void PlayerForm::TimelineCut() {
    playback_.EndAt(timeline_.pacing().totalMs);
    barScale_ = BarScale(playback_.totalMs());
    markers_ = HeldFrameMarkers(timeline_);
    selection_.SetTotal(playback_.totalMs());
    view_.ShowSelection(selection_);
    dragging_ = false;
    Restart();
    view_.ShowPlaying(false);
}

void PlayerForm::ClockReplaced(int64_t elapsedMs) {
    const bool wasPlaying = playback_.playing();
    playback_.Pause(elapsedMs);
    if (wasPlaying) playback_.Play();
    Restart();
}

}  // namespace mrv::player
