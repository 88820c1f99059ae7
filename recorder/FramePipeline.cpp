// The compression pool and the in-order writer behind the recorder's frame writing.
#include "recorder/FramePipeline.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <system_error>

#include "common/Texts.h"
#include "recorder/ZlibCompressor.h"

namespace mrv {

namespace {

class ZlibPayloadCompressor final : public PayloadCompressor {
  public:
    void Compress(std::span<const uint8_t> input, std::vector<uint8_t>& out) override {
        zlib_.Compress(input, out);
    }

  private:
    ZlibCompressor zlib_;
};

}  // namespace

int DefaultCompressionWorkers() {
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores - 1, 1, kMaxCompressionWorkers);
}

CompressorFactory ZlibCompressors() {
    return [] { return std::make_unique<ZlibPayloadCompressor>(); };
}

FramePipeline::FramePipeline(int workers, CompressorFactory compressors, PipelineObserver* observer,
                             std::function<void()> workerStart)
    : workerCount_(std::clamp(workers, 0, kMaxCompressionWorkers)),
      compressors_(std::move(compressors)),
      workerStart_(std::move(workerStart)),
      observer_(observer) {
    // The caller fills one tick buffer while the others are in flight; a slack of one lets a
    // worker start on the next tick while an earlier record still waits for its turn to be
    // written, within the memory of kMaxTickBuffers whole screens.
    const int inFlight = workerCount_ == 0 ? 1 : std::min(workerCount_ + 1, kMaxTickBuffers - 1);
    slots_.resize(static_cast<size_t>(inFlight));
}

FramePipeline::~FramePipeline() { Finish(); }

void FramePipeline::Reserve(size_t maxPayloadBytes) {
    for (Slot& slot : slots_) {
        slot.payload.clear();
        slot.payload.reserve(maxPayloadBytes);
        slot.record.clear();
        slot.record.reserve(kFrameHeaderSize + 0xFFFF + 65536);
    }
}

void FramePipeline::Start(OutputFile& file) {
    Finish();
    std::lock_guard lock(mutex_);
    file_ = &file;
    stopping_ = false;
    nextIndex_ = nextToWrite_ = 0;
    failed_ = false;
    failure_.clear();
    writtenBytes_ = 0;
    lostTicks_ = lostHolds_ = 0;
    stalls_ = 0;
    lastWaitMs_ = 0;
    for (Slot& slot : slots_) slot.state = SlotState::Free;
    if (workerCount_ == 0 || !compressors_) {
        inlineCompressor_ = compressors_ ? compressors_() : nullptr;
        return;
    }
    // A pool that cannot start every thread runs with those it has; with none, inline.
    try {
        for (int i = 0; i < workerCount_; ++i) threads_.emplace_back([this] { WorkerLoop(); });
    } catch (const std::system_error&) {
    }
    if (threads_.empty()) inlineCompressor_ = compressors_();
}

void FramePipeline::Submit(std::vector<uint8_t>& payload, const FrameHeader& header,
                           std::span<const uint8_t> audio, uint8_t hold) {
    std::unique_lock lock(mutex_);
    Slot* slot = FreeSlot();
    lastWaitMs_ = 0;
    if (slot == nullptr) {
        // Back-pressure: every buffer is in flight, so this tick waits for the oldest record.
        ++stalls_;
        const auto waitStart = std::chrono::steady_clock::now();
        slotFreed_.wait(lock, [&] { return (slot = FreeSlot()) != nullptr; });
        lastWaitMs_ =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - waitStart)
                .count();
    }
    slot->payload.swap(payload);
    payload.clear();
    if (failed_ || file_ == nullptr) {
        // Nothing is written after a failed write; the record only counts as lost.
        slot->payload.clear();
        lostTicks_ += 1 + hold;
        lostHolds_ += hold;
        return;
    }
    slot->index = nextIndex_++;
    slot->header = header;
    slot->header.holdTicks = hold;
    slot->header.audioSize = static_cast<uint16_t>(audio.size());
    slot->failed = false;
    slot->record.assign(kFrameHeaderSize, 0);
    slot->record.insert(slot->record.end(), audio.begin(), audio.end());
    slot->state = SlotState::Queued;
    if (threads_.empty()) {
        lock.unlock();
        CompressSlot(*slot, *inlineCompressor_);
        lock.lock();
        slot->state = SlotState::Compressed;
        WriteInOrder(lock);
        return;
    }
    queue_.push_back(slot);
    workReady_.notify_one();
}

