// Test helper: compares two folders of PNG frames in name order, exactly or as 5-5-5 keeps them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/lib/Png.h"

namespace {

std::vector<std::string> Pngs(const std::string& dir) {
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (e.path().extension() == ".png") files.push_back(e.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool Same(const std::string& expectedPath, const std::string& actualPath, bool through555) {
    mrv::tools::RgbImage expected;
    mrv::tools::RgbImage actual;
    std::string error;
    if (!mrv::tools::ReadPng(expectedPath, expected, error) ||
        !mrv::tools::ReadPng(actualPath, actual, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    if (expected.width != actual.width || expected.height != actual.height) {
        std::fprintf(stderr, "%s and %s differ in size\n", expectedPath.c_str(),
                     actualPath.c_str());
        return false;
    }
    for (size_t i = 0; i < expected.rgb.size(); ++i) {
        const uint8_t want = through555 ? mrv::tools::Through555(expected.rgb[i]) : expected.rgb[i];
        if (actual.rgb[i] != want) {
            const size_t pixel = i / 3;
            std::fprintf(stderr, "%s vs %s: pixel (%zu, %zu) channel %zu is %u, expected %u\n",
                         expectedPath.c_str(), actualPath.c_str(), pixel % expected.width,
                         pixel / expected.width, i % 3, actual.rgb[i], want);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mrv_pngdiff EXPECTED_DIR ACTUAL_DIR [--555] [--last]\n");
        return 2;
    }
    bool through555 = false;
    bool lastOnly = false;
    for (int i = 3; i < argc; ++i) {
        through555 |= std::strcmp(argv[i], "--555") == 0;
        lastOnly |= std::strcmp(argv[i], "--last") == 0;
    }
    const auto expected = Pngs(argv[1]);
    const auto actual = Pngs(argv[2]);
    if (expected.empty() || actual.empty() || (!lastOnly && expected.size() != actual.size())) {
        std::fprintf(stderr, "%zu expected frames, %zu actual frames\n", expected.size(),
                     actual.size());
        return 1;
    }
    if (lastOnly) return Same(expected.back(), actual.back(), through555) ? 0 : 1;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (!Same(expected[i], actual[i], through555)) return 1;
    }
    std::printf("%zu frames equal\n", expected.size());
    return 0;
}
