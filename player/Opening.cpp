// Opening a recording: where its stream starts, whether it can be read, how much of it plays.
#include "player/Opening.h"

#include <algorithm>
#include <new>

#include "common/PathText.h"
#include "common/Texts.h"
#include "playback/StreamLocation.h"

namespace mrv::player {

namespace {

Opening Refuse(const char* message, std::string detail) {
    Opening o;
    o.message = message;
    o.detail = std::move(detail);
    return o;
}

Opening Check(std::span<const uint8_t> file, Source source, StreamReader& reader,
              playback::Timeline& timeline) {
    const playback::StreamLocation where = playback::LocateStream(file);
    int64_t offset = where.offset;
    if (where.result == playback::Located::NotExecutable && source == Source::ChosenFile) {
        offset = 0;  // a bare stream, as mrvtool also reads them
    } else if (where.result != playback::Located::Found) {
        Opening alone = Refuse(text::kPlayerNoRecording, "no stream after the image");
        alone.playerAlone =
            where.result == playback::Located::NoStream && source == Source::OwnFile;
        return alone;
    }
    const auto stream = file.subspan(static_cast<size_t>(offset));
    if (!reader.Open(stream)) return Refuse(text::kPlayerDamaged, "header: " + reader.error());

    Opening o;
    o.streamOffset = offset;
    o.verdict = Verdict::Play;
    o.bitmapInfo = SafeBitmapInfo(reader.bitmapInfo());
    const playback::Timeline::Scan scan = timeline.Build(stream, reader.header());
    if (scan == playback::Timeline::Scan::Complete) return o;
    // Whatever lies before the first fault plays; a notice says why it ends early.
    const bool truncated = scan == playback::Timeline::Scan::Truncated;
    o.detail = (truncated ? "truncated: " : "damaged: ") + timeline.error();
    if (timeline.records().empty()) {
        o.verdict = Verdict::Refuse;
        o.bitmapInfo.clear();
        o.message = truncated ? text::kPlayerTruncated : text::kPlayerDamaged;
    } else {
        o.verdict = Verdict::PlayWithNotice;
        o.message = truncated ? text::kPlayerTruncatedNotice : text::kPlayerDamagedNotice;
    }
    return o;
}

}  // namespace

std::vector<uint8_t> SafeBitmapInfo(std::span<const uint8_t> info) {
    std::vector<uint8_t> safe(info.begin(), info.end());
    constexpr size_t kSizeImage = 20, kClrUsed = 32, kClrImportantEnd = 40;
    if (safe.size() < kClrImportantEnd) return {};
    std::fill(safe.begin() + kSizeImage, safe.begin() + kSizeImage + 4, 0);
    std::fill(safe.begin() + kClrUsed, safe.begin() + kClrImportantEnd, 0);
    return safe;
}

std::string PlayerTitle(const std::string& recordingPath, int64_t streamOffset) {
    const char* kind = streamOffset == 0 ? text::kPlayerKindFile : text::kPlayerKindProgram;
    return path::FileName(recordingPath) + " - " + kind + " - " + text::kPlayerTitle;
}

Opening OpenRecording(std::span<const uint8_t> file, Source source, StreamReader& reader,
                      playback::Timeline& timeline) {
    try {
        return Check(file, source, reader, timeline);
    } catch (const std::bad_alloc&) {
        return Refuse(text::kPlayerOutOfMemory, "out of memory while opening");
    }
}

}  // namespace mrv::player
