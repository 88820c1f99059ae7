// The steps after a damaged record, in the order that keeps the window consistent: the sound
// stops before its time line changes, and nothing is shown until the notice has been read.
#include "player/DamageRecovery.h"

namespace mrv::player {

bool DamageRecovery::Found() {
    if (pending_) return false;
    pending_ = true;
    return true;
}

void DamageRecovery::Recover(int32_t failedRecord, const std::string& why) {
    if (!timeline_.CutAt(failedRecord)) {
        pending_ = false;
        view_.FailDamaged();  // the first record: nothing to show
        return;
    }
    view_.StopSound();
    form_.TimelineCut();
    view_.TimelineShortened();
    view_.ShowDamagedNotice("damaged: " + why);
    pending_ = false;
    view_.ShowEnd(form_.totalMs());
}

}  // namespace mrv::player
