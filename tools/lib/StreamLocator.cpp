// Stream location: an explicit stub first, then our own PE stub's overlay, then a bare stream.
#include "tools/lib/StreamLocator.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "common/Utf8Path.h"
#include "playback/StreamLocation.h"
#include "recorder/StreamReader.h"

namespace mrv::tools {

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::ifstream in(Utf8Path(path), std::ios::binary);
    if (!in) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = path + ": read failed";
        return false;
    }
    return true;
}

namespace {
bool OpensAsStream(std::span<const uint8_t> file, int64_t offset, std::string* why = nullptr) {
    StreamReader reader;
    if (reader.Open(file.subspan(static_cast<size_t>(offset)))) return true;
    if (why != nullptr) *why = reader.error();
    return false;
}
}  // namespace

std::optional<StreamStart> FindStreamStart(std::span<const uint8_t> file,
                                           const std::vector<uint8_t>* stub, std::string& error) {
    if (stub != nullptr) {
        if (file.size() < stub->size() || !std::equal(stub->begin(), stub->end(), file.begin())) {
            error = "the file does not begin with the given stub";
            return std::nullopt;
        }
        return StreamStart{static_cast<int64_t>(stub->size()), "after the stub"};
    }
    // Where the player itself looks: after the executable image.
    const playback::StreamLocation where = playback::LocateStream(file);
    if (where.result != playback::Located::NotExecutable) {
        if (where.result == playback::Located::Found && OpensAsStream(file, where.offset))
            return StreamStart{where.offset, "after the executable image"};
        error = "an executable without a recording stream after its image";
        return std::nullopt;
    }
    std::string why;
    if (OpensAsStream(file, 0, &why)) return StreamStart{0, "at the file start"};
    error = "not an executable, and not a recording stream: " + why;
    return std::nullopt;
}

}  // namespace mrv::tools
