// The wave formats the platform's GSM 6.10 codec converts between: 16-bit mono PCM and GSM 6.10.
#pragma once

#include <windows.h>
// mmreg.h needs windows.h first.
#include <mmreg.h>

#include <cstdint>

namespace mrv::win {

inline WAVEFORMATEX PcmMono16Format(int32_t samplesPerSec) {
    WAVEFORMATEX pcm{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = 1;
    pcm.nSamplesPerSec = static_cast<DWORD>(samplesPerSec);
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = 2;
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
    return pcm;
}

// 65-byte blocks of 320 samples, as every GSM 6.10 stream has them.
inline GSM610WAVEFORMAT Gsm610Format(int32_t samplesPerSec, int32_t avgBytesPerSec) {
    GSM610WAVEFORMAT gsm{};
    gsm.wfx.wFormatTag = WAVE_FORMAT_GSM610;
    gsm.wfx.nChannels = 1;
    gsm.wfx.nSamplesPerSec = static_cast<DWORD>(samplesPerSec);
    gsm.wfx.nAvgBytesPerSec = static_cast<DWORD>(avgBytesPerSec);
    gsm.wfx.nBlockAlign = 65;
    gsm.wfx.wBitsPerSample = 0;
    gsm.wfx.cbSize = 2;
    gsm.wSamplesPerBlock = 320;
    return gsm;
}

}  // namespace mrv::win
