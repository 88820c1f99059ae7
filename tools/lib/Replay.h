// Runs the real recording engine over frames supplied one per tick, timing its two phases.
#pragma once

#include <memory>
#include <string>

#include "tools/lib/Png.h"
#include "tools/lib/TickStats.h"

namespace mrv::tools {

struct ReplayOptions {
    int bitsPerPixel = 32;  // 32 or 16
    int scanStep = 17;
    int fps = 20;
    std::string stubPath;
    std::string outPath;
};

class Replay {
  public:
    Replay();
    ~Replay();
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

    // Starts a recording of a screen of the given size; false with `error` set on failure.
    bool Start(int32_t width, int32_t height, const ReplayOptions& options, std::string& error);
    // Puts a picture of the start size on the simulated screen.
    void Show(const RgbImage& frame);
    // One timer tick of the engine with the clock moved on by one tick interval.
    bool Tick(TickSample& sample, std::string& error);
    bool Stop(std::string& error);

  private:
    struct Platform;
    std::unique_ptr<Platform> platform_;
};

}  // namespace mrv::tools
