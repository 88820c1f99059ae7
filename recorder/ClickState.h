// The last mouse-button press since the previous record, set on the mouse hook's thread and
// taken by the tick on the user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "recorder/Platform.h"

namespace mrv {

class ClickState final : public MouseSink {
  public:
    // Called on the hook's thread for every mouse event.
    void OnMouseMessage(int nCode, uint32_t message) override;
    // The press since the last take (0 none, 1 left, 2 right), cleared in the same step.
    uint8_t Take();
    void Clear();

  private:
    std::atomic<uint8_t> click_{0};
};

}  // namespace mrv
