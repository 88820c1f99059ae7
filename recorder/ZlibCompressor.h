// One zlib stream per frame payload, with the stream state kept for the whole recording.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace mrv {

class ZlibCompressor {
  public:
    ZlibCompressor();
    ~ZlibCompressor();
    ZlibCompressor(const ZlibCompressor&) = delete;
    ZlibCompressor& operator=(const ZlibCompressor&) = delete;

    // Appends the complete zlib stream (level 6, window 15, memLevel 8) of `input` to `out`.
    void Compress(std::span<const uint8_t> input, std::vector<uint8_t>& out);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace mrv
