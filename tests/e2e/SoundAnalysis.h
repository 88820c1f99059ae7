// The sound of a recording made by Morvanta.exe, laid out as the player plays it, set against
// its pictures: for the sound end-to-end tests.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "playback/Timeline.h"
#include "recorder/StreamReader.h"

namespace mrv::e2e {

// Prints the rate, the sound's length, its tone's frequency, how long the last tone sounds, the
// tone onsets and the picture's changes from dark to bright at (x, y), and the largest distance
// from a change to its onset.
// `reader` must be freshly opened on `stream`. With a path, the laid-out sound is also written
// there as 16-bit PCM.
int SoundReport(std::span<const uint8_t> stream, StreamReader& reader,
                const playback::Timeline& timeline, int x, int y, const std::string& pcmPath);

}  // namespace mrv::e2e
