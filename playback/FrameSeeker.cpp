// Snapshot placement: spread by compressed bytes, which is what inflating costs, so a seek
// never replays more than about 1/N of the recording's payload.
#include "playback/FrameSeeker.h"

#include <algorithm>

namespace mrv::playback {

namespace {
constexpr int64_t kPerRecordCost = 512;  // inflate set-up and bookkeeping, in byte terms
}  // namespace

FrameSeeker::FrameSeeker(StreamReader& reader, const Timeline& timeline, int64_t budgetBytes,
                         int64_t minSpacingBytes)
    : reader_(reader) {
    reader_.Rewind();  // snapshots are taken on the way, so start where they can all be
    const auto& records = timeline.records();
    const int64_t frameBytes = std::max<int64_t>(reader.geometry().frameBytes, 1);
    const int64_t maxSnapshots = std::clamp<int64_t>(budgetBytes / frameBytes, 0, 4096);
    if (maxSnapshots == 0 || records.empty()) return;

    std::vector<int64_t> cost(records.size());
    int64_t total = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const int64_t end = i + 1 < records.size() ? records[i + 1].offset : records[i].offset;
        total += std::max<int64_t>(end - records[i].offset, 0) + kPerRecordCost;
        cost[i] = total;
    }
    const int64_t spacing =
        std::max<int64_t>(total / (maxSnapshots + 1), std::max<int64_t>(minSpacingBytes, 1));
    int64_t next = spacing;
    for (size_t i = 0; i < records.size(); ++i) {
        if (cost[i] >= next) {
            Point p;
            p.recordsRead = static_cast<int32_t>(i + 1);
            points_.push_back(std::move(p));
            next = cost[i] + spacing;
            if (static_cast<int64_t>(points_.size()) == maxSnapshots) break;
        }
    }
}

int32_t FrameSeeker::snapshotsTaken() const {
    return static_cast<int32_t>(
        std::count_if(points_.begin(), points_.end(), [](const Point& p) { return p.taken; }));
}

bool FrameSeeker::GoTo(int32_t record) {
    recordsDecoded_ = 0;
    const int32_t target = record + 1;
    const int32_t now = reader_.recordIndex();
    // The latest snapshot at or before the target.
    const Point* best = nullptr;
    for (const Point& p : points_) {
        if (p.recordsRead > target) break;
        if (p.taken) best = &p;
    }
    const int32_t bestAt = best ? best->recordsRead : 0;
    if (now > target || now < bestAt) {
        if (best) {
            reader_.Restore(best->snapshot);
        } else {
            reader_.Rewind();
        }
    }
    auto nextPoint = std::lower_bound(points_.begin(), points_.end(), reader_.recordIndex() + 1,
                                      [](const Point& p, int32_t n) { return p.recordsRead < n; });
    while (reader_.recordIndex() < target) {
        if (reader_.ReadNext() != StreamReader::Next::Frame) return false;
        ++recordsDecoded_;
        if (nextPoint != points_.end() && nextPoint->recordsRead == reader_.recordIndex()) {
            if (!nextPoint->taken) {
                reader_.Save(nextPoint->snapshot);
                nextPoint->taken = true;
            }
            ++nextPoint;
        }
    }
    return true;
}

}  // namespace mrv::playback
