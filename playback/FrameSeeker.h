// Brings the shared reader to any record, keeping snapshots so that going back stays quick.
#pragma once

#include <cstdint>
#include <vector>

#include "playback/Timeline.h"
#include "recorder/StreamReader.h"

namespace mrv::playback {

// Memory the snapshots of one recording may take together.
inline constexpr int64_t kSnapshotBudgetBytes = 256LL * 1024 * 1024;
// Below this many stream bytes between two snapshots, replaying is cheaper than the copy.
inline constexpr int64_t kMinSnapshotSpacingBytes = 4 * 1024 * 1024;

class FrameSeeker {
  public:
    // `reader` is open on the stream that `timeline` indexes; both must outlive the seeker.
    FrameSeeker(StreamReader& reader, const Timeline& timeline,
                int64_t budgetBytes = kSnapshotBudgetBytes,
                int64_t minSpacingBytes = kMinSnapshotSpacingBytes);

    // Makes the reader's image the picture of `record`; false when a record on the way is
    // damaged (the reader's error() says why).
    bool GoTo(int32_t record);

    // Records inflated by the last GoTo, to measure what a seek costs.
    int64_t recordsDecoded() const { return recordsDecoded_; }
    int32_t snapshotsTaken() const;

  private:
    struct Point {
        int32_t recordsRead = 0;  // reader state after this many records
        bool taken = false;
        StreamReader::Snapshot snapshot;
    };

    StreamReader& reader_;
    std::vector<Point> points_;
    int64_t recordsDecoded_ = 0;
};

}  // namespace mrv::playback
