// A record that fails to decode while playing: what came before it stays playable, the
// recording now ending where that record starts.
#pragma once

#include <cstdint>
#include <string>

#include "playback/Timeline.h"
#include "player/PlayerForm.h"

namespace mrv::player {

// What the recovery asks of the player window, in the order it asks.
class RecoveryView {
  public:
    virtual ~RecoveryView() = default;
    virtual void StopSound() = 0;
    // The time line is shorter: the sound's time line, the bar's range and the time label.
    virtual void TimelineShortened() = 0;
    // Returns once the user has read it.
    virtual void ShowDamagedNotice(const std::string& detail) = 0;
    // Playing has stopped at the new end: the last picture stays on screen.
    virtual void ShowEnd(int64_t ms) = 0;
    // Not even the first record decodes: the player closes with its damage message.
    virtual void FailDamaged() = 0;
};

class DamageRecovery {
  public:
    DamageRecovery(playback::Timeline& timeline, PlayerForm& form, RecoveryView& view)
        : timeline_(timeline), form_(form), view_(view) {}

    // Seeking to a record failed. The recovery runs once the caller is out (it shows a notice),
    // so this is true only for the first report: the window then comes back to Recover.
    bool Found();
    // While pending the window shows no new picture and its timer waits.
    bool pending() const { return pending_; }
    void Recover(int32_t failedRecord, const std::string& why);

  private:
    playback::Timeline& timeline_;
    PlayerForm& form_;
    RecoveryView& view_;
    bool pending_ = false;
};

}  // namespace mrv::player
