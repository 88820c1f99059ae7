// A capture device and a codec for the wave-in component's tests: the device keeps its queue
// and posts notifications only when the test dispatches them, as window messages would.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "audio/GsmBlockPacker.h"
#include "audio/WaveIn.h"

namespace mrv::audio::testing {

// Tags are numbered afresh at every open, as the addresses of freed headers may come again.
class FakeHeader final : public WaveHeader {
  public:
    FakeHeader(std::span<uint8_t> d, uintptr_t t) : data(d), tag(t) {}
    const void* Tag() const override { return reinterpret_cast<const void*>(tag); }
    uint32_t BytesRecorded() const override { return bytesRecorded; }
    void Clear() override { bytesRecorded = 0; }
    std::span<uint8_t> data;
    uintptr_t tag;
    uint32_t bytesRecorded = 0;
};

struct DeviceLog {
    std::vector<std::string> calls;
    int headersMade = 0;
    size_t Count(const std::string& call) const {
        return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
    }
};

class FakeDevice final : public WaveInDevice {
  public:
    explicit FakeDevice(DeviceLog& log) : log_(log) {}
    void Bind(WaveInEvents& e) override { events = &e; }
    uint32_t Open(int32_t rate) override {
        log_.calls.push_back("open " + std::to_string(rate));
        if (openResult == kWaveOk) {
            ++opens;
            headersThisOpen = 0;
        }
        return openResult;
    }
    std::unique_ptr<WaveHeader> MakeHeader(std::span<uint8_t> data) override {
        ++log_.headersMade;
        return std::make_unique<FakeHeader>(data, 0x1000 + 0x10 * headersThisOpen++);
    }
    uint32_t Prepare(WaveHeader&) override { return Log("prepare", prepareResult); }
    uint32_t Unprepare(WaveHeader&) override { return Log("unprepare", kWaveOk); }
    uint32_t AddBuffer(WaveHeader& h) override {
        if (addResult == kWaveOk) queue.push_back(static_cast<FakeHeader*>(&h));
        return Log("add", addResult);
    }
    uint32_t Start() override { return Log("start", kWaveOk); }
    void Reset() override {
        log_.calls.push_back("reset");
        // Every queued buffer comes back with what it holds; the messages arrive later.
        for (FakeHeader* h : queue) posted.push_back({h->Tag(), opens});
        queue.clear();
    }
    uint32_t Close() override { return Log("close", closeResult); }

    // The device fills the oldest queued buffer with `bytes` bytes of `value` and posts it.
    void Fill(uint32_t bytes, uint8_t value = 1) {
        FakeHeader* h = queue.front();
        queue.pop_front();
        std::fill_n(h->data.begin(), bytes, value);
        h->bytesRecorded = bytes;
        posted.push_back({h->Tag(), opens});
    }
    // Dispatches the posted notifications, in order.
    void Dispatch() {
        while (!posted.empty()) {
            const Posted p = posted.front();
            posted.pop_front();
            events->BufferDone(p.tag, p.open);
        }
    }
    void FillAndDispatch(uint32_t bytes, uint8_t value = 1) {
        Fill(bytes, value);
        Dispatch();
    }

    struct Posted {
        const void* tag;
        uint32_t open;
    };
    WaveInEvents* events = nullptr;
    std::deque<FakeHeader*> queue;
    std::deque<Posted> posted;
    uint32_t opens = 0;
    int headersThisOpen = 0;
    uint32_t openResult = kWaveOk;
    uint32_t closeResult = kWaveOk;
    uint32_t prepareResult = kWaveOk;
    uint32_t addResult = kWaveOk;

  private:
    uint32_t Log(const char* call, uint32_t result) {
        log_.calls.push_back(call);
        return result;
    }
    DeviceLog& log_;
};

// "Encodes" each 640-byte PCM block as 65 copies of its first byte, so tests can follow blocks.
class FakeEncoder final : public GsmEncoder {
  public:
    uint32_t Open(int32_t rate, int32_t bytesPerSec) override {
        openedRate = rate;
        openedBytesPerSec = bytesPerSec;
        return openResult;
    }
    size_t Encode(std::span<const uint8_t> pcm, std::span<uint8_t> gsm) override {
        ++encodeCalls;
        if (failNext) {
            failNext = false;
            return 0;
        }
        const size_t blocks = pcm.size() / kPcmBlockBytes;
        for (size_t b = 0; b < blocks; ++b) {
            std::fill_n(gsm.begin() + static_cast<ptrdiff_t>(b * kGsmBlockBytes), kGsmBlockBytes,
                        pcm[b * kPcmBlockBytes]);
        }
        return blocks * kGsmBlockBytes;
    }
    void Close() override { ++closes; }

    uint32_t openResult = kWaveOk;
    int32_t openedRate = 0, openedBytesPerSec = 0;
    int encodeCalls = 0;
    int closes = 0;
    bool failNext = false;
};

}  // namespace mrv::audio::testing