void FramePipeline::WorkerLoop() {
    if (workerStart_) workerStart_();
    // Each worker keeps its own zlib state for the whole recording.
    std::unique_ptr<PayloadCompressor> compressor;
    try {
        compressor = compressors_();
    } catch (const std::bad_alloc&) {
    }
    std::unique_lock lock(mutex_);
    for (;;) {
        workReady_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        Slot& slot = *queue_.front();
        queue_.pop_front();
        if (!failed_) {
            lock.unlock();
            if (compressor) {
                CompressSlot(slot, *compressor);
            } else {
                slot.failed = true;
            }
            lock.lock();
        }
        slot.state = SlotState::Compressed;
        WriteInOrder(lock);
    }
}

void FramePipeline::CompressSlot(Slot& slot, PayloadCompressor& compressor) {
    const double start = observer_ ? observer_->ThreadCpuMs() : 0;
    const size_t prefix = slot.record.size();
    try {
        compressor.Compress(slot.payload, slot.record);
        slot.header.payloadSize = static_cast<int32_t>(slot.record.size() - prefix);
        const auto bytes = EncodeFrameHeader(slot.header);
        std::copy(bytes.begin(), bytes.end(), slot.record.begin());
    } catch (const std::bad_alloc&) {
        slot.failed = true;
    }
    slot.payload.clear();
    if (observer_) slot.compressMs = observer_->ThreadCpuMs() - start;
}

// Whoever finds the next record compressed writes it and every one after it that is ready;
// the others leave theirs to that thread, so one thread at a time touches the file.
void FramePipeline::WriteInOrder(std::unique_lock<std::mutex>& lock) {
    if (writing_) return;
    writing_ = true;
    for (Slot* slot;
         (slot = SlotWithIndex(nextToWrite_)) != nullptr && slot->state == SlotState::Compressed;) {
        bool written = false;
        if (!failed_) {
            lock.unlock();
            const double start = observer_ ? observer_->ThreadCpuMs() : 0;
            written = !slot->failed && file_->Append(slot->record);
            std::string error;
            if (!written) error = slot->failed ? text::kOutOfMemory : file_->LastError();
            if (written && observer_) {
                observer_->RecordWritten(slot->index, slot->record, slot->compressMs,
                                         observer_->ThreadCpuMs() - start);
            }
            lock.lock();
            if (written) {
                writtenBytes_ += static_cast<int64_t>(slot->record.size());
            } else {
                failed_ = true;
                failure_ = std::move(error);
            }
        }
        if (!written) {
            lostTicks_ += 1 + slot->header.holdTicks;
            lostHolds_ += slot->header.holdTicks;
        }
        slot->state = SlotState::Free;
        ++nextToWrite_;
        slotFreed_.notify_all();
    }
    writing_ = false;
}

FramePipeline::Slot* FramePipeline::FreeSlot() {
    for (Slot& slot : slots_) {
        if (slot.state == SlotState::Free) return &slot;
    }
    return nullptr;
}

FramePipeline::Slot* FramePipeline::SlotWithIndex(uint64_t index) {
    for (Slot& slot : slots_) {
        if (slot.state != SlotState::Free && slot.index == index) return &slot;
    }
    return nullptr;
}

bool FramePipeline::Drain() {
    std::unique_lock lock(mutex_);
    slotFreed_.wait(lock, [&] { return nextToWrite_ == nextIndex_; });
    return !failed_;
}

void FramePipeline::Finish() {
    {
        std::unique_lock lock(mutex_);
        slotFreed_.wait(lock, [&] { return nextToWrite_ == nextIndex_; });
        stopping_ = true;
    }
    workReady_.notify_all();
    for (std::thread& t : threads_) t.join();
    threads_.clear();
    inlineCompressor_.reset();
    std::lock_guard lock(mutex_);
    file_ = nullptr;
}

bool FramePipeline::Failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

std::string FramePipeline::FailureText() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

int64_t FramePipeline::WrittenBytes() const {
    std::lock_guard lock(mutex_);
    return writtenBytes_;
}

int32_t FramePipeline::LostTicks() const {
    std::lock_guard lock(mutex_);
    return lostTicks_;
}

int32_t FramePipeline::LostHolds() const {
    std::lock_guard lock(mutex_);
    return lostHolds_;
}

uint64_t FramePipeline::Stalls() const {
    std::lock_guard lock(mutex_);
    return stalls_;
}

double FramePipeline::LastWaitMs() const {
    std::lock_guard lock(mutex_);
    return lastWaitMs_;
}

}  // namespace mrv
