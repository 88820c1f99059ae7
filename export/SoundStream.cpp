// Sound copied from the stream in bounded pieces.
#include "export/SoundStream.h"

#include <algorithm>

#include "playback/GsmWav.h"

namespace mrv::exporting {

namespace {
constexpr int64_t kPieceBytes = 64 * 1024;
}

bool SpanSource::Read(int64_t offset, std::span<uint8_t> out) {
    const int64_t n = static_cast<int64_t>(out.size());
    if (offset < 0 || offset > size() || n > size() - offset) return false;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
}

int64_t SoundBytes(std::span<const SoundRun> runs) {
    int64_t total = 0;
    for (const SoundRun& r : runs) total += r.bytes;
    return total;
}

bool CopySoundRuns(ByteSource& source, std::span<const SoundRun> runs, const ByteSink& sink) {
    std::vector<uint8_t> piece(static_cast<size_t>(kPieceBytes));
    for (const SoundRun& r : runs) {
        for (int64_t done = 0; done < r.bytes;) {
            const int64_t n = std::min(kPieceBytes, r.bytes - done);
            const std::span<uint8_t> part(piece.data(), static_cast<size_t>(n));
            if (!source.Read(r.offset + done, part) || !sink(part)) return false;
            done += n;
        }
    }
    return true;
}

bool WriteGsmWav(ByteSource& source, std::span<const SoundRun> runs, int32_t sampleRate,
                 int32_t avgBytesPerSec, const ByteSink& sink) {
    const int64_t bytes = SoundBytes(runs);
    const auto header =
        playback::GsmWavHeader(static_cast<uint32_t>(bytes), sampleRate, avgBytesPerSec);
    if (!sink(header) || !CopySoundRuns(source, runs, sink)) return false;
    const uint8_t pad = 0;
    return (bytes & 1) == 0 || sink(std::span<const uint8_t>(&pad, 1));
}

}  // namespace mrv::exporting
