// What the ffmpeg at hand can do, asked once per program with `ffmpeg -version`: builds differ
// (old ones lack -fps_mode, LGPL ones lack libx264).
#pragma once

#include <string>
#include <vector>

namespace mrv::exporting {

class Job;

struct FfmpegBuild {
    int major = 0;  // 0: not a release number (a build from the source tree): the newest
    int minor = 0;
    bool hasLibx264 = true;  // false only when its configuration says so
};

// From the text `ffmpeg -version` prints.
FfmpegBuild ParseFfmpegVersion(const std::string& text);

// Every picture keeps its own time stamp: `-fps_mode passthrough` from 5.1 on, before that
// `-vsync passthrough` (which later builds deprecate).
std::vector<std::string> PassthroughTimingArgs(const FfmpegBuild& build);

// `program -version`, run once per program for this process (cancelled with `job`); a program
// that does not answer is taken for the newest build, and its own run then says what is wrong.
FfmpegBuild AskFfmpegBuild(const std::string& program, Job& job);

}  // namespace mrv::exporting
