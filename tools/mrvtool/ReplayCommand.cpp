// mrvtool replay: records a folder of PNG frames with the real engine, one frame per tick.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "recorder/FramePipeline.h"
#include "tools/lib/Replay.h"
#include "tools/mrvtool/Command.h"

namespace mrv::tools {

namespace {

std::vector<std::string> PngFiles(const std::string& dir, std::string& error) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (entry.is_regular_file() && ext == ".png") files.push_back(entry.path().string());
    }
    if (ec) error = dir + ": " + ec.message();
    std::sort(files.begin(), files.end());
    return files;
}

bool ParseChoice(const Args& args, const char* name, std::initializer_list<int> allowed,
                 int& value) {
    const auto text = args.Option(name);
    if (!text) return false;
    char* end = nullptr;
    const long v = std::strtol(text->c_str(), &end, 10);
    if (*end != '\0') return false;
    if (allowed.size() != 0 && std::find(allowed.begin(), allowed.end(), v) == allowed.end()) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

int RunReplay(const Args& args) {
    ReplayOptions options;
    if (args.positional.size() != 1) return UsageError("expected one frames folder");
    if (!ParseChoice(args, "bpp", {32, 16}, options.bitsPerPixel)) {
        return UsageError("--bpp must be 32 or 16");
    }
    if (!ParseChoice(args, "step", {17, 13, 7}, options.scanStep)) {
        return UsageError("--step must be 17, 13 or 7");
    }
    if (!ParseChoice(args, "fps", {}, options.fps) || options.fps < 1 || options.fps > 1000) {
        return UsageError("--fps must be a whole number from 1 to 1000");
    }
    options.workers = DefaultCompressionWorkers();
    if (args.Option("workers") &&
        (!ParseChoice(args, "workers", {}, options.workers) || options.workers < 1 ||
         options.workers > kMaxCompressionWorkers)) {
        return UsageError("--workers must be a whole number from 1 to " +
                          std::to_string(kMaxCompressionWorkers));
    }
    options.pace = args.Flag("pace");
    const auto stub = args.Option("stub");
    const auto out = args.Option("out");
    if (!stub || !out) return UsageError("replay needs --stub FILE and --out REC");
    options.stubPath = *stub;
    options.outPath = *out;
    const bool json = args.Flag("json");

    std::string error;
    const std::vector<std::string> files = PngFiles(args.positional[0], error);
    if (!error.empty()) return UsageError(error);
    if (files.empty()) return UsageError("no PNG files in " + args.positional[0]);

    RgbImage frame;
    if (!ReadPng(files[0], frame, error)) return UsageError(error);
    const int32_t width = frame.width;
    const int32_t height = frame.height;
    Replay replay;
    if (!replay.Start(width, height, options, error)) return UsageError(error);

    for (size_t i = 0; i < files.size(); ++i) {
        if (i > 0 && !ReadPng(files[i], frame, error)) break;
        if (frame.width != width || frame.height != height) {
            error = files[i] + ": not the size of the first frame";
            break;
        }
        replay.Show(frame);
        if (!replay.Tick(error)) break;
    }
    std::string stopError;
    const bool stopped = replay.Stop(stopError);
    if (!error.empty()) return UsageError(error);
    if (!stopped) return UsageError(stopError);

    const std::vector<TickSample> samples = replay.Samples();
    if (json) {
        std::printf("%s\n", StatsJson(samples, replay.Figures()).c_str());
    } else {
        std::printf("%s: %dx%d, %d bits, step %d, %d fps%s\n%s", options.outPath.c_str(), width,
                    height, options.bitsPerPixel, options.scanStep, options.fps,
                    options.pace ? ", paced" : "", StatsText(samples, replay.Figures()).c_str());
    }
    return kExitOk;
}

const CommandRegistration kReplay{
    {"replay",
     "replay FRAMES_DIR --bpp 32|16 --step 17|13|7 --fps F --stub FILE --out REC [--workers N] "
     "[--pace] [--json]",
     RunReplay,
     {{"bpp", "step", "fps", "stub", "out", "workers"}, {"json", "pace"}}}};

}  // namespace
}  // namespace mrv::tools
