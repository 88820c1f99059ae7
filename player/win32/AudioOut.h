// GSM 6.10 decoding through the audio compression manager and PCM output through wave-out.
#pragma once

#include <windows.h>
// After windows.h, which they build on.
#include <mmsystem.h>
// msacm.h needs the wave format definitions first.
#include <mmreg.h>
#include <msacm.h>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "playback/AudioTimeline.h"
#include "playback/TimeStretch.h"
#include "player/Playback.h"

namespace mrv::player::win {

class AcmGsmDecoder : public playback::GsmDecoder {
  public:
    AcmGsmDecoder() = default;
    ~AcmGsmDecoder() override;
    AcmGsmDecoder(const AcmGsmDecoder&) = delete;
    AcmGsmDecoder& operator=(const AcmGsmDecoder&) = delete;

    bool Open(int32_t sampleRate, int32_t avgBytesPerSec);
    bool Decode(std::span<const uint8_t> blocks, std::span<int16_t> pcm) override;

  private:
    HACMSTREAM stream_ = nullptr;
    std::vector<uint8_t> source_;  // ACM wants a writable source buffer
};

// Plays the audio time line from any sample on, at the chosen speed with its pitch kept and at
// the chosen volume; the samples it has played, mapped back to recording time, are the clock.
class WaveOutput {
  public:
    WaveOutput(playback::AudioTimeline& timeline, std::span<const uint8_t> stream,
               playback::GsmDecoder& decoder)
        : timeline_(timeline),
          stream_(stream),
          decoder_(decoder),
          stretch_(timeline.sampleRate()) {}
    ~WaveOutput();
    WaveOutput(const WaveOutput&) = delete;
    WaveOutput& operator=(const WaveOutput&) = delete;

    bool Open();
    bool isOpen() const { return device_ != nullptr; }
    void Start(int64_t fromSample);
    void Stop();
    // Takes effect from the next Start; the volume and mute at once.
    void SetSound(int32_t volumePercent, bool muted, playback::Speed speed);
    // Refills the buffers the device has finished; call it often.
    void Pump();
    // Recording time played since the last Start.
    int64_t PlayedMs();
    int64_t samplesQueued() const { return samplesQueued_; }
    int peak() const { return peak_; }  // loudest sample queued, to tell sound from silence

  private:
    static constexpr int kBuffers = 6;
    struct Buffer {
        WAVEHDR header{};
        std::vector<int16_t> pcm;
        bool prepared = false;
    };
    void Queue(Buffer& b);
    // Feeds the stretcher with recording sound until `wanted` samples are ready or none is left.
    void Feed(size_t wanted);

    playback::AudioTimeline& timeline_;
    std::span<const uint8_t> stream_;
    playback::GsmDecoder& decoder_;
    playback::TimeStretcher stretch_;
    std::vector<int16_t> input_;
    HWAVEOUT device_ = nullptr;
    std::array<Buffer, kBuffers> buffers_;
    int64_t startSample_ = 0;
    int64_t nextSample_ = 0;
    int64_t samplesQueued_ = 0;
    WrappingCounter played_;
    int peak_ = 0;
    bool running_ = false;
};

}  // namespace mrv::player::win
