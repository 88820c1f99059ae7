// Runs the real recording engine over frames supplied one per tick, timing the user-interface
// thread's share of each tick and the compression workers' share of its record.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/lib/Png.h"
#include "tools/lib/TickStats.h"

namespace mrv::tools {

struct ReplayOptions {
    int bitsPerPixel = 32;  // 32 or 16
    int scanStep = 17;
    int fps = 20;
    std::string stubPath;
    std::string outPath;
    int workers = -1;   // compression workers; -1 the recorder's default
    bool pace = false;  // hand ticks over at the tick interval in wall time, as the timer does
    // A larger screen whose area at (areaLeft, areaTop), of the start size, is recorded and
    // shows the frames; 0 records a screen of the start size.
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    int32_t areaLeft = 0;
    int32_t areaTop = 0;
};

class Replay {
  public:
    Replay();
    ~Replay();
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

    // Starts a recording of a screen of the given size; false with `error` set on failure.
    bool Start(int32_t width, int32_t height, const ReplayOptions& options, std::string& error);
    // Puts a picture of the start size on the simulated screen (in its area).
    void Show(const RgbImage& frame);
    // One timer tick of the engine with the clock moved on by one tick interval.
    bool Tick(std::string& error);
    // Stops the recording once every record is written.
    bool Stop(std::string& error);
    // After Stop: one sample per tick, its record's compression and write included.
    std::vector<TickSample> Samples() const;
    RunFigures Figures() const;

  private:
    struct Platform;
    std::unique_ptr<Platform> platform_;
};

}  // namespace mrv::tools
