// Fuzz entry for the stream reader and the PE overlay finder: any bytes, no crash, no overrun,
// no unbounded allocation.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "recorder/PeOverlay.h"
#include "recorder/StreamReader.h"

namespace {
// Small enough that a hostile frame size is refused quickly, large enough for real screens.
constexpr int64_t kFuzzMaxFrameBytes = 4 << 20;
constexpr int kMaxRecords = 100000;

void ReadAll(std::span<const uint8_t> bytes) {
    mrv::StreamReader reader;
    if (!reader.Open(bytes, kFuzzMaxFrameBytes)) return;
    (void)reader.colorTable();
    mrv::StreamReader::Snapshot snapshot;
    bool saved = false;
    for (int i = 0; i < kMaxRecords; ++i) {
        if (reader.ReadNext() != mrv::StreamReader::Next::Frame) break;
        if (reader.image().size() != static_cast<size_t>(reader.geometry().frameBytes)) abort();
        if (i == 0) {
            reader.Save(snapshot);
            saved = true;
        }
    }
    // Seeking back must leave the reader as usable as before.
    if (saved) {
        reader.Restore(snapshot);
        (void)reader.ReadNext();
    }
    reader.Rewind();
    (void)reader.ReadNext();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    ReadAll(bytes);
    if (const auto overlay = mrv::FindPeOverlay(bytes)) {
        if (*overlay < 0 || *overlay > static_cast<int64_t>(size)) abort();
        ReadAll(bytes.subspan(static_cast<size_t>(*overlay)));
    }
    return 0;
}
