// The life of a recording against fake platform parts: files, accounting, clicks, audio.
#include "recorder/Recorder.h"

#include <gtest/gtest.h>

#include "common/PubUtils.h"
#include "recorder/StreamReader.h"
#include "recorder/tests/Fakes.h"

namespace mrv {
namespace {

using namespace mrv::testing;

constexpr char kStub[] = "C:/app/HeadFile.hdf";
constexpr char kOut[] = "C:/rec/out.exe";

class RecorderTest : public ::testing::Test, protected RecorderFakes {
  protected:
    // Two workers: records reach the file behind the ticks, as on a multi-core machine.
    RecorderTest() : screen(64, 48, 32), recorder(Platform(screen, view, 2)) {
        files.files[kStub].bytes = {'M', 'Z', 1, 2, 3};
        programFiles = {kStub, "C:/app/Morvanta.exe", "C:/app/Morvanta.ini"};
        options.bitsPerPixel = 32;
        options.scanStep = 7;
        options.tickIntervalMs = 100;
    }

    // Starts a recording at 8000 Hz (40 ms a GSM block); returns a delivery of fifteen blocks,
    // each filled with its index.
    std::vector<uint8_t> StartWithSoundAt8000Hz() {
        options.sound = true;
        options.samples = 0;
        if (Start().outcome != StartResult::Outcome::Started) return {};
        std::vector<uint8_t> delivery(15 * 65);
        for (size_t i = 0; i < delivery.size(); ++i) delivery[i] = static_cast<uint8_t>(i / 65);
        return delivery;
    }

    // Stops the recording; returns the sound that each record carries.
    std::vector<std::vector<uint8_t>> StopAndReadSound() {
        EXPECT_FALSE(recorder.StopRecording().has_value());
        StreamReader reader;
        EXPECT_TRUE(reader.Open(Stream()));
        std::vector<std::vector<uint8_t>> sound;
        while (reader.ReadNext() == StreamReader::Next::Frame) {
            sound.emplace_back(reader.audio().begin(), reader.audio().end());
        }
        return sound;
    }

    StartResult Start() { return recorder.StartRecording(kOut, options, programFiles); }
    const std::vector<uint8_t>& Output() { return files.files[kOut].bytes; }
    std::span<const uint8_t> Stream() { return std::span<const uint8_t>(Output()).subspan(5); }
    StreamHeader Header() { return DecodeStreamHeader(Stream().first<kStreamHeaderSize>()); }
    // Reads every record; returns their frame headers.
    std::vector<FrameHeader> Records(StreamReader& reader, StreamReader::Next* last = nullptr) {
        std::vector<FrameHeader> out;
        EXPECT_TRUE(reader.Open(Stream())) << reader.error();
        StreamReader::Next next;
        while ((next = reader.ReadNext()) == StreamReader::Next::Frame)
            out.push_back(reader.frame());
        if (last) *last = next;
        return out;
    }
    void Tick(uint32_t ms = 100) {
        clock.tick += ms;
        ASSERT_FALSE(recorder.Timer1Timer().has_value());
    }

