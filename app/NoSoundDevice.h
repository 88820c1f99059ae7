// A sound device that never opens, in place of the wave-in component until that is built: a
// recording with Sound ticked shows the device notice and goes on without sound.
#pragma once

#include <memory>

#include "recorder/Platform.h"

namespace mrv::app {

class NoSoundDevice final : public AudioFactory {
  public:
    std::unique_ptr<AudioInput> Create(AudioSink&) override { return nullptr; }
};

}  // namespace mrv::app
