// Writes the recordings the export test needs: a picture, then many tiny records each held for
// many ticks, with sound at the start and optionally at the end.
//   mrv_export_streams OUT RECORDS HOLD TICK_MS END_SOUND(0|1)
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "tests/support/StreamBuilder.h"

int main(int argc, char** argv) {
    using mrv::testing::GsmBlocks;
    using mrv::testing::StreamBuilder;
    if (argc != 6) {
        std::fprintf(stderr, "usage: mrv_export_streams OUT RECORDS HOLD TICK_MS END_SOUND\n");
        return 2;
    }
    const int records = std::atoi(argv[2]);
    const auto hold = static_cast<uint8_t>(std::atoi(argv[3]));
    const int tickMs = std::atoi(argv[4]);
    StreamBuilder s(64, 48, 32, 1);
    // The header's mean tick: one tick that lasted TICK_MS.
    s.Stop(1, tickMs);
    s.Add({0, 0, 64, 48}, 0x40, {.hold = hold, .audio = GsmBlocks(4, 0x55)});
    for (int i = 1; i < records; ++i) {
        const bool sound = i + 1 == records && argv[5][0] == '1';
        s.Add({}, 0, {.hold = hold, .audio = GsmBlocks(sound ? 1 : 0, 0x55)});
    }
    std::ofstream out(argv[1], std::ios::binary);
    const auto bytes = s.Bytes();
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
}
