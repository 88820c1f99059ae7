// Fakes of the platform for the recorder's tests: they record what they were asked.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "recorder/MemoryScreen.h"
#include "recorder/Platform.h"

namespace mrv::testing {

// A memory screen whose grabs fail where `fails` (top row, height) says; a failed grab scribbles
// over the buffer as a half-done copy might.
class FailingScreen : public ScreenSource {
  public:
    explicit FailingScreen(MemoryScreen& screen) : screen_(screen) {}
    ScreenSize Size() override { return screen_.Size(); }
    void BeginTick() override {}
    void EndTick() override {}
    bool GrabRect(int32_t x, int32_t y, int32_t width, int32_t height,
                  std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t rasterOp) override {
        if (fails && fails(y, height)) {
            ++failures;
            const int64_t rowBytes =
                (int64_t{width} * screen_.geometry().bitsPerPixel + 31) / 32 * 4;
            if (bits) std::fill_n(bits, static_cast<size_t>(rowBytes * height), uint8_t{0xA5});
            return false;
        }
        return screen_.GrabRect(x, y, width, height, bitmapInfo, bits, rasterOp);
    }
    std::function<bool(int32_t y, int32_t height)> fails;
    int failures = 0;

  private:
    MemoryScreen& screen_;
};

class FakeClock : public Clock {
  public:
    uint32_t TickCount() override { return tick; }
    double LocalNow() override { return now; }
    uint32_t tick = 1000;
    double now = 46000.5;
};

class FakeCursor : public CursorSource {
  public:
    Point CursorPos() override {
        if (onRead) onRead();  // what happens elsewhere while a tick runs
        return pos;
    }
    Point pos{10, 20};
    std::function<void()> onRead;
};

class FakeHook : public MouseHook {
  public:
    bool Install(MouseSink& s) override {
        sink = &s;
        ++installs;
        return true;
    }
    bool Remove() override {
        sink = nullptr;
        return true;
    }
    bool Installed() const override { return sink != nullptr; }
    MouseSink* sink = nullptr;
    int installs = 0;
};

class FakeAudio : public AudioInput {
  public:
    explicit FakeAudio(bool opens, int& openCount, int& closeCount)
        : opens_(opens), openCount_(openCount), closeCount_(closeCount) {}
    void Open(int32_t rate, int32_t bytesPerSec, uint32_t bufferSize) override {
        ++openCount_;
        openedRate = rate;
        openedBytesPerSec = bytesPerSec;
        openedBufferSize = bufferSize;
        active_ = opens_;
    }
    bool Active() const override { return active_; }
    // Delivers the sound the device still holds, as the component does at Stop.
    void HandOver() override {
        ++handOvers;
        if (!held.empty()) sink->OnAudioBlock(held.data(), static_cast<int32_t>(held.size()));
        held.clear();
    }
    void Close() override {
        if (active_) ++closeCount_;
        active_ = false;
    }
    int32_t openedRate = 0, openedBytesPerSec = 0;
    uint32_t openedBufferSize = 0;
    AudioSink* sink = nullptr;
    std::vector<uint8_t> held;
    int handOvers = 0;

  private:
    bool opens_;
    bool active_ = false;
    int& openCount_;
    int& closeCount_;
};

class FakeAudioFactory : public AudioFactory {
  public:
    std::unique_ptr<AudioInput> Create(AudioSink& s) override {
        sink = &s;
        auto audio = std::make_unique<FakeAudio>(deviceWorks, opens, closes);
        audio->sink = &s;
        last = audio.get();
        return audio;
    }
    bool deviceWorks = true;
    AudioSink* sink = nullptr;
    FakeAudio* last = nullptr;
    int opens = 0;
    int closes = 0;
};

struct FakeFileData {
    std::vector<uint8_t> bytes;
    bool open = false;
};

class FakeOutput : public OutputFile {
  public:
    FakeOutput(FakeFileData& data, int64_t& capacity) : data_(data), capacity_(capacity) {
        data_.open = true;
    }
    ~FakeOutput() override { data_.open = false; }
    bool Append(std::span<const uint8_t> b) override {
        if (static_cast<int64_t>(data_.bytes.size() + b.size()) > capacity_) {
            // A full disk writes what fits, then fails.
            const size_t fits = static_cast<size_t>(capacity_) - data_.bytes.size();
            data_.bytes.insert(data_.bytes.end(), b.begin(),
                               b.begin() + static_cast<ptrdiff_t>(fits));
            return false;
        }
        data_.bytes.insert(data_.bytes.end(), b.begin(), b.end());
        return true;
    }
    int64_t Size() override { return static_cast<int64_t>(data_.bytes.size()); }
    bool ReadAt(int64_t off, std::span<uint8_t> b) override {
        if (off + static_cast<int64_t>(b.size()) > Size()) return false;
        std::copy_n(data_.bytes.begin() + off, b.size(), b.begin());
        return true;
    }
    bool WriteAt(int64_t off, std::span<const uint8_t> b) override {
        if (off + static_cast<int64_t>(b.size()) > Size()) return false;
        std::copy(b.begin(), b.end(), data_.bytes.begin() + off);
        return true;
    }
    bool Truncate(int64_t size) override {
        data_.bytes.resize(static_cast<size_t>(size));
        return true;
    }
    std::string LastError() override { return "There is not enough space on the disk."; }

