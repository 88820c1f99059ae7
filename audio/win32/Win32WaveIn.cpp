// waveIn and ACM calls of the wave-in component; every rule about them is in TGSM610In.
#include "audio/win32/Win32WaveIn.h"

#include "common/win32/GsmFormat.h"

namespace mrv::audio::win {
namespace {
using mrv::win::Gsm610Format;
using mrv::win::PcmMono16Format;

constexpr wchar_t kNotifyClass[] = L"MrvWaveInNotify";

class Win32Header final : public WaveHeader {
  public:
    explicit Win32Header(std::span<uint8_t> data) {
        header.lpData = reinterpret_cast<LPSTR>(data.data());
        header.dwBufferLength = static_cast<DWORD>(data.size());
    }
    const void* Tag() const override { return &header; }
    uint32_t BytesRecorded() const override { return header.dwBytesRecorded; }
    void Clear() override {
        header.dwBytesRecorded = 0;
        header.dwUser = 0;
        header.dwFlags = 0;
        header.dwLoops = 0;
    }
    WAVEHDR header{};
};

WAVEHDR* HeaderOf(WaveHeader& h) { return &static_cast<Win32Header&>(h).header; }

}  // namespace

Win32WaveIn::Win32WaveIn() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW cls{};
    if (!::GetClassInfoW(instance, kNotifyClass, &cls)) {
        cls.lpfnWndProc = WndProc;
        cls.hInstance = instance;
        cls.lpszClassName = kNotifyClass;
        ::RegisterClassW(&cls);
    }
}

Win32WaveIn::~Win32WaveIn() {
    // The device first: its reset hands buffers back to a window that must still exist.
    device_.reset();
    if (window_) ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

LRESULT CALLBACK Win32WaveIn::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == MM_WIM_DATA) {
        auto* self = reinterpret_cast<Win32WaveIn*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && self->events_ && hwnd == self->window_.get()) {
            // Nothing may unwind through the system's dispatch; the buffer just stays out.
            try {
                self->events_->BufferDone(reinterpret_cast<const void*>(lParam), self->opens_);
            } catch (...) {
            }
        }
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

uint32_t Win32WaveIn::Open(int32_t samplesPerSec) {
    // A device that failed to close earlier must be closed before its buffers can go.
    if (device_) {
        ::waveInReset(device_.get());
        if (const MMRESULT r = ::waveInClose(device_.get()); r != MMSYSERR_NOERROR) return r;
        device_.release();
    }
    // A window per open: the returns of an earlier open, still queued for the old window, are
    // discarded with it and never reach a buffer of this one that has the same address.
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    window_.reset(::CreateWindowExW(0, kNotifyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    instance, nullptr));
    if (!window_) return MMSYSERR_ERROR;
    ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    WAVEFORMATEX pcm = PcmMono16Format(samplesPerSec);
    HWAVEIN device = nullptr;
    // The mapper, not device 0: it is the microphone the user chose as default, and it converts
    // rates the microphone does not take itself.
    const MMRESULT r = ::waveInOpen(&device, WAVE_MAPPER, &pcm,
                                    reinterpret_cast<DWORD_PTR>(window_.get()), 0, CALLBACK_WINDOW);
    if (r != MMSYSERR_NOERROR) return r;
    device_.reset(device);
    ++opens_;
    return r;
}

std::unique_ptr<WaveHeader> Win32WaveIn::MakeHeader(std::span<uint8_t> data) {
    return std::make_unique<Win32Header>(data);
}

uint32_t Win32WaveIn::Prepare(WaveHeader& header) {
    return ::waveInPrepareHeader(device_.get(), HeaderOf(header), sizeof(WAVEHDR));
}

uint32_t Win32WaveIn::Unprepare(WaveHeader& header) {
    return ::waveInUnprepareHeader(device_.get(), HeaderOf(header), sizeof(WAVEHDR));
}

uint32_t Win32WaveIn::AddBuffer(WaveHeader& header) {
    return ::waveInAddBuffer(device_.get(), HeaderOf(header), sizeof(WAVEHDR));
}

uint32_t Win32WaveIn::Start() { return ::waveInStart(device_.get()); }

void Win32WaveIn::Reset() {
    if (device_) ::waveInReset(device_.get());
}

uint32_t Win32WaveIn::Close() {
    if (!device_) return MMSYSERR_NOERROR;
    // A device that refuses to close keeps its handle: the next open or the destructor tries
    // again, and its buffers are not freed meanwhile.
    const MMRESULT r = ::waveInClose(device_.get());
    if (r == MMSYSERR_NOERROR) device_.release();
    return r;
}

uint32_t AcmGsmEncoder::Open(int32_t samplesPerSec, int32_t avgBytesPerSec) {
    WAVEFORMATEX pcm = PcmMono16Format(samplesPerSec);
    GSM610WAVEFORMAT gsm = Gsm610Format(samplesPerSec, avgBytesPerSec);
    HACMSTREAM stream = nullptr;
    const MMRESULT r = ::acmStreamOpen(&stream, nullptr, &pcm, &gsm.wfx, nullptr, 0, 0,
                                       ACM_STREAMOPENF_NONREALTIME);
    if (r == MMSYSERR_NOERROR) stream_.reset(stream);
    return r;
}

size_t AcmGsmEncoder::Encode(std::span<const uint8_t> pcm, std::span<uint8_t> gsm) {
    if (!stream_ || pcm.empty()) return 0;
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof h;
    // The codec only reads the source, whatever the header's type says.
    h.pbSrc = const_cast<BYTE*>(pcm.data());
    h.cbSrcLength = static_cast<DWORD>(pcm.size());
    h.pbDst = gsm.data();
    h.cbDstLength = static_cast<DWORD>(gsm.size());
    if (::acmStreamPrepareHeader(stream_.get(), &h, 0) != MMSYSERR_NOERROR) return 0;
    const bool ok =
        ::acmStreamConvert(stream_.get(), &h, ACM_STREAMCONVERTF_BLOCKALIGN) == MMSYSERR_NOERROR;
    ::acmStreamUnprepareHeader(stream_.get(), &h, 0);
    return ok ? h.cbDstLengthUsed : 0;
}

std::unique_ptr<TGSM610In> MakeGSM610In() {
    return std::make_unique<TGSM610In>(std::make_unique<Win32WaveIn>(),
                                       std::make_unique<AcmGsmEncoder>());
}

}  // namespace mrv::audio::win
