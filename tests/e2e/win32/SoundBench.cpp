// The wave-in component's cost under Wine: records the first capture device through TGSM610In
// for a while and reports the process's CPU time per second of sound, the time spent handling
// each returned buffer (conversion included) and how far apart the deliveries come.
//
//   mrv_bench_sound.exe [--rate HZ] [--seconds S] [--no-codec | --idle]
//       --no-codec: the same capture with the conversion left out (blocks of zeros), to tell
//       Wine's share of the cost from the component's; --idle: the same message loop with no
//       device open, the floor
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/win32/Win32WaveIn.h"
#include "recorder/StreamFormat.h"

namespace {

double Seconds(const FILETIME& t) {
    ULARGE_INTEGER v{};
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 1e7;
}

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

double Now() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Hands out zero blocks without any codec work.
class NoCodec final : public mrv::audio::GsmEncoder {
  public:
    uint32_t Open(int32_t, int32_t) override { return 0; }
    size_t Encode(std::span<const uint8_t> pcm, std::span<uint8_t> gsm) override {
        const size_t n = pcm.size() / mrv::audio::kPcmBlockBytes * mrv::kGsmBlockBytes;
        std::fill_n(gsm.begin(), n, uint8_t{0});
        return n;
    }
    void Close() override {}
};

}  // namespace

int main(int argc, char** argv) {
    int rate = 44100;
    double seconds = 20;
    bool codec = true, idle = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-codec") == 0) codec = false;
        if (std::strcmp(argv[i], "--idle") == 0) idle = true;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rate") == 0) rate = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
    }
    mrv::AudioRate pair{};
    for (int option = 0; option < 4; ++option) {
        if (mrv::AudioRateForOption(option, pair) && pair.samplesPerSec == rate) break;
    }
    if (pair.samplesPerSec != rate) return 2;

    auto in =
        codec ? mrv::audio::win::MakeGSM610In()
              : std::make_unique<mrv::audio::TGSM610In>(
                    std::make_unique<mrv::audio::win::Win32WaveIn>(), std::make_unique<NoCodec>());
    std::vector<double> deliveries;
    int64_t bytes = 0;
    in->SetBufferSize(1024);
    in->OnBufferFull = [&](mrv::audio::TGSM610In&, const uint8_t*, int32_t size) {
        deliveries.push_back(Now());
        bytes += size;
    };
    if (!idle) in->Open(pair.samplesPerSec, pair.avgBytesPerSec);
    if (!idle && !in->Active()) {
        std::printf("no capture device (%s %u)\n", in->lastErrorLabel().c_str(),
                    in->lastErrorCode());
        return 1;
    }
    // The first deliveries are left out: they include the device's start.
    const double settle = Now() + 1;
    while (Now() < settle) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::Sleep(5);
    }
    deliveries.clear();
    bytes = 0;
    const double cpu0 = ProcessCpuSeconds(), wall0 = Now();
    std::vector<double> handling;
    while (Now() - wall0 < seconds) {
        // One message at a time, as the program's message loop does, so each buffer's handling
        // (copy, conversion, delivery, requeue) is timed on its own.
        MSG msg;
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) {
            continue;
        }
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const double t = Now();
            ::DispatchMessageW(&msg);
            if (msg.message == MM_WIM_DATA) handling.push_back(Now() - t);
        }
    }
    const double cpu = ProcessCpuSeconds() - cpu0, wall = Now() - wall0;
    in->Close();

    const double sound = static_cast<double>(bytes) / mrv::kGsmBlockBytes * 320 / rate;
    double maxGap = 0, meanGap = 0;
    for (size_t i = 1; i < deliveries.size(); ++i) {
        maxGap = std::max(maxGap, deliveries[i] - deliveries[i - 1]);
        meanGap += deliveries[i] - deliveries[i - 1];
    }
    if (deliveries.size() > 1) meanGap /= static_cast<double>(deliveries.size() - 1);
    std::sort(handling.begin(), handling.end());
    const double handlingMax = handling.empty() ? 0 : handling.back();
    double handlingSum = 0;
    for (double h : handling) handlingSum += h;
    const double handlingMedian = handling.empty() ? 0 : handling[handling.size() / 2];
    std::printf("rate %d wall %.2f s sound %.2f s deliveries %zu bytes %lld\n", rate, wall, sound,
                deliveries.size(), static_cast<long long>(bytes));
    std::printf("cpu %.3f s = %.2f %% of one core; %.2f ms per second of sound\n", cpu,
                100 * cpu / wall, sound > 0 ? 1000 * cpu / sound : 0);
    std::printf("buffer handling (%s) median %.3f ms max %.3f ms, %.2f %% of the time\n",
                idle    ? "no device open"
                : codec ? "conversion included"
                        : "no conversion",
                1000 * handlingMedian, 1000 * handlingMax, 100 * handlingSum / wall);
    std::printf("deliveries every %.1f ms (max %.1f ms); one holds %.1f ms of sound\n",
                1000 * meanGap, 1000 * maxGap,
                deliveries.empty() ? 0 : 1000 * sound / static_cast<double>(deliveries.size()));
    return 0;
}
