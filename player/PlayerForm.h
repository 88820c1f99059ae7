// The player window's rules as a portable form: playing, keys, the position bar, held-frame
// markers, speed and volume; the window is a view that routes its messages here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "playback/TimeStretch.h"
#include "playback/Timeline.h"
#include "player/Playback.h"
#include "player/SaveFlow.h"
#include "player/Selection.h"

namespace mrv::player {

using playback::Speed;

enum class PlayerKey {
    Space,
    Left,
    Right,
    Home,
    End,
    Comma,
    Period,
    PageUp,
    PageDown,
    F11,
    Escape,
    M,
    LeftBracket,
    RightBracket,
    S,
    I,  // the selection's start at the current place
    O,  // and its end
};

inline constexpr int64_t kKeyStepMs = 5000;

// Volume, mute and speed as the user left them.
struct SoundSettings {
    int32_t volumePercent = 100;
    bool muted = false;
    Speed speed = Speed::Normal;
    bool operator==(const SoundSettings&) const = default;
};

// What the form asks of its window and of the clock that runs while playing.
class PlayerView {
  public:
    virtual ~PlayerView() = default;
    // Recording time gone by since the last restart (speed included).
    virtual int64_t ElapsedMs() = 0;
    // Starts the clock (and the sound) again at `fromMs`, or stops them when not playing.
    virtual void RestartClock(bool playing, int64_t fromMs) = 0;
    virtual void ShowPlaying(bool playing) = 0;
    // The picture, the time label and, unless the user holds the thumb, the bar.
    virtual void ShowPosition(int64_t ms, bool moveBar) = 0;
    virtual void SetFullScreen(bool fullScreen) = 0;
    virtual void ApplySound(const SoundSettings& sound) = 0;
    virtual void ReachedEnd(int64_t ms) = 0;
    // The marks on the bar and the time label's tooltip.
    virtual void ShowSelection(const Selection& selection) = 0;
};

// Where each held (annotated) frame starts, in milliseconds, in order.
std::vector<int64_t> HeldFrameMarkers(const playback::Timeline& timeline);

// The first millisecond at which `tick` is shown (a time that floors back to it).
int64_t StartMsOfTick(const playback::Timeline& timeline, int64_t tick);

// The bar position under `x` on a channel from `channelLeft` to `channelRight` (exclusive),
// which the thumb's centre spans, for a bar from 0 to `maxPosition`.
int32_t BarPositionAt(int32_t x, int32_t channelLeft, int32_t channelRight, int32_t maxPosition);
// Where the thumb's centre is at `position`: BarPositionAt's inverse, for drawing on the bar.
int32_t BarXOf(int32_t position, int32_t channelLeft, int32_t channelRight, int32_t maxPosition);

// The time label's tooltip: whether the picture is shown pixel for pixel or scaled to fit.
std::string ScaleTip(Size picture, Size shown);

class PlayerForm {
  public:
    // `save` may be null: the player then offers no saving.
    PlayerForm(PlayerView& view, const playback::Timeline& timeline, SoundSettings sound = {},
               SaveFlow* save = nullptr);

    // The window is up: show the first picture and, unless asked not to, play.
    void Start(bool play, int64_t atMs = 0);
    // On every timer tick while playing.
    void Tick();
    // A key for the player; false when it is not one of its keys.
    bool KeyDown(PlayerKey key, bool ctrl);

    void PlayClick() { TogglePlay(); }
    void FullScreenClick();
    void SetFullScreen(bool fullScreen);
    // The thumb being dragged: only the picture follows. Released (or a click that jumped):
    // playing goes on from there.
    void BarTrack(int32_t position);
    void BarRelease(int32_t position);
    void SpeedChosen(Speed speed);
    void VolumeChanged(int32_t percent);
    void MuteClick();

    // The position bar's right-click menu at the current place, and the command chosen from it.
    std::vector<BarMenuItem> BarMenuItems();
    void BarMenuChosen(BarCommand command);

    // Playing pauses while the recording is saved, and goes on afterwards where it was.
    void SaveAsClick();
    void ExportFinished(const ExportResult& result);

    // A record found damaged: the recording ends before it (the time line was cut).
    void TimelineCut();
    // The sound stopped keeping time: playing goes on from where the old clock, last read at
    // `elapsedMs`, had got to, on the new one.
    void ClockReplaced(int64_t elapsedMs);

    bool playing() const { return playback_.playing(); }
    bool dragging() const { return dragging_; }
    bool fullScreen() const { return fullScreen_; }
    int64_t Position();
    int64_t totalMs() const { return playback_.totalMs(); }
    const BarScale& barScale() const { return barScale_; }
    const std::vector<int64_t>& markers() const { return markers_; }
    const SoundSettings& sound() const { return sound_; }
    const Selection& selection() const { return selection_; }

  private:
    void TogglePlay();
    void SeekTo(int64_t ms);
    void StepRecord(int delta);
    void JumpMarker(int direction);
    void Restart();
    void ChangeClock(const SoundSettings& sound);
    void SaveEnded();

    PlayerView& view_;
    SaveFlow* save_;
    const playback::Timeline& timeline_;
    Playback playback_;
    BarScale barScale_;
    std::vector<int64_t> markers_;
    SoundSettings sound_;
    Selection selection_;
    bool dragging_ = false;
    bool fullScreen_ = false;
    bool playAfterSave_ = false;
    bool saving_ = false;
};

}  // namespace mrv::player
