// The wave-in component's rules: the ring of capture buffers, the deliveries and the device's
// failures. The device gives PCM (the platform's wave mapper cannot be relied on to give GSM),
// and the platform's codec turns whole blocks of it into GSM 6.10.
#include "audio/GSM610In.h"

#include <algorithm>
#include <cstring>

namespace mrv::audio {

TGSM610In::TGSM610In(std::unique_ptr<WaveInDevice> device, std::unique_ptr<GsmEncoder> encoder)
    : device_(std::move(device)), encoder_(std::move(encoder)) {
    device_->Bind(*this);
}

TGSM610In::~TGSM610In() {
    if (active_) Close();
    destroying_ = true;
    // The device first, with any notification still queued: one that failed to close closes
    // now, while the buffers it may still write into exist.
    device_.reset();
    bufferList_.clear();
    retired_.clear();
}

void TGSM610In::SetBufferSize(uint32_t value) {
    if (!active_) bufferSize_ = value;
}

void TGSM610In::SetNumBuffers(uint8_t value) {
    if (!active_) numBuffers_ = std::clamp(value, kMinBuffers, kMaxBuffers);
}

size_t TGSM610In::CaptureBufferBytes() const {
    return bufferSize_ / kGsmBlockBytes * kPcmBlockBytes;
}

size_t TGSM610In::CaptureBufferCount() const {
    // Each capture buffer is one delivery of whole blocks; enough of them to hold at least the
    // sound of NumBuffers full BufferSize deliveries.
    const size_t perBuffer = bufferSize_ / kGsmBlockBytes * kGsmBlockBytes;
    if (perBuffer == 0) return 0;
    return (size_t{numBuffers_} * bufferSize_ + perBuffer - 1) / perBuffer;
}

void TGSM610In::Open(int32_t sampleRate, int32_t avgBytesPerSec) {
    if (active_) return;
    if (bufferSize_ < kGsmBlockBytes || sampleRate <= 0) {
        WaveError("WaveIn-Open", kWaveInvalidParam);
        return;
    }
    if (const uint32_t r = device_->Open(sampleRate); r != kWaveOk) {
        WaveError("WaveIn-Open", r);
        return;
    }
    ++opens_;
    // The device has closed its earlier handle before opening this one.
    retired_.clear();
    // No codec for the rate means no sound at all: a failed open as well.
    if (const uint32_t r = encoder_->Open(sampleRate, avgBytesPerSec); r != kWaveOk) {
        device_->Close();
        WaveError("Acm-Open", r);
        return;
    }
    packer_ = GsmBlockPacker(bufferSize_);
    silentBytesToGo_ = size_t{kSilentInputSeconds} * static_cast<size_t>(sampleRate) * 2;
    const size_t count = CaptureBufferCount();
    for (size_t i = 0; i < count; ++i) AddBuffer();
    if (const uint32_t r = device_->Start(); r != kWaveOk) WaveError("WaveIn-Start", r);
    active_ = true;
}

void TGSM610In::AddBuffer() {
    auto buffer = std::make_unique<Buffer>();
    buffer->data.resize(CaptureBufferBytes());
    buffer->header = device_->MakeHeader(buffer->data);
    WaveHeader& header = *buffer->header;
    bufferList_.push_back(std::move(buffer));
    if (const uint32_t r = device_->Prepare(header); r != kWaveOk) {
        WaveError("WaveIn-PrepareHeader", r);
    }
    if (const uint32_t r = device_->AddBuffer(header); r != kWaveOk) {
        WaveError("WaveIn-AddBuffer", r);
        return;
    }
    queued_.push_back(bufferList_.back().get());
}

TGSM610In::Buffer* TGSM610In::Find(const void* tag) {
    for (auto& b : bufferList_) {
        if (b->header->Tag() == tag) return b.get();
    }
    return nullptr;
}

void TGSM610In::BufferDone(const void* tag, uint32_t open) {
    // A return from an earlier open may name the address of one of this open's buffers.
    if (open != opens_) return;
    if (!active_) {
        // Buffers handed back by Close's reset: their sound is dropped.
        if (!destroying_) FreeBuffer(tag);
        return;
    }
    // Only a buffer the device holds counts: a notification may name one that Close has freed
    // or that HandOver has already delivered.
    const auto queued = std::find_if(queued_.begin(), queued_.end(),
                                     [tag](const Buffer* b) { return b->header->Tag() == tag; });
    if (queued == queued_.end()) return;
    Buffer* buffer = *queued;
    queued_.erase(queued);
    // Every returned buffer reaches the owner at least once, with no bytes if no block completed.
    if (Convert(*buffer) == 0) Deliver({});
    // A throwing handler leaves the buffer out of the circulation (it stays listed until Close);
    // so does a handler that closed the component.
    if (!active_ || Find(tag) != buffer) return;

    WaveHeader& header = *buffer->header;
    if (const uint32_t r = device_->Unprepare(header); r != kWaveOk) {
        WaveError("WaveIn-UnprepareHeader", r);
    }
    header.Clear();
    std::fill(buffer->data.begin(), buffer->data.end(), uint8_t{0});
    if (const uint32_t r = device_->Prepare(header); r != kWaveOk) {
        WaveError("WaveIn-PrepareHeader", r);
    }
    if (const uint32_t r = device_->AddBuffer(header); r != kWaveOk) {
        WaveError("WaveInAddBuffer", r);
        return;
    }
    queued_.push_back(buffer);
}

int TGSM610In::Convert(Buffer& buffer) {
    const size_t recorded = std::min<size_t>(buffer.header->BytesRecorded(), buffer.data.size());
    // A copy, so that a handler that closes the component cannot pull the bytes from under us.
    const std::vector<uint8_t> pcm(buffer.data.begin(),
                                   buffer.data.begin() + static_cast<ptrdiff_t>(recorded));
    WatchForSilence(pcm);
    if (!active_) return 0;
    return packer_.Feed(pcm, *encoder_, [this](std::span<const uint8_t> gsm) { Deliver(gsm); });
}

void TGSM610In::WatchForSilence(std::span<const uint8_t> pcm) {
    if (silentBytesToGo_ == 0) return;
    const auto judged = pcm.first(std::min(pcm.size(), silentBytesToGo_));
    if (std::any_of(judged.begin(), judged.end(), [](uint8_t b) { return b != 0; })) {
        silentBytesToGo_ = 0;
        return;
    }
    silentBytesToGo_ -= judged.size();
    if (silentBytesToGo_ == 0 && OnSilentInput) OnSilentInput(*this);
}

void TGSM610In::HandOver() {
    if (!active_) return;
    // The reset returns every queued buffer with what it holds; their notifications come later
    // and find them no longer queued. PCM short of a whole block is lost.
    device_->Reset();
    std::deque<Buffer*> returned;
    returned.swap(queued_);
    for (Buffer* buffer : returned) {
        // A handler that closed the component has freed the rest.
        if (!active_) return;
        Convert(*buffer);
    }
}

void TGSM610In::Deliver(std::span<const uint8_t> gsm) {
    if (!OnBufferFull || !active_) return;
    // The handler gets its own copy, freed when it returns or throws.
    std::vector<uint8_t> copy(gsm.begin(), gsm.end());
    OnBufferFull(*this, copy.data(), static_cast<int32_t>(copy.size()));
}

void TGSM610In::FreeBuffer(const void* tag) {
    std::erase_if(bufferList_, [tag](const auto& b) { return b->header->Tag() == tag; });
}

void TGSM610In::Close() {
    if (!active_) return;
    active_ = false;
    device_->Reset();
    const uint32_t closed = device_->Close();
    encoder_->Close();
    packer_.Clear();
    queued_.clear();
    if (closed != kWaveOk) {
        WaveError("WaveIn-Close", closed);
        for (auto& b : bufferList_) retired_.push_back(std::move(b));
        bufferList_.clear();
        return;
    }
    // Headers are freed without unpreparing them: the device is closed and holds none.
    while (!bufferList_.empty()) bufferList_.pop_back();
}

void TGSM610In::WaveError(const char* label, uint32_t code) {
    lastErrorLabel_ = label;
    lastErrorCode_ = code;
}

}  // namespace mrv::audio
