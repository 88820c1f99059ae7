// ffmpeg's version and configuration, read from `ffmpeg -version` and remembered per program.
#include "export/FfmpegBuild.h"

#include <cstdlib>
#include <map>
#include <mutex>

#include "export/ExportJob.h"

namespace mrv::exporting {

FfmpegBuild ParseFfmpegVersion(const std::string& text) {
    FfmpegBuild build;
    // "ffmpeg version 6.1.1-full_build-www.gyan.dev", "n4.4.2", "N-112345-g…", "2024-03-07-git-…"
    const std::string head = "ffmpeg version ";
    const size_t at = text.find(head);
    if (at != std::string::npos) {
        const char* p = text.c_str() + at + head.size();
        if (*p == 'n') ++p;
        char* end = nullptr;
        const long major = std::strtol(p, &end, 10);
        // A date is a build from the source tree, newer than any release.
        if (end != p && major > 0 && major < 1000 && *end == '.') {
            build.major = static_cast<int>(major);
            build.minor = static_cast<int>(std::strtol(end + 1, nullptr, 10));
        } else if (end != p && major > 0 && major < 1000) {
            build.major = static_cast<int>(major);
        }
    }
    const size_t configuration = text.find("configuration:");
    if (configuration != std::string::npos) {
        const std::string line =
            text.substr(configuration, text.find('\n', configuration) - configuration);
        build.hasLibx264 = line.find("--enable-libx264") != std::string::npos;
    }
    return build;
}

std::vector<std::string> PassthroughTimingArgs(const FfmpegBuild& build) {
    const bool old = build.major != 0 && (build.major < 5 || (build.major == 5 && build.minor < 1));
    return {old ? "-vsync" : "-fps_mode", "passthrough"};
}

FfmpegBuild AskFfmpegBuild(const std::string& program, Job& job) {
    static std::mutex mutex;
    static std::map<std::string, FfmpegBuild> known;
    {
        std::lock_guard lock(mutex);
        if (const auto it = known.find(program); it != known.end()) return it->second;
    }
    std::string error, text;
    std::unique_ptr<ChildProcess> child =
        StartChild({program, {"-version"}, false, true, {}}, error);
    if (!child) return {};
    job.Attach(child.get());
    uint8_t buffer[4096];
    // A version text is a few kilobytes; more is not ffmpeg's.
    for (int64_t n; text.size() < (1 << 16) && (n = child->Read(buffer)) > 0;) {
        text.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
    }
    const int status = child->Wait();
    job.Detach(child.get());
    if (status != 0 || job.cancelled()) return {};
    const FfmpegBuild build = ParseFfmpegVersion(text);
    std::lock_guard lock(mutex);
    known[program] = build;
    return build;
}

}  // namespace mrv::exporting
