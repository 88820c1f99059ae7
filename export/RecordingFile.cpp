// A recording saved as what it is, the stream alone (.mrv) or behind a player (.exe): its bytes
// are copied as they are, so either kind becomes the other without recording again.
#include <algorithm>

#include "export/Export.h"
#include "export/Output.h"

namespace mrv::exporting {

namespace {
constexpr size_t kPieceBytes = size_t{1} << 20;
}  // namespace

ExportResult WriteRecordingFile(std::span<const uint8_t> stream, const ExportRequest& request,
                                const std::function<bool(const ExportProgress&)>& onProgress) {
    const bool selfPlaying = request.format == ExportFormat::Exe;
    // The copy is the recording itself: no part of it, no other speed.
    if (request.fromMs != 0 || request.toMs >= 0 || request.speed != 1.0)
        return {ExportStatus::Refused, "a recording is saved whole, at its own speed"};
    if (selfPlaying && request.player.empty())
        return {ExportStatus::Refused, "no player image to put before the stream"};
    StagedFile file(request.output);
    if (ExportResult r = file.Open(); r.status != ExportStatus::Done) return r;
    const std::span<const uint8_t> parts[] = {
        selfPlaying ? request.player : std::span<const uint8_t>{}, stream};
    const auto total = static_cast<int64_t>(parts[0].size() + parts[1].size());
    int64_t done = 0;
    for (std::span<const uint8_t> part : parts) {
        while (!part.empty()) {
            const std::span<const uint8_t> piece = part.first(std::min(part.size(), kPieceBytes));
            if (!file.Write(piece)) return file.failure();
            part = part.subspan(piece.size());
            done += static_cast<int64_t>(piece.size());
            // What was written so far goes with the staged file.
            if (onProgress && !onProgress({done, total, "copy"}))
                return {ExportStatus::Cancelled, "cancelled"};
        }
    }
    return file.Commit();
}

}  // namespace mrv::exporting