    MemoryScreen screen;
    FakeView view;
    Recorder recorder;
    ProgramFiles programFiles;
    RecordingOptions options;
};

TEST_F(RecorderTest, StartWritesStubHeaderAndBitmapInfo) {
    options.bitsPerPixel = 8;
    screen.Reset(64, 48, 8);
    clock.now = 45719.25;
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_TRUE(timer.enabled);
    EXPECT_EQ(timer.intervalMs, 100);
    const auto& out = Output();
    ASSERT_EQ(out.size(), 5u + 37u + 1064u);
    EXPECT_EQ(out[0], 'M');
    const StreamHeader h = Header();
    EXPECT_DOUBLE_EQ(h.startTime, 45719.25);
    EXPECT_EQ(h.frameCount, 0);
    EXPECT_EQ(h.durationMs, 1024);
    EXPECT_EQ(h.screenWidth, 64);
    EXPECT_EQ(h.screenHeight, 48);
    EXPECT_EQ(h.bytesPerLine, 64);
    EXPECT_EQ(h.frameBytes, 64 * 48);
    EXPECT_EQ(h.bitmapInfoSize, 1064);
    EXPECT_EQ(h.audioFormat, 0);
    // The platform's colour table is in the block; the header says 8 bits, top-down.
    EXPECT_EQ(out[5 + 37 + 14], 8);
    EXPECT_EQ(out[5 + 37 + 40 + 2], screen.colorTable[2]);
    EXPECT_EQ(out[5 + 37 + 40 + 4 * 9 + 0], screen.colorTable[36]);
}

TEST_F(RecorderTest, StopBeforeFirstTickLeavesHeaderOnlyWithMeasuredDuration) {
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    clock.tick += 350;
    EXPECT_FALSE(recorder.StopRecording().has_value());
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(timer.enabled);
    EXPECT_FALSE(files.files[kOut].open);
    EXPECT_EQ(Output().size(), 5u + 37u + 40u);
    EXPECT_EQ(Header().frameCount, 0);
    EXPECT_EQ(Header().durationMs, 350);
}

TEST_F(RecorderTest, TicksWriteOneRecordEachAndTheReaderRebuildsTheScreen) {
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    screen.FillRect({0, 0, 64, 48}, 0x00336699);
    for (int i = 0; i < 7; ++i) Tick();
    screen.FillRect({10, 10, 20, 20}, 0x00FF0000);
    for (int i = 0; i < 7; ++i) Tick();
    Tick();  // nothing changed
    ASSERT_FALSE(recorder.StopRecording().has_value());

    StreamReader reader;
    const auto records = Records(reader);
    ASSERT_EQ(records.size(), 15u);
    EXPECT_EQ(Header().frameCount, 15);
    EXPECT_EQ(Header().durationMs, 1500);
    EXPECT_TRUE(std::equal(reader.image().begin(), reader.image().end(), screen.pixels().begin()));
    // The last tick found no change: an 8-byte payload that inflates to nothing.
    EXPECT_EQ(records.back().payloadSize, 8);
    EXPECT_TRUE(reader.rects().empty());
    EXPECT_EQ(records[0].cursorX, 10);
    EXPECT_EQ(records[0].cursorY, 20);
}

TEST_F(RecorderTest, PayloadIsZlibDefaultLevelStream) {
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    Tick();
    ASSERT_FALSE(recorder.Flush().has_value());
    const auto& out = Output();
    const size_t record = 5 + 37 + 40;
    EXPECT_EQ(out[record + kFrameHeaderSize], 0x78);
    EXPECT_EQ(out[record + kFrameHeaderSize + 1], 0x9C);
}

TEST_F(RecorderTest, LabelsShowFileSizeAndNominalTime) {
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    screen.Fill(0x00808080);
    for (int i = 0; i < 12; ++i) Tick(250);  // the measured time differs from the nominal
    EXPECT_GE(view.updates, 12);
    EXPECT_EQ(view.durationText, "00:00:01");  // 12 x 100 ms
    // The size shows what is written, so it catches up once the records in flight are.
    ASSERT_FALSE(recorder.Flush().has_value());
    EXPECT_EQ(view.sizeText, SizeText(static_cast<int64_t>(Output().size())));
    ASSERT_FALSE(recorder.StopRecording().has_value());
    EXPECT_EQ(Header().durationMs, 3000);
    // The labels keep their texts after the stop.
    EXPECT_EQ(recorder.durationText(), "00:00:01");
}

TEST_F(RecorderTest, PauseAndResumeKeepPausesOutOfTheDuration) {
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    Tick();
    clock.tick += 200;
    EXPECT_TRUE(recorder.Pause());
    EXPECT_FALSE(recorder.Pause());  // a second pause changes nothing
    const size_t size = Output().size();
    Tick(5000);  // ticks while paused write nothing
    EXPECT_EQ(Output().size(), size);
    EXPECT_TRUE(recorder.Resume());
    EXPECT_FALSE(recorder.Resume());
    Tick();
    ASSERT_FALSE(recorder.StopRecording().has_value());
    EXPECT_EQ(Header().frameCount, 2);
    EXPECT_EQ(Header().durationMs, 100 + 200 + 100);
}

TEST_F(RecorderTest, StopWhilePausedUsesTheTimeUpToThePause) {
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    Tick();
    ASSERT_TRUE(recorder.Pause());
    clock.tick += 10000;
    ASSERT_FALSE(recorder.StopRecording().has_value());
    EXPECT_FALSE(recorder.isPaused());
    EXPECT_EQ(Header().durationMs, 100);
    // A new recording starts its accounting from zero.
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    EXPECT_EQ(recorder.frameCounter(), 0);
    EXPECT_EQ(recorder.accumulatedMs(), 0);
}

TEST_F(RecorderTest, HeldFramesCountTheirTicksAndTime) {
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    Tick();
    ASSERT_TRUE(recorder.Pause());
    recorder.AccountHold(20);
    std::vector<uint8_t> payload;
    ASSERT_FALSE(recorder.WriteFrame(payload, HoldTicks{20}).has_value());
    ASSERT_TRUE(recorder.Resume());
    ASSERT_FALSE(recorder.StopRecording().has_value());
    StreamReader reader;
    const auto records = Records(reader);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].holdTicks, 20);
    EXPECT_EQ(Header().frameCount, 22);
    EXPECT_EQ(Header().durationMs, 100 + 2000);
    EXPECT_EQ(reader.tickIndex(), 22);
}

