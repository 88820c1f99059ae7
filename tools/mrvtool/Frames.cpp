// mrvtool frames: the reconstructed picture after each record, as PNG files in record order.
#include <cstdio>
#include <filesystem>

#include "recorder/StreamReader.h"
#include "tools/lib/Png.h"
#include "common/Utf8Path.h"
#include "tools/mrvtool/RecordingInput.h"

namespace mrv::tools {

namespace {

int RunFrames(const Args& args) {
    const auto outDir = args.Option("out");
    if (!outDir) return UsageError("frames needs --out DIR");
    int every = 1;
    if (const auto e = args.Option("every")) {
        every = std::atoi(e->c_str());
        if (every < 1) return UsageError("--every must be a positive number");
    }
    RecordingInput input;
    if (int rc = LoadRecording(args, input); rc != kExitOk) return rc;

    StreamReader reader;
    if (!reader.Open(input.stream())) {
        std::fprintf(stderr, "%s\n", reader.error().c_str());
        return kExitInvalid;
    }
    std::error_code ec;
    std::filesystem::create_directories(Utf8Path(*outDir), ec);
    if (ec) return UsageError(*outDir + ": " + ec.message());

    RgbImage image;
    int written = 0;
    for (;;) {
        const StreamReader::Next next = reader.ReadNext();
        if (next == StreamReader::Next::End) break;
        if (next == StreamReader::Next::Truncated) {
            std::fprintf(stderr, "warning: the last record is cut off; %d records read\n",
                         reader.recordIndex());
            break;
        }
        if (next == StreamReader::Next::Error) {
            std::fprintf(stderr, "%s\n", reader.error().c_str());
            return kExitInvalid;
        }
        const int32_t index = reader.recordIndex() - 1;
        if (index % every != 0) continue;
        DibToRgb(reader.image(), reader.geometry(), reader.colorTable(), image);
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", index);
        const std::string path = PathUtf8(Utf8Path(*outDir) / name);
        if (!WritePng(path, image)) return UsageError("cannot write " + path);
        ++written;
    }
    std::printf("%d frames written to %s\n", written, outDir->c_str());
    return kExitOk;
}

const CommandRegistration kFrames{{"frames",
                                   "frames REC --out DIR [--every K] [--stub FILE]",
                                   RunFrames,
                                   {{"out", "every", "stub"}, {}}}};

}  // namespace
}  // namespace mrv::tools
