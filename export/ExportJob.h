// What every kind of export shares: the opened recording, its pictures with the cursor, the
// sound laid out as the player plays it, and the job's progress, cancel and helper programs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "export/ChildProcess.h"
#include "export/Export.h"
#include "export/ExportPlan.h"
#include "export/Picture.h"
#include "export/SoundStream.h"
#include "playback/AudioTimeline.h"
#include "playback/Timeline.h"
#include "recorder/StreamReader.h"

namespace mrv::exporting {

struct Recording {
    std::span<const uint8_t> stream;
    StreamReader reader;
    playback::Timeline timeline;
    playback::AudioTimeline audio;
    AudioRate rate{0, 0};
    std::vector<int64_t> firstTicks;  // of every record
    RgbImage full;                    // a picture before it is scaled
};

// The records whose pictures a selection shows, [first, end): those before it are still read,
// as the pictures build on them, and those after it are not.
struct RecordRange {
    size_t first = 0;
    size_t end = 0;
};
RecordRange RecordsShown(const Recording& rec, const Selection& selection);

// The request's selection in this recording, or Refused with the reason.
ExportResult SelectionOf(const Recording& rec, const ExportRequest& request, Selection& out);

// The size the request's pictures are saved at.
PictureSize SavedSize(const Recording& rec, const ExportRequest& request);

// Opens the stream for export; Refused with the reason when it cannot be exported. A stream
// cut off in the middle of a record exports its complete records, after `notice`.
ExportResult OpenRecording(std::span<const uint8_t> stream, Recording& rec,
                           const std::function<void(const std::string&)>& notice);

// Reads the next record into `image` with the cursor and a recent press drawn on it.
ExportResult NextPicture(Recording& rec, size_t record, RgbImage& image);
// The same at `size`, or, for a record before `range`, only read.
ExportResult NextPicture(Recording& rec, size_t record, const RecordRange& range, PictureSize size,
                         RgbImage& image);

// Where the sound lies: every record's whole blocks, in order; and where it ends, in samples.
std::vector<SoundRun> SoundRuns(const playback::AudioTimeline& audio);
int64_t SoundEnd(const playback::AudioTimeline& audio);
GsmSound SoundOf(const Recording& rec);

// Progress, cancel and the helper programs of one export, shared by the worker that does the
// work and the thread that reports progress.
class Job {
  public:
    explicit Job(int64_t totalMs) : totalMs_(totalMs) {}
    // The worker reached recording time `doneMs` of `stage`; waits until the progress is
    // reported, so that every record is; false once cancelled.
    bool Step(const char* stage, int64_t doneRecords, int64_t totalRecords, int64_t doneMs);
    bool cancelled() const { return cancelled_; }
    void Cancel();
    // A helper program that Cancel ends at once.
    void Attach(ChildProcess* child);
    void Detach(ChildProcess* child);

    // Runs `work` on a worker thread and reports its progress on this one.
    ExportResult Supervise(const std::function<ExportResult()>& work,
                           const std::function<bool(const ExportProgress&)>& onProgress);

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    ExportProgress progress_{0, 0};
    uint64_t steps_ = 0;     // progress changes made by the worker
    uint64_t reported_ = 0;  // of which the reporting thread has passed on
    int64_t totalMs_;
    bool finished_ = false;
    std::atomic<bool> cancelled_{false};
    std::vector<ChildProcess*> children_;
};

// The recording's sound as the player plays it, 16-bit mono, little-endian, the pieces that
// `cut` keeps (KeptSamples: to the last sound, or to the end of a selection that ends early),
// handed to `sink` piece by piece. Reports
// progress as `stage`, or (null) only watches for a cancel.
ExportResult LaySound(Recording& rec, playback::GsmDecoder& decoder, const TimeMap& cut, Job& job,
                      const std::function<bool(std::span<const uint8_t>)>& sink, const char* stage);

// LaySound played `halves` / 2 as fast, time-stretched as the player plays it (the pitch kept):
// AtSpeed of the kept samples in all.
ExportResult LaySoundAtSpeed(Recording& rec, playback::GsmDecoder& decoder, const TimeMap& cut,
                             int32_t halves, Job& job,
                             const std::function<bool(std::span<const uint8_t>)>& sink,
                             const char* stage);

// The stretches where sound is heard, for cutting idle time.
ExportResult HeardSound(Recording& rec, GsmDecoderFactory& decoders, Job& job,
                        std::vector<Busy>& busy);

// MP4, or a GIF through ffmpeg's two-pass palette.
ExportResult ExportThroughFfmpeg(Recording& rec, const ExportRequest& request, const TimeMap& cut,
                                 GsmDecoderFactory& decoders, Job& job);

}  // namespace mrv::exporting