TEST_F(RecorderTest, ClickStateFollowsTheLastPressUntilTheNextRecord) {
    options.showClick = true;
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    ASSERT_TRUE(hook.Installed());
    hook.sink->OnMouseMessage(0, 0x0201);
    hook.sink->OnMouseMessage(0, 0x0204);
    hook.sink->OnMouseMessage(0, 0x0207);   // middle button: unchanged
    hook.sink->OnMouseMessage(-1, 0x0201);  // negative codes are only passed on
    Tick();
    Tick();  // cleared after its record
    ASSERT_TRUE(recorder.Pause());
    hook.sink->OnMouseMessage(0, 0x0201);  // a press during the pause
    Tick();
    ASSERT_TRUE(recorder.Resume());
    Tick();
    // A press while a tick runs (the hook has its own thread) belongs to the next record.
    cursor.onRead = [this] { hook.sink->OnMouseMessage(0, 0x0204); };
    Tick();
    cursor.onRead = nullptr;
    Tick();
    ASSERT_FALSE(recorder.StopRecording().has_value());
    EXPECT_FALSE(hook.Installed());
    StreamReader reader;
    const auto records = Records(reader);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].click, 2);
    EXPECT_EQ(records[1].click, 0);
    EXPECT_EQ(records[2].click, 1);
    EXPECT_EQ(records[3].click, 0);
    EXPECT_EQ(records[4].click, 2);
}

// A press left from a paused recording is not the next one's. The hook's thread writes into the
// recorder: one that goes away takes its hook along.
TEST_F(RecorderTest, PressesAndTheHookEndWithTheirRecorder) {
    options.showClick = true;
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    ASSERT_TRUE(recorder.Pause());
    hook.sink->OnMouseMessage(0, 0x0201);
    ASSERT_FALSE(recorder.StopRecording().has_value());
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    Tick();
    ASSERT_FALSE(recorder.StopRecording().has_value());
    StreamReader reader;
    EXPECT_EQ(Records(reader).at(0).click, 0);
    {
        Recorder other(Platform(screen, view));
        ASSERT_EQ(other.StartRecording(kOut, options, programFiles).outcome,
                  StartResult::Outcome::Started);
    }
    EXPECT_FALSE(hook.Installed());
}

TEST_F(RecorderTest, NoHookWithoutClicks) {
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    EXPECT_EQ(hook.installs, 0);
}

