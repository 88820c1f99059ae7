// Fuzz entry for the stream reader, the PE overlay finder and the arithmetic over what they read
// (the player's time line, sound time line, seeker and position bar; the export's pacing and
// limits): any bytes, no crash, no overrun, no undefined arithmetic, no unbounded allocation.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "export/ExportPlan.h"
#include "playback/AudioTimeline.h"
#include "playback/FrameSeeker.h"
#include "playback/Timeline.h"
#include "player/Playback.h"
#include "recorder/PeOverlay.h"
#include "recorder/StreamReader.h"

namespace {
// Small enough that a hostile frame size is refused quickly, large enough for real screens.
constexpr int64_t kFuzzMaxFrameBytes = 4 << 20;
constexpr int kMaxRecords = 100000;

void Check(bool condition) {
    if (!condition) abort();
}

void ReadAll(std::span<const uint8_t> bytes) {
    mrv::StreamReader reader;
    if (!reader.Open(bytes, kFuzzMaxFrameBytes)) return;
    (void)reader.colorTable();
    mrv::StreamReader::Snapshot snapshot;
    bool saved = false;
    for (int i = 0; i < kMaxRecords; ++i) {
        if (reader.ReadNext() != mrv::StreamReader::Next::Frame) break;
        Check(reader.image().size() == static_cast<size_t>(reader.geometry().frameBytes));
        if (i == 0) {
            reader.Save(snapshot);
            saved = true;
        }
    }
    // Seeking back must leave the reader as usable as before.
    if (saved) {
        reader.Restore(snapshot);
        (void)reader.ReadNext();
    }
    reader.Rewind();
    (void)reader.ReadNext();
}

// Decodes nothing; hands the block bytes on as samples so that a misplaced copy shows.
class PassThroughDecoder : public mrv::playback::GsmDecoder {
  public:
    bool Decode(std::span<const uint8_t> blocks, std::span<int16_t> pcm) override {
        Check(blocks.size() % mrv::kGsmBlockBytes == 0);
        Check(pcm.size() == blocks.size() / mrv::kGsmBlockBytes * mrv::kGsmSamplesPerBlock);
        for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = blocks[i % blocks.size()];
        return !blocks.empty() && blocks[0] != 0xEE;  // now and then a block that fails
    }
};

void DriveTimeline(const mrv::playback::Timeline& timeline) {
    using namespace mrv::playback;
    using namespace mrv::player;
    const Pacing& p = timeline.pacing();
    Check(p.totalMs >= 0 && p.tickMs >= 10 && p.tickMs <= 10000);
    const int64_t records = static_cast<int64_t>(timeline.records().size());
    for (int64_t ms : {int64_t{0}, int64_t{1}, p.totalMs / 3, p.totalMs - 1, p.totalMs,
                       p.totalMs + 1, p.totalMs * 4}) {
        const int32_t record = timeline.RecordAtMs(ms);
        Check(record >= (records > 0 ? 0 : -1) && record < std::max<int64_t>(records, 1));
        const int32_t click = timeline.ClickRecordAtMs(ms);
        Check(click <= record);
        Check(timeline.MsOfTick(timeline.TickAtMs(ms)) >= 0);
    }

    mrv::player::Playback playback(p.totalMs);
    playback.Play();
    Check(playback.Position(p.totalMs / 2) <= p.totalMs);
    playback.Seek(p.totalMs / 3);
    playback.EndAt(p.totalMs / 2);
    Check(playback.Position(p.totalMs) == p.totalMs / 2);
    (void)PositionText(playback.base(), p.totalMs);

    const BarScale bar(p.totalMs);
    Check(bar.maxPosition() >= 0 && bar.maxPosition() <= kMaxBarPositions);
    for (int64_t ms : {int64_t{0}, p.totalMs / 7, p.totalMs}) {
        const int64_t back = bar.MsOf(bar.PositionOf(ms));
        Check(back <= ms && ms - back < bar.unitMs());
    }
}

void DriveSound(std::span<const uint8_t> stream, const mrv::StreamHeader& header,
                const mrv::playback::Timeline& timeline) {
    using namespace mrv::playback;
    mrv::AudioRate rate{0, 0};
    if (!mrv::AudioRateForFormat(header.audioFormat, rate)) return;
    AudioTimeline sound;
    sound.Build(timeline, rate.samplesPerSec);
    int64_t previousEnd = 0;
    for (const AudioChunk& c : sound.chunks()) {
        Check(c.startSample >= previousEnd && c.blocks > 0);
        previousEnd = c.startSample + int64_t{c.blocks} * mrv::kGsmSamplesPerBlock;
    }
    Check(sound.totalSamples() >= previousEnd);
    // A few windows spread over the whole line, as the sound device asks for them.
    PassThroughDecoder decoder;
    std::vector<int16_t> pcm(1000);
    const int64_t total = sound.totalSamples();
    for (int i = 0; i <= 16; ++i) {
        const int64_t first = total / 16 * i - 500;
        const int64_t filled = sound.Fill(stream, decoder, first, pcm);
        Check(filled >= 0 && filled <= static_cast<int64_t>(pcm.size()));
    }
    Check(sound.MsAtSample(total) >= 0);
}

void DriveSeeker(mrv::StreamReader& reader, mrv::playback::Timeline& timeline) {
    using namespace mrv::playback;
    const int32_t records = static_cast<int32_t>(timeline.records().size());
    if (records == 0) return;
    // Room for two snapshots, taken close together, so that restoring them is exercised.
    FrameSeeker seeker(reader, timeline, reader.geometry().frameBytes * 2, 1);
    for (int32_t target : {records - 1, records / 2, 0, records - 1}) {
        if (!seeker.GoTo(target)) {
            // A damaged record: the player ends the recording before it.
            const int32_t bad = reader.recordIndex();
            Check(bad <= target);
            if (timeline.CutAt(bad)) {
                Check(static_cast<int32_t>(timeline.records().size()) == bad);
                DriveTimeline(timeline);
            }
            return;
        }
        Check(reader.recordIndex() == target + 1);
    }
}

// The export's pacing and limits over the same time line: a time line that export accepts is
// sent as frames in strictly rising ticks, a bounded number per record, and its sound checks
// never overflow.
void DriveExport(const mrv::StreamHeader& header, const mrv::playback::Timeline& timeline) {
    using namespace mrv::exporting;
    const mrv::playback::Pacing& p = timeline.pacing();
    Check(TickMicros(p.tickMs) >= 1);
    if (CheckPictureTimeline(p.totalTicks, p.tickMs)) return;
    const auto& records = timeline.records();
    std::vector<int64_t> ticks;
    for (int64_t maxFrameMs : {int64_t{0}, kMaxGifFrameMs}) {
        const int64_t maxTicks = MaxTicksPerFrame(p.tickMs, maxFrameMs);
        Check(maxTicks >= 1);
        int64_t previous = -1;
        for (size_t i = 0; i < records.size(); ++i) {
            const int64_t span = 1 + int64_t{records[i].holdTicks};
            ticks.clear();
            FrameTicks(records[i].firstTick, span, i + 1 == records.size(), maxTicks, ticks);
            Check(!ticks.empty() && static_cast<int64_t>(ticks.size()) <= span / maxTicks + 2);
            for (int64_t tick : ticks) {
                Check(tick > previous && tick < records[i].firstTick + span);
                previous = tick;
            }
        }
    }
    mrv::AudioRate rate{0, 0};
    if (!mrv::AudioRateForFormat(header.audioFormat, rate)) return;
    mrv::playback::AudioTimeline sound;
    sound.Build(timeline, rate.samplesPerSec);
    int64_t end = 0;
    if (!sound.chunks().empty()) {
        const auto& last = sound.chunks().back();
        end = last.startSample + int64_t{last.blocks} * mrv::kGsmSamplesPerBlock;
    }
    (void)CheckSoundTimeline(timeline.audioBlocks() * mrv::kGsmSamplesPerBlock, end,
                             rate.samplesPerSec);
    (void)CheckWavSize(timeline.audioBlocks() * mrv::kGsmBlockBytes);
}

void Play(std::span<const uint8_t> stream) {
    mrv::StreamReader reader;
    if (!reader.Open(stream, kFuzzMaxFrameBytes)) return;
    mrv::playback::Timeline timeline;
    (void)timeline.Build(stream, reader.header());
    DriveTimeline(timeline);
    DriveSound(stream, reader.header(), timeline);
    DriveExport(reader.header(), timeline);
    DriveSeeker(reader, timeline);
}

void RunAll(std::span<const uint8_t> stream) {
    ReadAll(stream);
    Play(stream);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    RunAll(bytes);
    if (const auto overlay = mrv::FindPeOverlay(bytes)) {
        Check(*overlay >= 0 && *overlay <= static_cast<int64_t>(size));
        RunAll(bytes.subspan(static_cast<size_t>(*overlay)));
    }
    return 0;
}
