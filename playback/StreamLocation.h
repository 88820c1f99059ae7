// Finds the recording stream that follows the player's own executable image.
#pragma once

#include <cstdint>
#include <span>

namespace mrv::playback {

enum class Located { Found, NotExecutable, NoStream };

struct StreamLocation {
    Located result = Located::NotExecutable;
    int64_t offset = 0;  // stream start when found
};

// The stream begins where the PE image ends; nothing (or less than a stream header) there
// means the player runs on its own.
StreamLocation LocateStream(std::span<const uint8_t> file);

}  // namespace mrv::playback
