// TGSM610In: records the first capture device and hands its owner GSM 6.10 blocks, one
// delivery at a time, on the thread that owns it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/GsmBlockPacker.h"
#include "audio/WaveIn.h"

namespace mrv::audio {

class TGSM610In;

// Data is a private copy, valid only during the call.
using TBufferFullEvent = std::function<void(TGSM610In& sender, const uint8_t* data, int32_t size)>;
using TNotifyEvent = std::function<void(TGSM610In& sender)>;

// How much sound must be exact zeros before the input counts as silenced.
inline constexpr int32_t kSilentInputSeconds = 3;

class TGSM610In final : private WaveInEvents {
  public:
    struct Buffer {
        std::vector<uint8_t> data;
        std::unique_ptr<WaveHeader> header;
    };

    static constexpr uint8_t kMinBuffers = 2;
    static constexpr uint8_t kMaxBuffers = 64;

    TGSM610In(std::unique_ptr<WaveInDevice> device, std::unique_ptr<GsmEncoder> encoder);
    ~TGSM610In() override;
    TGSM610In(const TGSM610In&) = delete;
    TGSM610In& operator=(const TGSM610In&) = delete;

    void Open(int32_t sampleRate, int32_t avgBytesPerSec);
    // Stops the device and delivers at once what its buffers hold, partly filled ones included,
    // as whole blocks; the component stays active, delivering nothing more, until Close.
    void HandOver();
    void Close();
    bool Active() const { return active_; }

    // Largest delivery in bytes (whole 65-byte blocks of it are used).
    uint32_t BufferSize() const { return bufferSize_; }
    void SetBufferSize(uint32_t value);
    // The sound that the queued capture buffers hold while the thread is busy is that of
    // NumBuffers deliveries of BufferSize bytes, or more.
    uint8_t NumBuffers() const { return numBuffers_; }
    void SetNumBuffers(uint8_t value);

    TBufferFullEvent OnBufferFull;
    // Once per Open, when the first kSilentInputSeconds of sound are all exact zeros: what a
    // microphone that the system keeps from the program delivers. Real quiet is never that.
    TNotifyEvent OnSilentInput;

    const std::vector<std::unique_ptr<Buffer>>& BufferList() const { return bufferList_; }

    // The device's last failure, by the label of the failing call; failures are not shown.
    const std::string& lastErrorLabel() const { return lastErrorLabel_; }
    uint32_t lastErrorCode() const { return lastErrorCode_; }

    // How many capture buffers Open queues, and how long each is in bytes of PCM.
    size_t CaptureBufferCount() const;
    size_t CaptureBufferBytes() const;

  private:
    void BufferDone(const void* tag, uint32_t open) override;
    void WatchForSilence(std::span<const uint8_t> pcm);
    void AddBuffer();
    // Hands the buffer's PCM to the packer; returns the number of deliveries it made.
    int Convert(Buffer& buffer);
    void FreeBuffer(const void* tag);
    void WaveError(const char* label, uint32_t code);
    void Deliver(std::span<const uint8_t> gsm);
    Buffer* Find(const void* tag);

    std::unique_ptr<WaveInDevice> device_;
    std::unique_ptr<GsmEncoder> encoder_;
    std::vector<std::unique_ptr<Buffer>> bufferList_;
    // The buffers the device holds, in the order it fills them.
    std::deque<Buffer*> queued_;
    // Buffers of a device that failed to close, kept until it has closed.
    std::vector<std::unique_ptr<Buffer>> retired_;
    uint32_t opens_ = 0;
    size_t silentBytesToGo_ = 0;  // 0 once the first seconds have been judged
    GsmBlockPacker packer_{8192};
    bool active_ = false;
    bool destroying_ = false;
    uint32_t bufferSize_ = 8192;
    uint8_t numBuffers_ = 4;
    std::string lastErrorLabel_;
    uint32_t lastErrorCode_ = kWaveOk;
};

}  // namespace mrv::audio
