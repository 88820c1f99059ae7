// One export run end to end on built streams: the PCM sound lies where the player plays it,
// and a cancel or a failure leaves nothing behind, an existing file untouched.
#include "export/Export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "common/ByteOrder.h"
#include "export/ExportJob.h"
#include "tests/support/StreamBuilder.h"

namespace mrv::exporting {
namespace {

namespace fs = std::filesystem;
using testing::GsmBlocks;
using testing::StreamBuilder;

// Each block decodes to 320 samples of 100 times its first byte.
class FakeDecoders : public GsmDecoderFactory {
  public:
    class Decoder : public playback::GsmDecoder {
      public:
        bool Decode(std::span<const uint8_t> blocks, std::span<int16_t> pcm) override {
            for (size_t b = 0; b * kGsmBlockBytes < blocks.size(); ++b) {
                std::fill_n(pcm.begin() + static_cast<std::ptrdiff_t>(b * kGsmSamplesPerBlock),
                            kGsmSamplesPerBlock,
                            static_cast<int16_t>(blocks[b * kGsmBlockBytes] * 100));
            }
            return true;
        }
    };
    std::unique_ptr<playback::GsmDecoder> Start(const GsmSound&, std::string&) override {
        ++started;
        return std::make_unique<Decoder>();
    }
    int started = 0;
};

class ExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("mrv-export-test-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // 8 records at 4 per second with sound: records 0-3 carry 240 ms each (value 10), 4 and 5
    // none (the recorder dropped it), 6 carries 240 ms of value 60, 7 none.
    std::vector<uint8_t> Stream() {
        StreamBuilder s(40, 30, 32, 1);
        s.Stop(8, 2000);
        for (int i = 0; i < 8; ++i) {
            const int blocks = i < 4 || i == 6 ? 6 : 0;
            s.Add({0, i, 40, i + 1}, static_cast<uint8_t>(20 * i),
                  {.audio = GsmBlocks(blocks, i == 6 ? 60 : 10)});
        }
        return s.Bytes();
    }

    ExportResult Run(ExportFormat format, const fs::path& out, int cancelAt = -1) {
        const auto stream = Stream();
        ExportRequest request;
        request.format = format;
        request.output = out;
        int calls = 0;
        return RunExport(stream, request, decoders_,
                         [&](const ExportProgress&) { return calls++ != cancelAt; });
    }

    std::vector<fs::path> Files() {
        std::vector<fs::path> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::vector<uint8_t> Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir_;
    FakeDecoders decoders_;
};

TEST_F(ExportTest, PcmWavHoldsEachSoundEndingAtItsPictureAndSilenceWhereItWasDropped) {
    const ExportResult r = Run(ExportFormat::Wav, dir_ / "s.wav");
    ASSERT_EQ(r.status, ExportStatus::Done) << r.detail;
    const auto wav = Read(dir_ / "s.wav");
    // Record 6's sound ends at its picture, 1.5 s = sample 12000: that is where the track ends.
    ASSERT_EQ(wav.size(), 44u + 12000 * 2);
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(GetU16(&wav[20]), 1);  // PCM
    EXPECT_EQ(GetU32(&wav[24]), 8000u);
    const auto sample = [&](int i) { return static_cast<int16_t>(GetU16(&wav[44 + 2 * i])); };
    EXPECT_EQ(sample(0), 1000);
    EXPECT_EQ(sample(7679), 1000);  // records 0-3 back to back: 4 x 1920 samples
    EXPECT_EQ(sample(7680), 0);     // dropped: silence, not the next sound moved up
    EXPECT_EQ(sample(10079), 0);
    EXPECT_EQ(sample(10080), 6000);
    EXPECT_EQ(sample(11999), 6000);
    EXPECT_EQ(Files(), std::vector<fs::path>{"s.wav"});
}

TEST_F(ExportTest, SelectedSoundIsCutAtTheMarksAndShortenedByTheSpeed) {
    const auto stream = Stream();
    ExportRequest request;
    request.format = ExportFormat::Wav;
    request.output = dir_ / "part.wav";
    request.fromMs = 300;
    request.toMs = 1900;
    const auto samples = [&](double speed) {
        request.speed = speed;
        const ExportResult r = RunExport(stream, request, decoders_, {});
        EXPECT_EQ(r.status, ExportStatus::Done) << r.detail;
        const auto wav = Read(request.output);
        std::vector<int16_t> pcm;
        for (size_t i = 44; i + 1 < wav.size(); i += 2) {
            pcm.push_back(static_cast<int16_t>(GetU16(&wav[i])));
        }
        return pcm;
    };
    // Samples 2400 to 15200, silence after the last sound (at 12000) up to the end mark.
    const auto once = samples(1);
    ASSERT_EQ(once.size(), 12800u);
    EXPECT_EQ(once[0], 1000);
    EXPECT_EQ(once[7680 - 2400], 0);
    EXPECT_EQ(once[11999 - 2400], 6000);
    EXPECT_EQ(once[12000 - 2400], 0);
    EXPECT_EQ(samples(2).size(), 6400u);
    EXPECT_EQ(samples(4).size(), 3200u);
    // GSM keeps the blocks that start inside the selection, and cannot change speed.
    request.wavAsPcm = false;
    request.speed = 1;
    ASSERT_EQ(RunExport(stream, request, decoders_, {}).status, ExportStatus::Done);
    EXPECT_EQ(Read(request.output).size(), 60u + 22 * 65);
    request.speed = 2;
    EXPECT_EQ(RunExport(stream, request, decoders_, {}).status, ExportStatus::Refused);
    request.speed = 3;
    request.wavAsPcm = true;
    EXPECT_EQ(RunExport(stream, request, decoders_, {}).status, ExportStatus::Refused);
    request.speed = 1;
    request.fromMs = 2000;  // the recording's end
    EXPECT_EQ(RunExport(stream, request, decoders_, {}).status, ExportStatus::Refused);
}

TEST_F(ExportTest, GifEstimateIsTheSizeWrittenWhenTheSampleCoversTheSelection) {
    const auto stream = Stream();
    ExportRequest request;
    request.output = dir_ / "x.gif";
    for (const auto& [from, to, width] : {std::tuple{0, -1, 0}, std::tuple{300, 1400, 20}}) {
        request.fromMs = from;
        request.toMs = to;
        request.gifWidth = width;
        request.speed = 2;
        const auto estimate = EstimateGifBytes(stream, request);
        ASSERT_EQ(RunExport(stream, request, decoders_, {}).status, ExportStatus::Done);
        ASSERT_TRUE(estimate.has_value());
        EXPECT_EQ(*estimate, static_cast<int64_t>(fs::file_size(request.output)));
    }
    request.gifEncoder = GifEncoder::Ffmpeg;
    EXPECT_FALSE(EstimateGifBytes(stream, request).has_value());
    request.gifEncoder = GifEncoder::BuiltIn;
    request.fromMs = 5000;
    EXPECT_FALSE(EstimateGifBytes(stream, request).has_value());
}

TEST_F(ExportTest, SkipIdleCutsOnlyWhereNoPictureChangesAndNoSoundIsHeard) {
    // Pictures change until 0.75 s; sound is heard to 0.96 s and from 1.26 to 1.5 s; the
    // recording ends at 2 s. Cut to 0.1 s: 0.3 s less between the sounds, 0.4 s at the end.
    StreamBuilder s(40, 30, 32, 1);
    s.Stop(8, 2000);
    for (int i = 0; i < 8; ++i) {
        const int blocks = i < 4 || i == 6 ? 6 : 0;
        s.Add(i < 4 ? Rect{0, i, 40, i + 1} : Rect{}, 0x30, {.audio = GsmBlocks(blocks, 10)});
    }
    const auto stream = s.Bytes();
    ExportRequest request;
    request.output = dir_ / "cut.gif";
    request.skipIdleSeconds = 0.1;
    ASSERT_EQ(RunExport(stream, request, decoders_, {}).status, ExportStatus::Done);
    // The frames' delays, from their graphic control blocks.
    const auto gif = Read(dir_ / "cut.gif");
    int totalCs = 0;
    for (size_t i = 0; i + 5 < gif.size(); ++i) {
        if (gif[i] == 0x21 && gif[i + 1] == 0xF9 && gif[i + 2] == 4) totalCs += GetU16(&gif[i + 4]);
    }
    EXPECT_EQ(totalCs, 140);
}

TEST_F(ExportTest, SoundWithIdleCutsKeepsOnlyTheKeptPiecesToTheLastSound) {
    const auto stream = Stream();
    Recording rec;
    ASSERT_EQ(OpenRecording(stream, rec, {}).status, ExportStatus::Done);
    // Kept: 0-0.5 s and 1.2 s to the end; the silence between the sounds is partly cut.
    const TimeMap cut = TimeMap::SkipIdle({{0, 500}, {1200, 2000}}, 2000, 0);
    Job job(rec.timeline.pacing().totalMs);
    FakeDecoders::Decoder decoder;
    std::vector<int16_t> got;
    ASSERT_EQ(LaySound(
                  rec, decoder, cut, job,
                  [&](std::span<const uint8_t> b) {
                      for (size_t i = 0; i < b.size(); i += 2) {
                          got.push_back(static_cast<int16_t>(GetU16(&b[i])));
                      }
                      return true;
                  },
                  nullptr)
                  .status,
              ExportStatus::Done);
    // 4000 samples of the first piece, then 9600 to 12000 (the last sound's end).
    ASSERT_EQ(got.size(), 4000u + 2400u);
    EXPECT_EQ(got[3999], 1000);
    EXPECT_EQ(got[4000], 0);  // 1.2 s: still the dropped stretch
    EXPECT_EQ(got[4000 + 479], 0);
    EXPECT_EQ(got[4000 + 480], 6000);  // 10080: record 6's sound
    EXPECT_EQ(got.back(), 6000);
}

TEST_F(ExportTest, CancelLeavesNothingAndAnExistingFileAsItWas) {
    const std::vector<uint8_t> old{'o', 'l', 'd'};
    for (ExportFormat f : {ExportFormat::Gif, ExportFormat::Wav, ExportFormat::Png}) {
        std::ofstream(dir_ / "x.out", std::ios::binary).write("old", 3);
        // The WAV's sound is one piece of work, so only its start can be cancelled.
        for (int at : {0, f == ExportFormat::Wav ? 0 : 5}) {
            const ExportResult r = Run(f, dir_ / "x.out", at);
            EXPECT_EQ(r.status, ExportStatus::Cancelled) << static_cast<int>(f) << " " << r.detail;
            EXPECT_EQ(Files(), std::vector<fs::path>{"x.out"}) << static_cast<int>(f);
            EXPECT_EQ(Read(dir_ / "x.out"), old);
        }
    }
}

TEST_F(ExportTest, CompleteExportReplacesTheFileAndPicturesAreNumberedAfterTheName) {
    std::ofstream(dir_ / "x.gif", std::ios::binary).write("old", 3);
    ASSERT_EQ(Run(ExportFormat::Gif, dir_ / "x.gif").status, ExportStatus::Done);
    const auto gif = Read(dir_ / "x.gif");
    EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
    const ExportResult pictures = Run(ExportFormat::Png, dir_ / "shot.png");
    ASSERT_EQ(pictures.status, ExportStatus::Done);
    const auto files = Files();
    ASSERT_EQ(files.size(), 9u);
    // The set as written, for the player's after-save window.
    ASSERT_EQ(pictures.files.size(), 8u);
    EXPECT_EQ(pictures.files[7], (dir_ / "shot_00000007.png").string());
    EXPECT_EQ(files[0], "shot_00000000.png");
    EXPECT_EQ(files[7], "shot_00000007.png");
    EXPECT_EQ(files[8], "x.gif");
}

TEST_F(ExportTest, RecordingKindsCopyTheStreamUnchangedAndACancelLeavesNothing) {
    const auto stream = Stream();
    const std::vector<uint8_t> player{'M', 'Z', 7, 8};
    ExportRequest request;
    request.format = ExportFormat::Mrv;
    request.output = dir_ / "copy.mrv";
    request.player = player;  // not part of a recording file
    ASSERT_EQ(RunExport(stream, request, decoders_, {}).status, ExportStatus::Done);
    EXPECT_EQ(Read(dir_ / "copy.mrv"), stream);

    request.format = ExportFormat::Exe;
    request.output = dir_ / "copy.exe";
    int calls = 0;
    ASSERT_EQ(RunExport(stream, request, decoders_,
                        [&](const ExportProgress& p) {
                            EXPECT_LE(p.doneMs, p.totalMs);
                            return ++calls > 0;
                        })
                  .status,
              ExportStatus::Done);
    std::vector<uint8_t> selfPlaying = player;
    selfPlaying.insert(selfPlaying.end(), stream.begin(), stream.end());
    EXPECT_EQ(Read(dir_ / "copy.exe"), selfPlaying);
    EXPECT_GT(calls, 0);

    request.output = dir_ / "cancelled.exe";
    EXPECT_EQ(
        RunExport(stream, request, decoders_, [](const ExportProgress&) { return false; }).status,
        ExportStatus::Cancelled);
    request.player = {};
    EXPECT_EQ(RunExport(stream, request, decoders_, {}).status, ExportStatus::Refused);
    request.player = player;
    request.speed = 2;
    EXPECT_EQ(RunExport(stream, request, decoders_, {}).status, ExportStatus::Refused);
    EXPECT_EQ(Files(), (std::vector<fs::path>{"copy.exe", "copy.mrv"}));
}

TEST_F(ExportTest, UnwritablePlaceMissingFfmpegAndOwnInputAreRefusedClearly) {
    EXPECT_EQ(Run(ExportFormat::Gif, dir_ / "no such folder" / "x.gif").status,
              ExportStatus::CannotWrite);
    EXPECT_EQ(Run(ExportFormat::Mp4, dir_ / "x.mp4").status, ExportStatus::NoFfmpeg);
    std::ofstream(dir_ / "rec.exe").put('x');
    ExportRequest request;
    request.output = dir_ / "./rec.exe";
    request.inputs = {dir_ / "rec.exe"};
    const auto stream = Stream();
    EXPECT_EQ(RunExport(stream, request, decoders_, {}).status, ExportStatus::Refused);
    EXPECT_EQ(Files(), std::vector<fs::path>{"rec.exe"});
}

}  // namespace
}  // namespace mrv::exporting
