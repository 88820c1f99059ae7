// Sound for the player: the platform's GSM 6.10 codec, fed whole blocks, and a small ring of
// wave-out buffers refilled from the UI thread's timer (no callback thread to synchronise).
#include "player/win32/AudioOut.h"

#include <mmreg.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/win32/GsmFormat.h"

namespace mrv::player::win {

AcmGsmDecoder::~AcmGsmDecoder() {
    if (stream_) ::acmStreamClose(stream_, 0);
}

bool AcmGsmDecoder::Open(int32_t sampleRate, int32_t avgBytesPerSec) {
    GSM610WAVEFORMAT gsm = mrv::win::Gsm610Format(sampleRate, avgBytesPerSec);
    WAVEFORMATEX pcm = mrv::win::PcmMono16Format(sampleRate);
    return ::acmStreamOpen(&stream_, nullptr, &gsm.wfx, &pcm, nullptr, 0, 0,
                           ACM_STREAMOPENF_NONREALTIME) == 0;
}

bool AcmGsmDecoder::Decode(std::span<const uint8_t> blocks, std::span<int16_t> pcm) {
    if (!stream_ || blocks.empty()) return false;
    source_.assign(blocks.begin(), blocks.end());
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof h;
    h.pbSrc = source_.data();
    h.cbSrcLength = static_cast<DWORD>(source_.size());
    h.pbDst = reinterpret_cast<BYTE*>(pcm.data());
    h.cbDstLength = static_cast<DWORD>(pcm.size_bytes());
    if (::acmStreamPrepareHeader(stream_, &h, 0) != 0) return false;
    const bool ok = ::acmStreamConvert(
                        stream_, &h, ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START) == 0;
    const DWORD used = std::min<DWORD>(h.cbDstLengthUsed, h.cbDstLength);
    ::acmStreamUnprepareHeader(stream_, &h, 0);
    if (!ok) return false;
    // A codec that returns less leaves silence, never stale samples.
    std::memset(reinterpret_cast<BYTE*>(pcm.data()) + used, 0, pcm.size_bytes() - used);
    return true;
}

WaveOutput::~WaveOutput() {
    if (!device_) return;
    ::waveOutReset(device_);
    for (Buffer& b : buffers_) {
        if (b.prepared) ::waveOutUnprepareHeader(device_, &b.header, sizeof b.header);
    }
    ::waveOutClose(device_);
}

bool WaveOutput::Open() {
    WAVEFORMATEX pcm{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = 1;
    pcm.nSamplesPerSec = static_cast<DWORD>(timeline_.sampleRate());
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = 2;
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * 2;
    if (::waveOutOpen(&device_, WAVE_MAPPER, &pcm, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        device_ = nullptr;
        return false;
    }
    // 100 ms a buffer: six of them keep the device fed across a slow paint.
    for (Buffer& b : buffers_) b.pcm.resize(static_cast<size_t>(timeline_.sampleRate() / 10));
    return true;
}

void WaveOutput::Stop() {
    if (!device_) return;
    ::waveOutReset(device_);
    for (Buffer& b : buffers_) {
        if (b.prepared) ::waveOutUnprepareHeader(device_, &b.header, sizeof b.header);
        b.prepared = false;
    }
    running_ = false;
}

void WaveOutput::Start(int64_t fromSample) {
    if (!device_) return;
    Stop();
    startSample_ = nextSample_ = std::clamp<int64_t>(fromSample, 0, timeline_.totalSamples());
    stretch_.Reset();
    played_.Reset();  // the reset device counts from zero again
    running_ = true;
    for (Buffer& b : buffers_) Queue(b);
}

void WaveOutput::SetSound(int32_t volumePercent, bool muted, playback::Speed speed) {
    stretch_.SetVolume(volumePercent);
    stretch_.SetMuted(muted);
    stretch_.SetSpeed(speed);
}

void WaveOutput::Feed(size_t wanted) {
    input_.resize(static_cast<size_t>(std::max(timeline_.sampleRate() / 20, 64)));
    while (stretch_.available() < wanted && !stretch_.finished()) {
        const int64_t left = timeline_.totalSamples() - nextSample_;
        if (left <= 0) {
            stretch_.Finish();
            break;
        }
        const auto count = static_cast<size_t>(std::min<int64_t>(left, input_.size()));
        const std::span<int16_t> chunk(input_.data(), count);
        samplesQueued_ += timeline_.Fill(stream_, decoder_, nextSample_, chunk);
        nextSample_ += static_cast<int64_t>(count);
        stretch_.Push(chunk);
    }
}

void WaveOutput::Queue(Buffer& b) {
    Feed(b.pcm.size());
    const size_t count = stretch_.Pull(b.pcm);
    if (count == 0) return;
    for (size_t i = 0; i < count; ++i) peak_ = std::max(peak_, std::abs(int{b.pcm[i]}));
    b.header = WAVEHDR{};
    b.header.lpData = reinterpret_cast<LPSTR>(b.pcm.data());
    b.header.dwBufferLength = static_cast<DWORD>(count * sizeof(int16_t));
    if (::waveOutPrepareHeader(device_, &b.header, sizeof b.header) != MMSYSERR_NOERROR) return;
    b.prepared = true;
    ::waveOutWrite(device_, &b.header, sizeof b.header);
}

void WaveOutput::Pump() {
    if (!device_ || !running_) return;
    for (Buffer& b : buffers_) {
        if (b.prepared && (b.header.dwFlags & WHDR_DONE)) {
            ::waveOutUnprepareHeader(device_, &b.header, sizeof b.header);
            b.prepared = false;
            Queue(b);
        } else if (!b.prepared) {
            Queue(b);
        }
    }
}

int64_t WaveOutput::PlayedMs() {
    if (!device_ || !running_) return 0;
    MMTIME t{};
    t.wType = TIME_SAMPLES;
    if (::waveOutGetPosition(device_, &t, sizeof t) != MMSYSERR_NOERROR) return 0;
    int64_t samples = 0;
    if (t.wType == TIME_SAMPLES) {
        samples = played_.Extend(t.u.sample);
    } else if (t.wType == TIME_BYTES) {
        samples = played_.Extend(t.u.cb) / 2;
    } else if (t.wType == TIME_MS) {
        samples = played_.Extend(t.u.ms) * timeline_.sampleRate() / 1000;
    }
    // What was played is the stretched sound; the clock runs in the recording's samples.
    return stretch_.InputAt(samples) * 1000 / std::max(timeline_.sampleRate(), 1);
}

}  // namespace mrv::player::win