TEST_F(RecorderTest, SoundOpensTheDeviceWithTheChosenRate) {
    options.sound = true;
    options.samples = 2;
    const StartResult r = Start();
    ASSERT_EQ(r.outcome, StartResult::Outcome::Started);
    EXPECT_FALSE(r.soundFailed);
    ASSERT_NE(audio.last, nullptr);
    EXPECT_EQ(audio.last->openedRate, 22050);
    EXPECT_EQ(audio.last->openedBytesPerSec, 4478);
    EXPECT_EQ(audio.last->openedBufferSize, 1024u);
    EXPECT_EQ(Header().audioFormat, 3);
    ASSERT_FALSE(recorder.StopRecording().has_value());
    EXPECT_EQ(audio.closes, 1);
}

TEST_F(RecorderTest, FailedSoundDeviceRecordsWithoutSoundAndClearsTheOption) {
    options.sound = true;
    audio.deviceWorks = false;
    const StartResult r = Start();
    ASSERT_EQ(r.outcome, StartResult::Outcome::Started);
    EXPECT_TRUE(r.soundFailed);
    EXPECT_FALSE(options.sound);
    EXPECT_EQ(Header().audioFormat, 0);
}

TEST_F(RecorderTest, AudioDeliveriesAccumulateAndPausedOnesAreDropped) {
    options.sound = true;
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    std::vector<uint8_t> a(650, 0xAA), b(325, 0xBB), c(65, 0xCC);
    audio.sink->OnAudioBlock(a.data(), 650);
    audio.sink->OnAudioBlock(b.data(), 325);
    Tick();
    ASSERT_TRUE(recorder.Pause());
    clock.tick += 1000;
    audio.sink->OnAudioBlock(c.data(), 65);  // recorded during the pause: not part of it
    Tick();
    ASSERT_TRUE(recorder.Resume());
    Tick();
    const auto sound = StopAndReadSound();
    ASSERT_EQ(sound.size(), 2u);
    ASSERT_EQ(sound[0].size(), 975u);
    EXPECT_EQ(sound[0][0], 0xAA);
    EXPECT_EQ(sound[0][974], 0xBB);
    EXPECT_TRUE(sound[1].empty());
}

TEST_F(RecorderTest, DeliveriesAfterAResumeKeepOnlyTheBlocksRecordedSinceIt) {
    const std::vector<uint8_t> delivery = StartWithSoundAt8000Hz();
    ASSERT_TRUE(recorder.isRecording());
    audio.sink->OnAudioBlock(delivery.data(), 975);  // right at the start: all of it
    Tick();
    ASSERT_TRUE(recorder.Pause());
    clock.tick += 5000;
    ASSERT_TRUE(recorder.Resume());
    clock.tick += 100;  // 600 ms of sound of which 100 ms since the resume: three blocks
    audio.sink->OnAudioBlock(delivery.data(), 975);
    clock.tick += 600;
    audio.sink->OnAudioBlock(delivery.data(), 975);  // wholly after the resume
    Tick();
    const auto sound = StopAndReadSound();
    ASSERT_EQ(sound.size(), 2u);
    EXPECT_EQ(sound[0].size(), 975u);
    ASSERT_EQ(sound[1].size(), 3u * 65 + 975);
    EXPECT_EQ(sound[1][0], 12);  // the newest three blocks of the first delivery
    EXPECT_EQ(sound[1][3 * 65 - 1], 14);
    EXPECT_EQ(sound[1][3 * 65], 0);
}

TEST_F(RecorderTest, SoundRecordedBeforeAPauseButDeliveredDuringItRidesWithTheNextRecord) {
    const std::vector<uint8_t> delivery = StartWithSoundAt8000Hz();
    ASSERT_TRUE(recorder.isRecording());
    clock.tick += 600;
    Tick();
    clock.tick += 400;
    ASSERT_TRUE(recorder.Pause());
    clock.tick += 200;  // 600 ms of sound: the oldest 400 ms were recorded while running
    audio.sink->OnAudioBlock(delivery.data(), 975);
    clock.tick += 600;
    audio.sink->OnAudioBlock(delivery.data(), 975);  // wholly in the pause
    ASSERT_TRUE(recorder.Resume());
    Tick();
    const auto sound = StopAndReadSound();
    ASSERT_EQ(sound.size(), 2u);
    ASSERT_EQ(sound[1].size(), 10u * 65);
    EXPECT_EQ(sound[1].front(), 0);
    EXPECT_EQ(sound[1].back(), 9);
}

