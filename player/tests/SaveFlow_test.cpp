// Saving a copy: the type a name means, ffmpeg for MP4, progress, cancel, messages, and playing
// paused meanwhile.
#include "player/SaveFlow.h"

#include <gtest/gtest.h>

#include "common/Texts.h"
#include "player/tests/Fakes.h"
#include "tests/support/StreamBuilder.h"

namespace mrv::player {
namespace {

TEST(SaveTargetTest, ATypedExtensionWinsOverTheChosenTypeOtherwiseTheTypesIsAdded) {
    const SaveTarget wav = ResolveSaveTarget("/d/Clip.WAV", 0);
    EXPECT_EQ(wav.format, ExportFormat::Wav);
    EXPECT_EQ(wav.path, std::string("/d/Clip.WAV"));
    const SaveTarget mp4 = ResolveSaveTarget("/d/clip", 1);
    EXPECT_EQ(mp4.format, ExportFormat::Mp4);
    EXPECT_EQ(mp4.path, std::string("/d/clip.mp4"));
    const SaveTarget png = ResolveSaveTarget("/d/notes.txt", 3);
    EXPECT_EQ(png.path, std::string("/d/notes.txt.png"));
    EXPECT_EQ(DefaultSaveName("/rec/MRV_1.exe", ExportFormat::Gif), std::string("/rec/MRV_1.gif"));
    // The recording's own kinds: a typed .exe is the self-playing one whatever the list says.
    EXPECT_EQ(ResolveSaveTarget("/d/clip", 4).path, std::string("/d/clip.mrv"));
    EXPECT_EQ(ResolveSaveTarget("/d/clip.EXE", 4).format, ExportFormat::Exe);
}

TEST(SaveProgressTest, TheTimeLeftFollowsThePaceOnceThereIsEnoughToJudge) {
    EXPECT_EQ(TimeLeftText({0, 10000}, 5000), text::kPlayerTimeLeftUnknown);
    EXPECT_EQ(TimeLeftText({5000, 10000}, 500), text::kPlayerTimeLeftUnknown);
    // A quarter done in two seconds: six more.
    EXPECT_EQ(TimeLeftText({2500, 10000}, 2000), std::string(text::kPlayerTimeLeft) + "00:00:06");
    EXPECT_EQ(TimeLeftText({10000, 10000}, 2000), std::string(text::kPlayerTimeLeft) + "00:00:00");
    EXPECT_EQ(ProgressPermille({2500, 10000}), 250);
    EXPECT_EQ(ProgressPermille({20000, 10000}), 1000);
    EXPECT_EQ(ProgressPermille({5, 0}), 0);
}

class SaveFlowTest : public ::testing::Test {
  protected:
    SaveFlowTest() { shell_.choice = SaveChoice{"/rec/clip", 0, true}; }
    static std::vector<uint8_t> TwoSeconds() {
        testing::StreamBuilder b(8, 2);
        b.Stop(10, 2000);
        for (int i = 0; i < 10; ++i) b.Same();
        return b.Bytes();
    }

