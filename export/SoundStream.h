// The recording's sound read piece by piece at 64-bit stream offsets and written out as it goes,
// so that neither its size nor its position in the file is limited by memory or by `long`.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace mrv::exporting {

// Bytes of a recording stream at any 64-bit offset.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual int64_t size() const = 0;
    // False when [offset, offset + out.size()) is not all inside the source.
    virtual bool Read(int64_t offset, std::span<uint8_t> out) = 0;
};

// A stream held in memory.
class SpanSource : public ByteSource {
  public:
    explicit SpanSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    int64_t size() const override { return static_cast<int64_t>(bytes_.size()); }
    bool Read(int64_t offset, std::span<uint8_t> out) override;

  private:
    std::span<const uint8_t> bytes_;
};

// Where one record's whole GSM 6.10 blocks lie in the stream.
struct SoundRun {
    int64_t offset = 0;
    int64_t bytes = 0;
};

// Receives the output piece by piece; false stops the writing.
using ByteSink = std::function<bool(std::span<const uint8_t>)>;

int64_t SoundBytes(std::span<const SoundRun> runs);

// Copies the runs' bytes in order to `sink`, through a buffer of bounded size.
bool CopySoundRuns(ByteSource& source, std::span<const SoundRun> runs, const ByteSink& sink);

// A GSM 6.10 WAV file of the runs (header, blocks, pad byte), written piece by piece. The caller
// checks the size first (CheckWavSize).
bool WriteGsmWav(ByteSource& source, std::span<const SoundRun> runs, int32_t sampleRate,
                 int32_t avgBytesPerSec, const ByteSink& sink);

}  // namespace mrv::exporting
