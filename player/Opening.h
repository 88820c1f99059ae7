// What the player does with a file it is asked to play: play it, play it with a notice, or refuse.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

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
    // The stream's bitmap info for drawing its pictures, with the fields GDI must not trust
    // cleared (empty when refused).
    std::vector<uint8_t> bitmapInfo;
    // The player's own file holds no recording (the installed player, started from its
    // shortcut): it asks for one to open rather than refusing.
    bool playerAlone = false;
};

// A copy of `info` (a whole BITMAPINFOHEADER and its colour table) with biSizeImage, biClrUsed
// and biClrImportant zeroed: a hostile colour count would make GDI read past the table, which
// the reader has sized by the depth.
std::vector<uint8_t> SafeBitmapInfo(std::span<const uint8_t> info);

// The window's title: the file's name, the kind of file (a recording file holds the stream from
// its first byte) and the player's name.
std::string PlayerTitle(const std::string& recordingPath, int64_t streamOffset);

// Opens `reader` and builds `timeline` over the stream in `file`. What survives of a cut-off or
// damaged recording is played up to its last whole record; out of memory is a refusal too.
Opening OpenRecording(std::span<const uint8_t> file, Source source, StreamReader& reader,
                      playback::Timeline& timeline);

}  // namespace mrv::player