  private:
    FakeFileData& data_;
    int64_t& capacity_;
};

// Hands out the file's bytes a few at a time, and fails once `failAt` bytes have been read.
class FakeInput : public InputFile {
  public:
    FakeInput(const std::vector<uint8_t>& bytes, int64_t failAt) : bytes_(bytes), failAt_(failAt) {}
    int64_t Read(std::span<uint8_t> b) override {
        ++reads;
        if (position_ >= failAt_) return -1;
        const size_t at = static_cast<size_t>(position_);
        const size_t n = std::min({b.size(), bytes_.size() - at, kPiece});
        std::copy_n(bytes_.begin() + static_cast<ptrdiff_t>(at), n, b.begin());
        position_ += static_cast<int64_t>(n);
        return static_cast<int64_t>(n);
    }
    std::string LastError() override {
        return "The process cannot access the file because another process has locked a portion "
               "of the file.";
    }
    int reads = 0;

  private:
    static constexpr size_t kPiece = 3;
    const std::vector<uint8_t>& bytes_;
    int64_t position_ = 0;
    int64_t failAt_;
};

class FakeFiles : public FileSystem {
  public:
    bool Exists(const std::string& p) override { return files.count(p) != 0; }
    std::unique_ptr<InputFile> OpenRead(const std::string& p, std::string& error) override {
        auto it = files.find(p);
        if (it == files.end() || unreadable.count(p)) {
            error = "Access is denied.";
            return nullptr;
        }
        const auto fail = readFailsAt.find(p);
        return std::make_unique<FakeInput>(it->second.bytes,
                                           fail == readFailsAt.end() ? INT64_MAX : fail->second);
    }
    bool Remove(const std::string& p) override {
        removed.push_back(p);
        return files.erase(p) != 0;
    }
    std::unique_ptr<OutputFile> Create(const std::string& p, std::string& error) override {
        if (p.find("missing/") != std::string::npos) {
            error = "The system cannot find the path specified.";
            return nullptr;
        }
        files[p].bytes.clear();
        return std::make_unique<FakeOutput>(files[p], capacity);
    }
    bool SameFile(const std::string& a, const std::string& b) override { return a == b; }
    std::map<std::string, FakeFileData> files;
    std::map<std::string, bool> unreadable;
    std::map<std::string, int64_t> readFailsAt;  // a locked range from this offset on
    std::vector<std::string> removed;
    int64_t capacity = INT64_MAX;
};

class FakeTimer : public TickTimer {
  public:
    void Start(int32_t ms) override {
        enabled = true;
        intervalMs = ms;
    }
    void Stop() override { enabled = false; }
    bool enabled = false;
    int32_t intervalMs = 0;
};

class FakeView : public RecorderView {
  public:
    void ShowLabels(const std::string& s, const std::string& d) override {
        sizeText = s;
        durationText = d;
        ++updates;
    }
    std::string sizeText, durationText;
    int updates = 0;
};

// The recorder's devices other than its screen and view, for fixtures to inherit.
struct RecorderFakes {
    // No compression workers unless asked: the tick writes its record before it returns.
    RecorderPlatform Platform(ScreenSource& screen, RecorderView& view, int workers = 0) {
        return RecorderPlatform{screen, clock, cursor, hook, files,
                                audio,  timer, view,   ".",  workers};
    }

    FakeClock clock;
    FakeCursor cursor;
    FakeHook hook;
    FakeFiles files;
    FakeAudioFactory audio;
    FakeTimer timer;
};

}  // namespace mrv::testing
