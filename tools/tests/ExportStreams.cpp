// Writes the recordings the export test needs: a picture, then many tiny records each held for
// many ticks, with sound at the start and optionally at the end.
//   mrv_export_streams OUT RECORDS HOLD TICK_MS END_SOUND(0|1)
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "tools/tests/TestStreams.h"

int main(int argc, char** argv) {
    using mrv::tools::testing::TestStream;
    if (argc != 6) {
        std::fprintf(stderr, "usage: mrv_export_streams OUT RECORDS HOLD TICK_MS END_SOUND\n");
        return 2;
    }
    const int records = std::atoi(argv[2]);
    const auto hold = static_cast<uint8_t>(std::atoi(argv[3]));
    const int tickMs = std::atoi(argv[4]);
    TestStream s(64, 48, 32, 1);
    // The header's mean tick: one tick that lasted TICK_MS.
    s.header.frameCount = 1;
    s.header.durationMs = tickMs;
    s.Add({0, 0, 64, 48}, 0x40, 65 * 4, hold);
    for (int i = 1; i < records; ++i) {
        const bool sound = i + 1 == records && argv[5][0] == '1';
        s.Add({}, 0, sound ? 65 : 0, hold);
    }
    std::ofstream out(argv[1], std::ios::binary);
    const auto bytes = s.Bytes();
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
}
