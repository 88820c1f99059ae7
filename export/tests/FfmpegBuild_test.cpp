// What `ffmpeg -version` says of a build, and the options chosen for it.
#include "export/FfmpegBuild.h"

#include <gtest/gtest.h>

namespace mrv::exporting {
namespace {

struct VersionCase {
    const char* name;
    const char* text;
    const char* timingOption;
    bool hasLibx264;
};

class FfmpegVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(FfmpegVersion, TimingOptionAndEncoderFollowTheBuild) {
    const FfmpegBuild build = ParseFfmpegVersion(GetParam().text);
    EXPECT_EQ(PassthroughTimingArgs(build),
              (std::vector<std::string>{GetParam().timingOption, "passthrough"}));
    EXPECT_EQ(build.hasLibx264, GetParam().hasLibx264);
}

INSTANTIATE_TEST_SUITE_P(
    Builds, FfmpegVersion,
    ::testing::Values(
        VersionCase{"Debian51",
                    "ffmpeg version 5.1.6-0+deb12u1 Copyright (c) 2000-2024\n"
                    "built with gcc 12\nconfiguration: --prefix=/usr --enable-gpl --enable-libx264 "
                    "--enable-shared\nlibavutil      57. 28.100",
                    "-fps_mode", true},
        VersionCase{"Old50", "ffmpeg version n5.0.1 Copyright\nconfiguration: --enable-libx264\n",
                    "-vsync", true},
        VersionCase{"Old44", "ffmpeg version 4.4.2-0ubuntu0.22.04.1\n", "-vsync", true},
        VersionCase{"LgplRelease",
                    "ffmpeg version 7.0-essentials\nconfiguration: --enable-lgpl --enable-mf\n"
                    "libavutil 59. 8.100 / --enable-libx264 is not here\n",
                    "-fps_mode", false},
        VersionCase{"SourceTree", "ffmpeg version N-112345-g0123abc\n", "-fps_mode", true},
        VersionCase{"DatedGit", "ffmpeg version 2024-03-07-git-97beb63a66-full_build\n",
                    "-fps_mode", true},
        VersionCase{"NotFfmpeg", "usage: something else\n", "-fps_mode", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mrv::exporting
