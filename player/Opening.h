// What the player does with a file it is asked to play: play it, play it with a notice, or refuse.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "playback/Timeline.h"
#include "recorder/StreamReader.h"

namespace mrv::player {

// The player's own file carries its stream behind its image; a file the user names may also be
// a bare stream.
enum class Source { OwnFile, ChosenFile };

enum class Verdict { Play, PlayWithNotice, Refuse };

struct Opening {
    Verdict verdict = Verdict::Refuse;
    const char* message = nullptr;  // the refusal or the notice (common/Texts.h)
    std::string detail;             // why, in words for the test log
    int64_t streamOffset = 0;
};

// Opens `reader` and builds `timeline` over the stream in `file`. What survives of a cut-off or
// damaged recording is played up to its last whole record; out of memory is a refusal too.
Opening OpenRecording(std::span<const uint8_t> file, Source source, StreamReader& reader,
                      playback::Timeline& timeline);

}  // namespace mrv::player
