// The wave-in component's Win32 side: waveIn on this thread with a hidden notify window, and
// the audio compression manager's GSM 6.10 codec.
#pragma once

#include <windows.h>
// After windows.h, which they build on.
#include <mmsystem.h>
// msacm.h needs the wave format definitions first.
#include <mmreg.h>
#include <msacm.h>

#include <memory>

#include "audio/GSM610In.h"
#include "audio/WaveIn.h"
#include "common/win32/Handles.h"

namespace mrv::audio::win {

// Stops the device, which hands every queued buffer back, and closes it.
inline void ResetAndCloseWaveIn(HWAVEIN device) {
    ::waveInReset(device);
    ::waveInClose(device);
}
using UniqueWaveIn = mrv::win::UniqueHandle<HWAVEIN, ResetAndCloseWaveIn>;

inline void CloseAcmStream(HACMSTREAM stream) { ::acmStreamClose(stream, 0); }
using UniqueAcmStream = mrv::win::UniqueHandle<HACMSTREAM, CloseAcmStream>;

// The user's default capture device, through the wave mapper, as 16-bit mono PCM. MM_WIM_DATA
// arrives at a message-only window of the creating thread, so buffers come back inside that
// thread's message dispatch; each open has a window of its own.
class Win32WaveIn final : public WaveInDevice {
  public:
    Win32WaveIn();
    ~Win32WaveIn() override;
    Win32WaveIn(const Win32WaveIn&) = delete;
    Win32WaveIn& operator=(const Win32WaveIn&) = delete;

    void Bind(WaveInEvents& events) override { events_ = &events; }
    uint32_t Open(int32_t samplesPerSec) override;
    std::unique_ptr<WaveHeader> MakeHeader(std::span<uint8_t> data) override;
    uint32_t Prepare(WaveHeader& header) override;
    uint32_t Unprepare(WaveHeader& header) override;
    uint32_t AddBuffer(WaveHeader& header) override;
    uint32_t Start() override;
    void Reset() override;
    uint32_t Close() override;

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    WaveInEvents* events_ = nullptr;
    mrv::win::UniqueWindow window_;
    uint32_t opens_ = 0;
    // Declared after the window, so that it is closed first and its reset's notifications go to a
    // window that still exists.
    UniqueWaveIn device_;
};

class AcmGsmEncoder final : public GsmEncoder {
  public:
    uint32_t Open(int32_t samplesPerSec, int32_t avgBytesPerSec) override;
    size_t Encode(std::span<const uint8_t> pcm, std::span<uint8_t> gsm) override;
    void Close() override { stream_.reset(); }

  private:
    UniqueAcmStream stream_;
};

// A component over a fresh device and codec.
std::unique_ptr<TGSM610In> MakeGSM610In();

}  // namespace mrv::audio::win