TEST_F(RecorderTest, StopWritesOneLastTickWithTheSoundDeliveredSinceTheLastAndTheDevicesRest) {
    const std::vector<uint8_t> delivery = StartWithSoundAt8000Hz();
    ASSERT_TRUE(recorder.isRecording());
    Tick();
    clock.tick += 60;
    audio.sink->OnAudioBlock(delivery.data(), 130);  // after the last tick
    audio.last->held.assign(3 * 65, 0xEE);           // still in the device at Stop
    clock.tick += 40;
    cursor.pos = {5, 6};
    const auto sound = StopAndReadSound();
    ASSERT_EQ(sound.size(), 2u);
    std::vector<uint8_t> expected(delivery.begin(), delivery.begin() + 130);
    expected.insert(expected.end(), 3 * 65, 0xEE);
    EXPECT_EQ(sound[1], expected);
    // An ordinary tick, counted like any other.
    StreamReader reader;
    EXPECT_EQ(Records(reader).at(1).cursorX, 5);
    EXPECT_EQ(Header().frameCount, 2);
    EXPECT_EQ(Header().durationMs, 200);
}

TEST_F(RecorderTest, StopWhilePausedWritesNoLastTickAndAFailedOneStillFinishesTheFile) {
    // Neither the screen nor the sound of a pause belongs to the recording.
    StartWithSoundAt8000Hz();
    Tick();
    ASSERT_TRUE(recorder.Pause());
    audio.last->held.assign(65, 0xEE);
    EXPECT_EQ(StopAndReadSound().size(), 1u);

    StartWithSoundAt8000Hz();
    Tick();
    ASSERT_FALSE(recorder.Flush().has_value());
    audio.last->held.assign(65, 0xEE);
    files.capacity = static_cast<int64_t>(Output().size()) + 10;
    const ErrorText error = recorder.StopRecording();
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("not enough space"), std::string::npos);
    EXPECT_FALSE(files.files[kOut].open);
    EXPECT_EQ(audio.closes, 2);
    EXPECT_EQ(Header().frameCount, 1);
}

TEST_F(RecorderTest, PendingAudioDropsOldestWholeBlocksBeyond65535Bytes) {
    options.sound = true;
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    std::vector<uint8_t> block(1040);  // 16 GSM blocks a delivery
    for (int i = 0; i < 70; ++i) {
        std::fill(block.begin(), block.end(), static_cast<uint8_t>(i));
        audio.sink->OnAudioBlock(block.data(), static_cast<int32_t>(block.size()));
    }
    EXPECT_LE(recorder.pendingAudioBytes(), 65535u);
    EXPECT_EQ(recorder.pendingAudioBytes() % 65, 0u);
    Tick();
    ASSERT_FALSE(recorder.Flush().has_value());
    StreamReader reader;
    ASSERT_TRUE(reader.Open(Stream()));
    ASSERT_EQ(reader.ReadNext(), StreamReader::Next::Frame);
    EXPECT_EQ(reader.frame().audioSize, 65520);  // 1008 whole blocks of 65
    EXPECT_EQ(reader.audio().back(), 69);        // the newest sound is kept
}

TEST_F(RecorderTest, MissingStubBesideTheProgramStartsNothing) {
    files.files.erase(kStub);
    options.showClick = true;
    options.sound = true;
    EXPECT_EQ(Start().outcome, StartResult::Outcome::StubMissing);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(files.files.count(kOut), 0u);
    EXPECT_EQ(audio.opens, 0);
    EXPECT_EQ(hook.installs, 0);
}

