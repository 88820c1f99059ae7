// Click state: the hook's writes and the tick's take meet in one atomic byte.
#include "recorder/ClickState.h"

#include "recorder/StreamFormat.h"

namespace mrv {

namespace {

constexpr uint32_t kWmLButtonDown = 0x0201;
constexpr uint32_t kWmRButtonDown = 0x0204;

}  // namespace

// An atomic rather than a mutex or a posted message: the hook must never wait for the
// user-interface thread (a slow tick would hold up every mouse event of the desktop, and Windows
// drops a hook that keeps it waiting), and the state is one byte that a later press overwrites.
void ClickState::OnMouseMessage(int nCode, uint32_t message) {
    if (nCode < 0) return;
    if (message == kWmLButtonDown) click_.store(static_cast<uint8_t>(Click::Left));
    if (message == kWmRButtonDown) click_.store(static_cast<uint8_t>(Click::Right));
}

// Reading and clearing in one exchange: a press that lands between a separate read and clear
// would be lost, and one read twice would be reported by two records.
uint8_t ClickState::Take() { return click_.exchange(0); }

void ClickState::Clear() { click_.store(0); }

}  // namespace mrv
