// Stream location through the PE overlay, never through a size written into the player.
#include "playback/StreamLocation.h"

#include "recorder/PeOverlay.h"
#include "recorder/StreamFormat.h"

namespace mrv::playback {

StreamLocation LocateStream(std::span<const uint8_t> file) {
    const auto overlay = FindPeOverlay(file);
    if (!overlay) return {Located::NotExecutable, 0};
    const int64_t after = static_cast<int64_t>(file.size()) - *overlay;
    if (after < kStreamHeaderSize) return {Located::NoStream, *overlay};
    return {Located::Found, *overlay};
}

}  // namespace mrv::playback