TEST_F(RecorderTest, ARecordingFileIsTheSelfPlayingOneWithoutItsStubAndNeedsNoStub) {
    const auto record = [&] {
        EXPECT_EQ(Start().outcome, StartResult::Outcome::Started);
        screen.FillRect({0, 0, 64, 48}, 0x00336699);
        Tick();
        screen.FillRect({10, 10, 20, 20}, 0x00FF0000);
        Tick();
        EXPECT_FALSE(recorder.StopRecording().has_value());
        screen.FillRect({0, 0, 64, 48}, 0);
        return Output();
    };
    const std::vector<uint8_t> selfPlaying = record();
    files.files.erase(kStub);
    options.kind = RecordingKind::StreamFile;
    const std::vector<uint8_t> stream = record();
    EXPECT_EQ(stream, std::vector<uint8_t>(selfPlaying.begin() + 5, selfPlaying.end()));
    StreamReader reader;
    EXPECT_TRUE(reader.Open(stream));
    EXPECT_EQ(reader.header().frameCount, 2);
}

TEST_F(RecorderTest, OutputNamingTheStubProgramOrIniIsRefused) {
    for (const std::string& own :
         {programFiles.stubPath, programFiles.programPath, programFiles.iniPath}) {
        files.files[own].bytes = {'X'};
        files.files[kStub].bytes = {'M', 'Z'};
        const StartResult r = recorder.StartRecording(own, options, programFiles);
        EXPECT_EQ(r.outcome, StartResult::Outcome::Failed) << own;
        EXPECT_NE(r.error.find("Cannot create file \"" + own + "\". "), std::string::npos);
        EXPECT_FALSE(recorder.isRecording());
        EXPECT_EQ(files.files[own].bytes.size(), own == kStub ? 2u : 1u);
    }
}

TEST_F(RecorderTest, UncreatableOutputReleasesSoundAndHookAtOnce) {
    options.showClick = true;
    options.sound = true;
    const StartResult r =
        recorder.StartRecording("C:/missing/deeper/out.exe", options, programFiles);
    EXPECT_EQ(r.outcome, StartResult::Outcome::Failed);
    EXPECT_EQ(r.error,
              "Cannot create file \"C:/missing/deeper/out.exe\". The system cannot find the path "
              "specified.");
    EXPECT_FALSE(hook.Installed());
    EXPECT_EQ(audio.closes, 1);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(timer.enabled);
}

TEST_F(RecorderTest, UnreadableStubIsReportedWithItsPath) {
    files.unreadable[kStub] = true;
    const StartResult r = Start();
    EXPECT_EQ(r.outcome, StartResult::Outcome::Failed);
    EXPECT_EQ(r.error, "Cannot open file \"C:/app/HeadFile.hdf\". Access is denied.");
    EXPECT_EQ(files.files.count(kOut), 0u);
}

TEST_F(RecorderTest, StubGoesOverInPiecesAndOneThatCannotBeReadWholeLeavesNoFile) {
    options.showClick = true;
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    EXPECT_EQ(std::vector<uint8_t>(Output().begin(), Output().begin() + 5),
              (std::vector<uint8_t>{'M', 'Z', 1, 2, 3}));
    EXPECT_EQ(Header().screenWidth, 64);
    ASSERT_FALSE(recorder.StopRecording().has_value());

    // A range locked by another program from byte 4 on.
    files.readFailsAt[kStub] = 4;
    StartResult r = Start();
    EXPECT_EQ(r.outcome, StartResult::Outcome::Failed);
    EXPECT_EQ(r.error,
              "Cannot open file \"C:/app/HeadFile.hdf\". The process cannot access the file "
              "because another process has locked a portion of the file.");
    EXPECT_EQ(files.files.count(kOut), 0u);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(timer.enabled);
    EXPECT_FALSE(hook.Installed());

    // A disk too full for the stub: the begun file goes as well.
    files.readFailsAt.clear();
    files.capacity = 3;
    r = Start();
    EXPECT_EQ(r.error,
              "Cannot write file \"C:/rec/out.exe\". There is not enough space on the disk.");
    EXPECT_EQ(files.files.count(kOut), 0u);
    EXPECT_FALSE(recorder.isRecording());
}

