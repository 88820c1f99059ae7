// Reads a recording file and finds where its recording stream begins.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mrv::tools {

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

struct StreamStart {
    int64_t offset = 0;
    std::string how;  // "after the stub", "after the executable image", "at the file start"
};

// With `stub`, the stream follows the stub's bytes, which must open the file. Without, it
// follows the PE image when the file is an executable with a stream appended, or starts the file.
std::optional<StreamStart> FindStreamStart(std::span<const uint8_t> file,
                                           const std::vector<uint8_t>* stub, std::string& error);

}  // namespace mrv::tools
