// Sound against pictures: libgsm decodes the blocks (the tests' own codec, not the program's),
// AudioTimeline lays them out as the player does, and the pictures are rebuilt record by record.
#include "tests/e2e/SoundAnalysis.h"

#include <gsm.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "playback/AudioTimeline.h"
#include "recorder/StreamFormat.h"
#include "tools/lib/Png.h"

namespace mrv::e2e {
namespace {

// 65-byte blocks are two GSM frames in the WAV49 layout; the codec's state runs on across
// chunks, which the time line asks for in order.
class LibGsmDecoder final : public playback::GsmDecoder {
  public:
    LibGsmDecoder() : gsm_(gsm_create()) {
        int one = 1;
        gsm_option(gsm_, GSM_OPT_WAV49, &one);
    }
    ~LibGsmDecoder() override { gsm_destroy(gsm_); }
    LibGsmDecoder(const LibGsmDecoder&) = delete;
    LibGsmDecoder& operator=(const LibGsmDecoder&) = delete;

    bool Decode(std::span<const uint8_t> blocks, std::span<int16_t> pcm) override {
        std::vector<uint8_t> frame(blocks.begin(), blocks.end());
        for (size_t b = 0; b * kGsmBlockBytes < frame.size(); ++b) {
            uint8_t* in = frame.data() + b * kGsmBlockBytes;
            int16_t* out = pcm.data() + b * kGsmSamplesPerBlock;
            if (gsm_decode(gsm_, in, out) < 0 || gsm_decode(gsm_, in + 33, out + 160) < 0) {
                return false;
            }
        }
        return true;
    }

  private:
    gsm gsm_;
};

// The fed tone decodes to about 8300 RMS and silence to near 0; where a tone stops, the codec
// leaves a short ring of about 1500 RMS without the tone's frequency.
constexpr double kLoudRms = 1500;
constexpr double kFullToneRms = 5000;
constexpr int kQuietWindowsBeforeOnset = 20;

}  // namespace

int SoundReport(std::span<const uint8_t> stream, StreamReader& reader,
                const playback::Timeline& timeline, int x, int y, const std::string& pcmPath) {
    AudioRate rate{};
    if (!AudioRateForFormat(reader.header().audioFormat, rate)) {
        std::printf("rate 0\nblocks 0\n");
        return 0;
    }
    playback::AudioTimeline audio;
    audio.Build(timeline, rate.samplesPerSec);
    LibGsmDecoder decoder;
    std::vector<int16_t> pcm(static_cast<size_t>(audio.totalSamples()));
    audio.Fill(stream, decoder, 0, pcm);
    if (!pcmPath.empty()) {
        std::ofstream out(pcmPath, std::ios::binary);
        out.write(reinterpret_cast<const char*>(pcm.data()),
                  static_cast<std::streamsize>(pcm.size() * sizeof(int16_t)));
    }
    int64_t soundSamples = 0;
    for (const auto& c : audio.chunks()) soundSamples += int64_t{c.blocks} * kGsmSamplesPerBlock;
    std::printf("rate %d\nblocks %lld\nsoundMs %lld\ndurationMs %d\ndecoded %lld\n",
                rate.samplesPerSec, static_cast<long long>(soundSamples / kGsmSamplesPerBlock),
                static_cast<long long>(soundSamples * 1000 / rate.samplesPerSec),
                reader.header().durationMs, static_cast<long long>(audio.blocksDecoded()));

    // 10 ms windows: loud or quiet; a tone starts at a loud window after 200 ms of quiet.
    const size_t window = static_cast<size_t>(rate.samplesPerSec / 100);
    std::vector<bool> loud, full;
    for (size_t at = 0; at + window <= pcm.size(); at += window) {
        double sum = 0;
        for (size_t i = at; i < at + window; ++i) sum += static_cast<double>(pcm[i]) * pcm[i];
        const double rms = std::sqrt(sum / static_cast<double>(window));
        loud.push_back(rms > kLoudRms);
        full.push_back(rms > kFullToneRms);
    }
    std::vector<int64_t> onsets;
    int64_t crossings = 0, toneSamples = 0, lastToneWindows = 0;
    int quiet = kQuietWindowsBeforeOnset;
    for (size_t w = 0; w < loud.size(); ++w) {
        if (loud[w] && quiet >= kQuietWindowsBeforeOnset) {
            onsets.push_back(audio.MsAtSample(static_cast<int64_t>(w * window)));
            lastToneWindows = 0;
        }
        lastToneWindows += loud[w];
        quiet = loud[w] ? 0 : quiet + 1;
        // The frequency from the steady middle of each tone: 50 ms in from either edge.
        bool steady = w >= 5 && w + 5 < loud.size();
        for (size_t k = w - 5; steady && k <= w + 5; ++k) steady = full[k];
        if (!steady) continue;
        // Every pair that ends in this window, the one across its start included: the tone's
        // phase is locked to the windows, so leaving that pair out would bias the count.
        for (size_t i = w * window; i < (w + 1) * window; ++i) {
            crossings += pcm[i - 1] < 0 && pcm[i] >= 0;
        }
        toneSamples += static_cast<int64_t>(window);
    }
    std::printf(
        "tone %.1f\n",
        toneSamples > 0 ? static_cast<double>(crossings) * rate.samplesPerSec / toneSamples : 0.0);
    std::printf("last-tone-ms %lld\n", static_cast<long long>(lastToneWindows * 10));

    // The picture at (x, y) record by record; dark to bright is where a tone was switched on.
    std::vector<int64_t> changes;
    tools::RgbImage picture;
    bool bright = false;
    for (const auto& r : timeline.records()) {
        if (reader.ReadNext() != StreamReader::Next::Frame) break;
        tools::DibToRgb(reader.image(), reader.geometry(), reader.colorTable(), picture);
        if (x >= picture.width || y >= picture.height) return 1;
        const uint8_t* p = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
        const bool now = p[0] + p[1] + p[2] > 384;
        if (now && !bright) changes.push_back(timeline.MsOfTick(r.firstTick));
        bright = now;
    }
    auto print = [](const char* name, const std::vector<int64_t>& list) {
        std::printf("%s", name);
        for (int64_t ms : list) std::printf(" %lld", static_cast<long long>(ms));
        std::printf("\n");
    };
    print("onsets", onsets);
    print("changes", changes);
    int64_t worst = -1;
    for (int64_t c : changes) {
        int64_t best = INT64_MAX;
        for (int64_t o : onsets) best = std::min<int64_t>(best, std::llabs(o - c));
        worst = std::max(worst, best);
    }
    std::printf("worst-gap %lld\n", static_cast<long long>(worst));
    return 0;
}

}  // namespace mrv::e2e