TEST_F(RecorderTest, UnreadableScreenStartsNothing) {
    FailingScreen failing(screen);
    failing.fails = [](int32_t, int32_t) { return true; };
    Recorder onFailing(Platform(failing, view));
    options.showClick = true;
    options.sound = true;
    const StartResult r = onFailing.StartRecording(kOut, options, programFiles);
    EXPECT_EQ(r.outcome, StartResult::Outcome::Failed);
    EXPECT_EQ(r.error, "The screen could not be read; nothing was recorded.");
    EXPECT_EQ(files.files.count(kOut), 0u);
    EXPECT_FALSE(hook.Installed());
    EXPECT_EQ(audio.closes, 1);
    EXPECT_FALSE(timer.enabled);
}

TEST_F(RecorderTest, FullDiskStopsTheRecordingAndKeepsAReadableStream) {
    options.showClick = true;
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    screen.Fill(0x00112233);
    Tick();
    Tick();
    ASSERT_FALSE(recorder.Flush().has_value());
    // Room for a few bytes more, not for the next record.
    files.capacity = static_cast<int64_t>(Output().size()) + 10;
    screen.FillRect({0, 0, 64, 48}, 0x00445566);
    clock.tick += 100;
    // The writer finds the full disk behind the tick; the error ends the recording at the
    // latest once the records in flight are done.
    ErrorText error = recorder.Timer1Timer();
    if (!error) error = recorder.Flush();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error,
              "Cannot write file \"C:/rec/out.exe\". There is not enough space on the disk.");
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(timer.enabled);
    EXPECT_FALSE(files.files[kOut].open);
    EXPECT_FALSE(hook.Installed());

    StreamReader reader;
    StreamReader::Next last;
    const auto records = Records(reader, &last);
    EXPECT_EQ(last, StreamReader::Next::End);  // the partial record was cut off
    EXPECT_EQ(records.size(), 2u);
    EXPECT_EQ(Header().frameCount, 2);
    EXPECT_EQ(Header().durationMs, 300);
    // Stopping afterwards is harmless.
    EXPECT_FALSE(recorder.StopRecording().has_value());
}

// One recording (changes, sound, a pause, an inserted frame) written inline, by one worker, by
// two and by the default pool: one file.
TEST_F(RecorderTest, AnyPoolSizeWritesTheSameFile) {
    std::vector<uint8_t> delivery = StartWithSoundAt8000Hz();
    ASSERT_FALSE(recorder.StopRecording().has_value());
    std::vector<std::vector<uint8_t>> outputs;
    for (int workers : {0, 1, 2, -1}) {
        SCOPED_TRACE(workers);
        Recorder pooled(Platform(screen, view, workers));
        clock.tick = 1000;
        screen.Fill(0);
        ASSERT_EQ(pooled.StartRecording(kOut, options, programFiles).outcome,
                  StartResult::Outcome::Started);
        for (int i = 0; i < 30; ++i) {
            screen.FillRect({(i * 5) % 60, (i * 7) % 40, 64, (i * 7) % 40 + 8},
                            0x00010203u * static_cast<uint32_t>(i + 1));
            if (i % 6 == 2) audio.sink->OnAudioBlock(delivery.data(), 65 * (1 + i % 4));
            if (i == 12) {
                ASSERT_TRUE(pooled.Pause());
                MemoryScreen picture(64, 48, 32);
                picture.Fill(0x00ABCDEF);
                ASSERT_FALSE(pooled.InsertEditedFrame(EditMode::FullScreenCopy, 5, picture));
                ASSERT_TRUE(pooled.Resume());
            }
            clock.tick += 100;
            ASSERT_FALSE(pooled.Timer1Timer().has_value());
        }
        ASSERT_FALSE(pooled.StopRecording().has_value());
        outputs.push_back(Output());
    }
    EXPECT_EQ(Header().frameCount, 30 + 1 + 5);
    for (size_t i = 1; i < outputs.size(); ++i) EXPECT_TRUE(outputs[i] == outputs[0]) << i;
}

