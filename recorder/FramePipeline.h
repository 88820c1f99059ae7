// Compresses tick payloads on worker threads and appends their records to the file in tick order.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "recorder/Platform.h"
#include "recorder/StreamFormat.h"

namespace mrv {

inline constexpr int kMaxCompressionWorkers = 4;
// Tick buffers of a whole screen each, the one being filled included.
inline constexpr int kMaxTickBuffers = 4;

// One worker per core beyond the first, from 1 to kMaxCompressionWorkers.
int DefaultCompressionWorkers();

class PayloadCompressor {
  public:
    virtual ~PayloadCompressor() = default;
    // Appends the complete compressed stream of `input` to `out`.
    virtual void Compress(std::span<const uint8_t> input, std::vector<uint8_t>& out) = 0;
};

using CompressorFactory = std::function<std::unique_ptr<PayloadCompressor>()>;
CompressorFactory ZlibCompressors();

// Sees every record as it reaches the file, on the thread that wrote it (benchmarks).
class PipelineObserver {
  public:
    virtual ~PipelineObserver() = default;
    virtual double ThreadCpuMs() = 0;  // the clock the workers' share is measured with
    virtual void RecordWritten(uint64_t index, std::span<const uint8_t> record, double compressMs,
                               double writeMs) = 0;
};

class FramePipeline {
  public:
    // `workers` 0 compresses and writes on the calling thread, through the same steps.
    // `workerStart` runs first on each worker's thread (may be empty).
    FramePipeline(int workers, CompressorFactory compressors, PipelineObserver* observer = nullptr,
                  std::function<void()> workerStart = {});
    ~FramePipeline();
    FramePipeline(const FramePipeline&) = delete;
    FramePipeline& operator=(const FramePipeline&) = delete;

    // Allocates the tick buffers for payloads of up to `maxPayloadBytes`; may throw bad_alloc.
    void Reserve(size_t maxPayloadBytes);
    // Begins appending records to `file`, which must stay open until Finish.
    void Start(OutputFile& file);
    // Hands one record over: `payload` (swapped for an empty tick buffer), the header's cursor
    // and click, the audio (copied), the hold. Waits for the oldest record when every buffer is
    // in flight. After a failed write it only counts the record as lost.
    void Submit(std::vector<uint8_t>& payload, const FrameHeader& header,
                std::span<const uint8_t> audio, uint8_t hold);
    // Waits until every record handed over is written or dropped; false after a failed write.
    bool Drain();
    // Drains and ends the workers; the file is no longer touched.
    void Finish();

    bool Failed() const;
    std::string FailureText() const;  // the file's text for the failed write
    int64_t WrittenBytes() const;
    // Ticks (1 + hold each) and hold ticks of the records that never reached the file.
    int32_t LostTicks() const;
    int32_t LostHolds() const;
    uint64_t Stalls() const;    // hand-overs that had to wait for a free buffer
    double LastWaitMs() const;  // wall time the last hand-over waited
    int workers() const { return workerCount_; }

  private:
    enum class SlotState { Free, Queued, Compressed };
    struct Slot {
        SlotState state = SlotState::Free;
        uint64_t index = 0;
        std::vector<uint8_t> payload;
        std::vector<uint8_t> record;  // header, audio, compressed payload
        FrameHeader header;
        bool failed = false;  // compression ran out of memory
        double compressMs = 0;
    };

    void WorkerLoop();
    void CompressSlot(Slot& slot, PayloadCompressor& compressor);
    void WriteInOrder(std::unique_lock<std::mutex>& lock);
    Slot* FreeSlot();
    Slot* SlotWithIndex(uint64_t index);

    const int workerCount_;
    CompressorFactory compressors_;
    std::function<void()> workerStart_;
    PipelineObserver* observer_;
    std::unique_ptr<PayloadCompressor> inlineCompressor_;

    mutable std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable slotFreed_;
    std::vector<Slot> slots_;
    std::deque<Slot*> queue_;
    std::vector<std::thread> threads_;
    OutputFile* file_ = nullptr;
    bool stopping_ = false;
    bool writing_ = false;
    uint64_t nextIndex_ = 0;
    uint64_t nextToWrite_ = 0;
    bool failed_ = false;
    std::string failure_;
    int64_t writtenBytes_ = 0;
    int32_t lostTicks_ = 0;
    int32_t lostHolds_ = 0;
    uint64_t stalls_ = 0;
    double lastWaitMs_ = 0;
};

}  // namespace mrv
