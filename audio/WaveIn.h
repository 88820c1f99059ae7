// The narrow platform interfaces of the wave-in component: the capture device and the codec.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace mrv::audio {

// Result codes as the platform's multimedia calls give them; 0 is success.
inline constexpr uint32_t kWaveOk = 0;
inline constexpr uint32_t kWaveInvalidParam = 11;  // MMSYSERR_INVALPARAM

// One capture buffer's header as the device knows it (a WAVEHDR on Windows).
class WaveHeader {
  public:
    virtual ~WaveHeader() = default;
    // What the device hands back with a filled buffer; notifications name the header by it.
    virtual const void* Tag() const = 0;
    virtual uint32_t BytesRecorded() const = 0;
    // Makes the header ready to be queued again: the whole data block, nothing recorded.
    virtual void Clear() = 0;
};

// Receives the device's "buffer filled" notifications on the thread that owns the component.
class WaveInEvents {
  public:
    virtual ~WaveInEvents() = default;
    // `open` numbers the device's successful opens from 1: the one that queued the buffer. A
    // notification can arrive after the device was closed and opened again, when a new buffer
    // may have the old one's address.
    virtual void BufferDone(const void* tag, uint32_t open) = 0;
};

// The user's default capture device, opened for 16-bit mono PCM. Notifications for returned
// buffers go to the events bound with Bind; the device never calls them from inside its own
// calls.
class WaveInDevice {
  public:
    virtual ~WaveInDevice() = default;
    virtual void Bind(WaveInEvents& events) = 0;
    virtual uint32_t Open(int32_t samplesPerSec) = 0;
    virtual std::unique_ptr<WaveHeader> MakeHeader(std::span<uint8_t> data) = 0;
    virtual uint32_t Prepare(WaveHeader& header) = 0;
    virtual uint32_t Unprepare(WaveHeader& header) = 0;
    virtual uint32_t AddBuffer(WaveHeader& header) = 0;
    virtual uint32_t Start() = 0;
    // Stops and hands back every queued buffer (their notifications come later).
    virtual void Reset() = 0;
    // A device that fails to close may still write into its buffers; it keeps its handle and
    // closes before it is opened again or destroyed.
    virtual uint32_t Close() = 0;
};

// The platform's GSM 6.10 codec for one stream of sound.
class GsmEncoder {
  public:
    virtual ~GsmEncoder() = default;
    virtual uint32_t Open(int32_t samplesPerSec, int32_t avgBytesPerSec) = 0;
    // `pcm` holds whole blocks of 320 16-bit little-endian samples (640 bytes each), `gsm` room
    // for 65 bytes per block. Returns the GSM bytes written (whole blocks), 0 on failure.
    virtual size_t Encode(std::span<const uint8_t> pcm, std::span<uint8_t> gsm) = 0;
    virtual void Close() = 0;
};

}  // namespace mrv::audio
