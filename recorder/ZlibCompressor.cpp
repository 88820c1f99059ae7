// zlib compression of frame payloads in 32768-byte chunks.
#include "recorder/ZlibCompressor.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace mrv {

namespace {
constexpr size_t kChunk = 32768;
}

struct ZlibCompressor::State {
    z_stream stream{};
    bool initialised = false;
    uint8_t out[kChunk];
};

ZlibCompressor::ZlibCompressor() : state_(std::make_unique<State>()) {
    // Level -1 is zlib's default, which it runs as level 6; the stream header is 0x78 0x9C.
    state_->initialised = deflateInit2(&state_->stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8,
                                       Z_DEFAULT_STRATEGY) == Z_OK;
}

ZlibCompressor::~ZlibCompressor() {
    if (state_->initialised) deflateEnd(&state_->stream);
}

void ZlibCompressor::Compress(std::span<const uint8_t> input, std::vector<uint8_t>& out) {
    if (!state_->initialised) return;
    z_stream& zs = state_->stream;
    // Resetting gives the same bytes as a fresh deflateInit without reallocating the window
    // and hash tables on every tick.
    deflateReset(&zs);
    size_t consumed = 0;
    auto drain = [&](int flush) {
        // As in zlib's own example: keep calling while deflate fills the whole output chunk.
        do {
            zs.next_out = state_->out;
            zs.avail_out = kChunk;
            deflate(&zs, flush);
            out.insert(out.end(), state_->out, state_->out + (kChunk - zs.avail_out));
        } while (zs.avail_out == 0);
    };
    while (consumed < input.size()) {
        const size_t n = std::min(kChunk, input.size() - consumed);
        zs.next_in = const_cast<Bytef*>(input.data() + consumed);
        zs.avail_in = static_cast<uInt>(n);
        drain(Z_NO_FLUSH);
        consumed += n;
    }
    zs.next_in = nullptr;
    zs.avail_in = 0;
    drain(Z_FINISH);
}

}  // namespace mrv