    FakeSaveShell shell_;
    SaveFlow flow_{shell_, "/rec/MRV_1.exe", ""};
    IndexedStream rec_{TwoSeconds()};
    FakeView view_;
    PlayerForm form_{view_, rec_.timeline, {}, &flow_};
};

TEST_F(SaveFlowTest, AGifStartsAtOnceWithSkipIdleAndNeverOverTheRecording) {
    ASSERT_TRUE(flow_.Begin());
    EXPECT_EQ(shell_.suggested.back(), std::string("/rec/MRV_1.gif"));
    ASSERT_EQ(shell_.started.size(), 1u);
    const ExportRequest& r = shell_.started[0];
    EXPECT_EQ(r.format, ExportFormat::Gif);
    EXPECT_EQ(r.output, std::string("/rec/clip.gif"));
    EXPECT_EQ(r.skipIdleSeconds, kSkipIdleSeconds);
    EXPECT_TRUE(r.wavAsPcm);
    EXPECT_EQ(r.inputs, std::vector<std::string>{"/rec/MRV_1.exe"});
    EXPECT_TRUE(shell_.progressShown);
    EXPECT_FALSE(flow_.Begin());  // one save at a time
    flow_.Finished({ExportStatus::Done, ""});
    EXPECT_FALSE(shell_.progressShown);
    EXPECT_TRUE(shell_.errors.empty());

    // The next dialog offers the type and option last used; a WAV never skips.
    shell_.choice = SaveChoice{"/rec/voice.wav", 0, true};
    ASSERT_TRUE(flow_.Begin());
    EXPECT_EQ(shell_.offeredType, 0);
    EXPECT_TRUE(shell_.offeredSkipIdle);
    EXPECT_EQ(shell_.started.back().skipIdleSeconds, -1);
    flow_.Finished({ExportStatus::Done, ""});
    flow_.Begin();
    EXPECT_EQ(shell_.suggested.back(), std::string("/rec/MRV_1.wav"));
}

TEST_F(SaveFlowTest, AnMp4WithoutFfmpegWritesNothingUnlessTheUserLocatesOne) {
    shell_.choice = SaveChoice{"/rec/clip", 1, false};
    EXPECT_FALSE(flow_.Begin());  // the offer declined
    EXPECT_EQ(shell_.questions, std::vector<std::string>{text::kPlayerSaveNoFfmpeg});
    EXPECT_EQ(shell_.locateAsked, 0);
    shell_.answerYes = true;
    EXPECT_FALSE(flow_.Begin());  // the locating dialog cancelled
    EXPECT_EQ(shell_.locateAsked, 1);
    EXPECT_TRUE(shell_.started.empty());
    EXPECT_FALSE(shell_.progressShown);

    shell_.located = std::string("/tools/ffmpeg.exe");
    ASSERT_TRUE(flow_.Begin());
    EXPECT_EQ(shell_.remembered, std::string("/tools/ffmpeg.exe"));
    EXPECT_EQ(shell_.started.back().ffmpeg, std::string("/tools/ffmpeg.exe"));
    EXPECT_EQ(shell_.started.back().skipIdleSeconds, -1);
}

TEST_F(SaveFlowTest, AnFfmpegThatIsFoundIsUsedWithoutAsking) {
    shell_.choice = SaveChoice{"/rec/clip.mp4", 0, false};
    shell_.found = "/prog/ffmpeg.exe";
    ASSERT_TRUE(flow_.Begin());
    EXPECT_TRUE(shell_.questions.empty());
    EXPECT_EQ(shell_.started.back().format, ExportFormat::Mp4);
    EXPECT_EQ(shell_.started.back().ffmpeg, std::string("/prog/ffmpeg.exe"));
}

TEST_F(SaveFlowTest, CancelIsAskedOnceAndItsEndBringsNoMessage) {
    ASSERT_TRUE(flow_.Begin());
    shell_.now = 2000;
    flow_.Progressed({1000, 2000});
    EXPECT_EQ(shell_.lastPermille, 500);
    EXPECT_EQ(shell_.lastTimeLeft, std::string(text::kPlayerTimeLeft) + "00:00:02");
    flow_.CancelClick();
    flow_.CancelClick();
    EXPECT_EQ(shell_.cancels, 1);
    flow_.Progressed({1500, 2000});
    EXPECT_EQ(shell_.lastPermille, 500);  // the bar stops while the worker winds down
    flow_.Finished({ExportStatus::Cancelled, ""});
    EXPECT_FALSE(shell_.progressShown);
    EXPECT_TRUE(shell_.errors.empty());
}

TEST_F(SaveFlowTest, EveryFailureHasItsMessage) {
    const std::pair<ExportStatus, const char*> cases[] = {
        {ExportStatus::CannotWrite, text::kPlayerSaveCannotWrite},
        {ExportStatus::DiskFull, text::kPlayerSaveDiskFull},
        {ExportStatus::EncoderFailed, text::kPlayerSaveFfmpegFailed},
        {ExportStatus::Refused, text::kPlayerSaveRefused},
        {ExportStatus::OutOfMemory, text::kPlayerSaveOutOfMemory},
    };
    for (const auto& [status, message] : cases) {
        ASSERT_TRUE(flow_.Begin());
        flow_.Finished({status, "detail"});
        EXPECT_FALSE(shell_.progressShown);
        EXPECT_EQ(shell_.errors.back(), message);
    }
}

TEST_F(SaveFlowTest, FfmpegsOwnLastLineAndAMissingEncoderOrCodecAreShown) {
    ASSERT_TRUE(flow_.Begin());
    ExportResult failed{ExportStatus::EncoderFailed, "ffmpeg failed"};
    failed.toolError = "Unknown encoder 'libx264'";
    flow_.Finished(failed);
    EXPECT_EQ(shell_.errors.back(), std::string(text::kPlayerSaveFfmpegFailed) + "\r\r" +
                                        text::kPlayerSaveFfmpegSaid + "Unknown encoder 'libx264'");
    ASSERT_TRUE(flow_.Begin());
    flow_.Finished({ExportStatus::EncoderMissing, "no libx264"});
    EXPECT_EQ(shell_.errors.back(), text::kPlayerSaveNoH264);
    // No GSM 6.10 codec for the sound (Windows N): the codec is named, not ffmpeg.
    ASSERT_TRUE(flow_.Begin());
    flow_.Finished({ExportStatus::EncoderFailed, text::kExportNoGsmCodec});
    EXPECT_EQ(shell_.errors.back(), text::kPlayerNoGsmCodec);
}

class SaveInUseTest : public SaveFlowTest {
  protected:
    SaveInUseTest() {
        held_.status = ExportStatus::TargetInUse;
        held_.kept.moves = {{"/rec/.clip.gif.1.part", "/rec/clip.gif"}};
    }
    ExportResult held_;
};

TEST_F(SaveInUseTest, HeldTargetAsksToTryAgainAndKeepsTheFileUntilTheUserChooses) {
    ASSERT_TRUE(flow_.Begin());
    shell_.retryAnswers = {true, true};
    shell_.moveResults = {held_, {}};
    flow_.Finished(held_);
    ASSERT_EQ(shell_.retryQuestions.size(), 2u);
    const std::string& q = shell_.retryQuestions[0];
    EXPECT_EQ(q.rfind("文件正被其他程序使用…", 0), 0u);
    EXPECT_NE(q.find("clip.gif"), std::string::npos);
    EXPECT_EQ(q.find("%s"), std::string::npos);
    EXPECT_EQ(shell_.moved.size(), 2u);
    EXPECT_TRUE(shell_.discarded.empty());
    EXPECT_TRUE(shell_.errors.empty());  // saved at the second try
    EXPECT_FALSE(flow_.running());
    EXPECT_EQ(flow_.outcome().status, ExportStatus::Done);  // the after-save window opens
}

TEST_F(SaveInUseTest, GivingUpOrTheOtherFailingRemovesTheKeptFile) {
    ASSERT_TRUE(flow_.Begin());
    flow_.Finished(held_);  // Cancel
    ASSERT_EQ(shell_.discarded.size(), 1u);
    EXPECT_EQ(shell_.discarded[0].moves, held_.kept.moves);
    EXPECT_TRUE(shell_.moved.empty());
    EXPECT_TRUE(shell_.errors.empty());

    // The retry meets another failure: that one's message, the move removed what it kept.
    ASSERT_TRUE(flow_.Begin());
    shell_.retryAnswers = {true};
    shell_.moveResults = {{ExportStatus::DiskFull, "full"}};
    flow_.Finished(held_);
    EXPECT_EQ(shell_.errors.back(), text::kPlayerSaveDiskFull);
    EXPECT_EQ(shell_.discarded.size(), 1u);

    // The session ends while the question is open: removed at once, and never moved after.
    ASSERT_TRUE(flow_.Begin());
    shell_.retryAnswers = {true};
    shell_.onRetryQuestion = [this] { flow_.Abandon(); };
    flow_.Finished(held_);
    EXPECT_EQ(shell_.discarded.size(), 2u);
    EXPECT_EQ(shell_.moved.size(), 1u);
}

TEST_F(SaveFlowTest, PlayingPausesWhileSavingAndGoesOnWhereItWas) {
    form_.Start(true);
    view_.elapsed = 700;
    EXPECT_TRUE(form_.KeyDown(PlayerKey::S, true));
    EXPECT_FALSE(form_.playing());
    EXPECT_EQ(view_.restarts.back(), (Restart{false, 700}));
    form_.KeyDown(PlayerKey::Space, false);  // the window is busy saving
    form_.PlayClick();
    EXPECT_FALSE(form_.playing());
    form_.ExportFinished({ExportStatus::Done, ""});
    EXPECT_TRUE(form_.playing());
    EXPECT_EQ(view_.restarts.back(), (Restart{true, 700}));

    // Paused before: paused after. A dialog cancelled: nothing else happens.
    form_.PlayClick();
    shell_.choice.reset();
    form_.SaveAsClick();
    EXPECT_FALSE(form_.playing());
    form_.PlayClick();
    EXPECT_TRUE(form_.playing());  // not stuck in saving
}

TEST_F(SaveFlowTest, TheMarkedPartIsSavedAtTheChosenSpeedWhereTheTypeHasTime) {
    form_.Start(true);
    view_.elapsed = 500;
    EXPECT_TRUE(form_.KeyDown(PlayerKey::I, false));
    view_.elapsed = 1500;
    EXPECT_FALSE(form_.KeyDown(PlayerKey::O, true));  // Ctrl+O is not the end mark
    EXPECT_TRUE(form_.KeyDown(PlayerKey::O, false));
    EXPECT_EQ(view_.selection, (TimeRange{500, 1500}));
    shell_.choice = SaveChoice{"/rec/clip", 0, false, 2, 0};
    form_.SaveAsClick();
    ASSERT_EQ(shell_.started.size(), 1u);
    EXPECT_EQ(shell_.started[0].fromMs, 500);
    EXPECT_EQ(shell_.started[0].toMs, 1500);
    EXPECT_EQ(shell_.started[0].speed, 2.0);
    form_.ExportFinished({ExportStatus::Done, ""});

    // Cleared from the bar's menu: the whole recording; the speed offered is the last chosen,
    // and the pictures take none.
    form_.BarMenuChosen(BarCommand::ClearSelection);
    EXPECT_EQ(view_.selection, (TimeRange{0, 2000}));
    shell_.choice = SaveChoice{"/rec/shots.png", 0, false, 3, 0};
    form_.SaveAsClick();
    EXPECT_EQ(shell_.offered.preset.speedIndex, 2);
    EXPECT_EQ(shell_.started.back().fromMs, 0);
    EXPECT_EQ(shell_.started.back().toMs, -1);
    EXPECT_EQ(shell_.started.back().speed, 1.0);
    form_.ExportFinished({ExportStatus::Done, ""});
    // Only the start marked: to the end, wherever the export finds it.
    form_.BarMenuChosen(BarCommand::MarkStart);
    shell_.choice = SaveChoice{"/rec/voice.wav", 0, false, 3, 0};
    form_.SaveAsClick();
    EXPECT_EQ(shell_.started.back().toMs, -1);
    EXPECT_EQ(shell_.started.back().speed, 4.0);
}

TEST_F(SaveFlowTest, TheWidthIsOfferedOnlyNarrowerAndTakenOnlyByAGifWithItsEstimate) {
    EXPECT_EQ(OptionsFor(ExportFormat::Gif), (SaveOptionsShown{true, true, true}));
    EXPECT_EQ(OptionsFor(ExportFormat::Mp4), (SaveOptionsShown{true, true, false}));
    EXPECT_EQ(OptionsFor(ExportFormat::Wav), (SaveOptionsShown{false, true, false}));
    EXPECT_EQ(OptionsFor(ExportFormat::Png), (SaveOptionsShown{}));
    EXPECT_EQ(GifWidthChoices(1920), (std::vector<int32_t>{0, 1280, 960, 640}));
    EXPECT_EQ(GifWidthChoices(960), (std::vector<int32_t>{0, 640}));
    EXPECT_EQ(GifWidthChoices(640), std::vector<int32_t>{0});

    SaveFlow wide(shell_, "/rec/MRV_1.exe", "", 1280);
    shell_.choice = SaveChoice{"/rec/clip", 0, false, 0, 9};  // out of the list: the last
    ASSERT_TRUE(wide.Begin({250, -1}));
    EXPECT_EQ(shell_.offered.widthLabels,
              (std::vector<std::string>{text::kPlayerSaveWidthAsRecorded, "960", "640"}));
    EXPECT_EQ(shell_.started.back().gifWidth, 640);
    EXPECT_EQ(shell_.offered.estimate(SaveChoice{"", 1, false, 0, 1}), "");  // MP4
    EXPECT_EQ(shell_.offered.estimate(SaveChoice{"", 0, false, 0, 1}), "");  // not known yet
    shell_.estimate = 1536;
    EXPECT_EQ(shell_.offered.estimate(SaveChoice{"", 0, true, 1, 1}),
              std::string(text::kPlayerSaveEstimate) + "1.50 KB");
    const ExportRequest& asked = shell_.estimated.back();
    EXPECT_EQ(asked.gifWidth, 960);
    EXPECT_EQ(asked.speed, 1.5);
    EXPECT_EQ(asked.fromMs, 250);
    EXPECT_EQ(asked.skipIdleSeconds, kSkipIdleSeconds);
    wide.Finished({ExportStatus::Done, ""});

    // A typed .mp4 over the GIF type takes no width.
    shell_.choice = SaveChoice{"/rec/clip.mp4", 0, false, 0, 2};
    shell_.found = "/prog/ffmpeg.exe";
    ASSERT_TRUE(wide.Begin());
    EXPECT_EQ(shell_.started.back().gifWidth, 0);
}

TEST(SaveFolderTest, ARecordingInATemporaryFolderIsOfferedTheVideosFolder) {
    const std::vector<std::string> temp = {"C:\\Users\\a\\AppData\\Local\\Temp", "D:/Cache/"};
    const std::string videos = "C:\\Users\\a\\Videos";
    EXPECT_EQ(SaveFolder("c:\\users\\A\\appdata\\local\\temp\\Temp1_rec.zip", temp, videos),
              videos);
    EXPECT_EQ(SaveFolder("D:\\Cache", temp, videos), videos);
    EXPECT_EQ(SaveFolder("C:\\Users\\a\\AppData\\Local\\Temporary", temp, videos),
              "C:\\Users\\a\\AppData\\Local\\Temporary");
    EXPECT_EQ(SaveFolder("D:\\Cache\\x", temp, ""), "D:\\Cache\\x");  // no Videos folder
}

}  // namespace
}  // namespace mrv::player
