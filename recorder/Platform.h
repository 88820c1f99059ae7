// The narrow interfaces through which the recording engine reaches the platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace mrv {

inline constexpr uint32_t kSrcCopy = 0x00CC0020;
inline constexpr uint32_t kCaptureBlt = 0x40000000;

struct ScreenSize {
    int32_t width = 0;
    int32_t height = 0;
};

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

// Pixels of the primary screen (or of another device, such as the editor's picture).
class ScreenSource {
  public:
    virtual ~ScreenSource() = default;
    virtual ScreenSize Size() = 0;
    // One scan tick's grabs happen between these two calls; the screen device context is held
    // in between, and an implementation may keep per-tick objects for the many line grabs.
    virtual void BeginTick() = 0;
    virtual void EndTick() = 0;
    // Copies (x, y, width, height) into `bits` as a top-down DIB at the depth that `bitmapInfo`
    // names, rewriting its width and height. With null `bits` it only lets the platform fill in
    // the colour table. Outside BeginTick/EndTick it takes the device context itself. False when
    // the platform failed: `bits` then holds nothing to be trusted.
    virtual bool GrabRect(int32_t x, int32_t y, int32_t width, int32_t height,
                          std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t rasterOp) = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual uint32_t TickCount() = 0;  // milliseconds, wraps like GetTickCount
    virtual double LocalNow() = 0;     // days since 1899-12-30, local time
};

class CursorSource {
  public:
    virtual ~CursorSource() = default;
    virtual Point CursorPos() = 0;
};

// Receives the low-level mouse hook's calls; the hook passes every event on afterwards.
class MouseSink {
  public:
    virtual ~MouseSink() = default;
    virtual void OnMouseMessage(int nCode, uint32_t message) = 0;
};

class MouseHook {
  public:
    virtual ~MouseHook() = default;
    virtual bool Install(MouseSink& sink) = 0;
    virtual bool Remove() = 0;  // true when the hook is gone
    virtual bool Installed() const = 0;
};

class AudioSink {
  public:
    virtual ~AudioSink() = default;
    virtual void OnAudioBlock(const uint8_t* data, int32_t size) = 0;
    // The device has delivered nothing but exact silence since it opened.
    virtual void OnSilentInput() {}
};

// The GSM 6.10 wave-in device; deliveries reach the sink as they arrive.
class AudioInput {
  public:
    virtual ~AudioInput() = default;
    virtual void Open(int32_t samplesPerSec, int32_t avgBytesPerSec, uint32_t bufferSize) = 0;
    virtual bool Active() const = 0;
    // After a failed Open: the device opened, but the system has no GSM 6.10 codec (Windows N
    // and LTSC editions can lack it).
    virtual bool CodecMissing() const { return false; }
    // Stops capturing and delivers to the sink, before returning, the sound the device still
    // holds; Close follows.
    virtual void HandOver() = 0;
    virtual void Close() = 0;
};

class AudioFactory {
  public:
    virtual ~AudioFactory() = default;
    virtual std::unique_ptr<AudioInput> Create(AudioSink& sink) = 0;
};

// The recording executable, open for reading and writing.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    virtual bool Append(std::span<const uint8_t> bytes) = 0;
    virtual int64_t Size() = 0;
    virtual bool ReadAt(int64_t offset, std::span<uint8_t> bytes) = 0;
    virtual bool WriteAt(int64_t offset, std::span<const uint8_t> bytes) = 0;
    virtual bool Truncate(int64_t size) = 0;
    virtual std::string LastError() = 0;  // the platform's text for the last failure
};

// A file open for reading from its start, such as the player stub.
class InputFile {
  public:
    virtual ~InputFile() = default;
    // Fills `bytes` from the current position; returns how many were read (0 at the end), or -1
    // on failure (a locked range, a device error).
    virtual int64_t Read(std::span<uint8_t> bytes) = 0;
    virtual std::string LastError() = 0;  // the platform's text for the last failure
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual bool Exists(const std::string& path) = 0;
    // Opens for reading, letting others read and write the file meanwhile.
    virtual std::unique_ptr<InputFile> OpenRead(const std::string& path, std::string& error) = 0;
    virtual std::unique_ptr<OutputFile> Create(const std::string& path, std::string& error) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // True when both paths name one existing file (links, case and short names included).
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;
};

// The window timer that drives the ticks.
class TickTimer {
  public:
    virtual ~TickTimer() = default;
    virtual void Start(int32_t intervalMs) = 0;
    virtual void Stop() = 0;
};

// Where the running size and clock texts go (the main window's Label1 and Label2).
class RecorderView {
  public:
    virtual ~RecorderView() = default;
    virtual void ShowLabels(const std::string& sizeText, const std::string& durationText) = 0;
    // The sound device did not open. Called before the output file is made, so that a notice
    // shown here is not recorded; the recording then goes on without sound.
    virtual void SoundDeviceFailed() {}
    // The same, because the system has no GSM 6.10 codec.
    virtual void SoundCodecMissing() { SoundDeviceFailed(); }
    // The microphone delivers only exact silence; the recording goes on. Called from inside a
    // delivery, so a notice is shown later, not from here.
    virtual void SilentMicrophone() {}
};

class PipelineObserver;

struct RecorderPlatform {
    ScreenSource& screen;
    Clock& clock;
    CursorSource& cursor;
    MouseHook& mouseHook;
    FileSystem& files;
    AudioFactory& audio;
    TickTimer& timer;
    RecorderView& view;
    std::string decimalSeparator = ".";
    // Threads that compress and write the records: -1 one per core beyond the first, 0 none
    // (the tick does it itself).
    int compressionWorkers = -1;
    PipelineObserver* pipelineObserver = nullptr;
    // Run on each compression worker's thread as it starts (the platform lowers its priority,
    // so that the pointer and the tick never wait for zlib); may be empty.
    std::function<void()> compressionThreadStart = {};
};

}  // namespace mrv