TEST_F(RecorderTest, StopWhileIdleOnlyStopsTheTimer) {
    timer.enabled = true;
    EXPECT_FALSE(recorder.StopRecording().has_value());
    EXPECT_FALSE(timer.enabled);
    EXPECT_EQ(files.files.count(kOut), 0u);
}

TEST_F(RecorderTest, StartWhileRecordingDoesNothing) {
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    Tick();
    ASSERT_FALSE(recorder.Flush().has_value());
    const size_t size = Output().size();
    EXPECT_EQ(Start().outcome, StartResult::Outcome::Failed);
    EXPECT_EQ(Output().size(), size);
    EXPECT_TRUE(recorder.isRecording());
}

// An area of the screen: its size is the recording's, its pixels the only ones read, the cursor
// relative to it or far off, and an edit's picture enters as the area's part of it.
TEST_F(RecorderTest, AreaRecordingTakesOnlyTheAreaWithRelativeCursor) {
    options.area = Rect{8, 4, 40, 36};
    screen.Fill(0x00202020);
    screen.FillRect({0, 0, 64, 48}, 0x00336699);
    ASSERT_EQ(Start().outcome, StartResult::Outcome::Started);
    EXPECT_EQ(Header().screenWidth, 32);
    EXPECT_EQ(Header().screenHeight, 32);
    EXPECT_EQ(Header().bytesPerLine, 32 * 4);
    screen.FillRect({10, 10, 20, 20}, 0x00FF0000);
    screen.FillRect({44, 0, 64, 48}, 0x0000FF00);  // outside: never read
    for (int i = 0; i < 7; ++i) Tick();
    cursor.pos = {60, 5};
    Tick();
    MemoryScreen picture(64, 48, 32);
    picture.FillRect({0, 0, 64, 48}, 0x00ABCDEF);
    EXPECT_TRUE(recorder.Pause());
    ASSERT_FALSE(recorder.InsertEditedFrame(EditMode::FullScreenCopy, 5, picture).has_value());
    ASSERT_FALSE(recorder.StopRecording().has_value());

    StreamReader reader;
    ASSERT_TRUE(reader.Open(Stream()));
    std::vector<FrameHeader> records;
    std::vector<uint8_t> lastTickImage;
    while (reader.ReadNext() == StreamReader::Next::Frame) {
        records.push_back(reader.frame());
        for (const Rect& r : reader.rects()) {
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 32 && r.bottom <= 32);
        }
        if (reader.frame().holdTicks == 0) {
            lastTickImage.assign(reader.image().begin(), reader.image().end());
        } else {
            EXPECT_EQ(reader.rects(), (std::vector<Rect>{{0, 0, 32, 32}}));
            EXPECT_EQ(ReadPixel(reader.image().subspan(31 * 128, 128), 31, 32), 0x00ABCDEFu);
        }
    }
    ASSERT_EQ(records.size(), 9u);
    for (int32_t y = 0; y < 32; ++y) {
        const auto row = std::span<const uint8_t>(lastTickImage).subspan(y * 128u, 128);
        for (int32_t x = 0; x < 32; ++x)
            ASSERT_EQ(ReadPixel(row, x, 32), screen.GetPixel(x + 8, y + 4)) << x << "," << y;
    }
    EXPECT_EQ(records[0].cursorX, 2);
    EXPECT_EQ(records[0].cursorY, 16);
    EXPECT_EQ(records[7].cursorX, kCursorOutside.x);
    EXPECT_EQ(records[7].cursorY, kCursorOutside.y);
}

TEST_F(RecorderTest, EmptyAreaDoesNotStart) {
    options.area = Rect{10, 10, 10, 40};
    const StartResult result = Start();
    EXPECT_EQ(result.outcome, StartResult::Outcome::Failed);
    EXPECT_TRUE(files.files.count(kOut) == 0);
}

}  // namespace
}  // namespace mrv
