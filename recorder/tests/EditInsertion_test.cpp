// An edit on a paused recording: the held frame it inserts, the accounting and its failures.
#include "recorder/EditInsertion.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/Texts.h"
#include "recorder/StreamReader.h"
#include "recorder/tests/Fakes.h"

namespace mrv {
namespace {

using namespace mrv::testing;

constexpr char kStub[] = "C:/app/HeadFile.hdf";
constexpr char kOut[] = "C:/rec/out.exe";

class FakeSession final : public EditorSession {
  public:
    FakeSession(ScreenSource& picture, std::vector<std::string>& log, Result result,
                std::string error, std::function<void()> during)
        : picture_(picture),
          log_(log),
          result_(result),
          error_(std::move(error)),
          during_(std::move(during)) {}
    ~FakeSession() override { log_.push_back("destroyed"); }
    Result ShowModal(std::string& error) override {
        log_.push_back("shown");
        if (during_) during_();
        error = error_;
        return result_;
    }
    ScreenSource& Picture() override {
        log_.push_back("picture read");
        return picture_;
    }

  private:
    ScreenSource& picture_;
    std::vector<std::string>& log_;
    Result result_;
    std::string error_;
    std::function<void()> during_;
};

class FakeFactory final : public EditorFactory {
  public:
    explicit FakeFactory(MemoryScreen& picture) : picture_(picture) {}
    std::unique_ptr<EditorSession> Create(std::string& error) override {
        log.push_back("created");
        if (!createError.empty()) {
            error = createError;
            return nullptr;
        }
        return std::make_unique<FakeSession>(source ? *source : picture_, log, result, showError,
                                             during);
    }
    std::vector<std::string> log;
    EditorSession::Result result = EditorSession::Result::Ok;
    std::string createError;
    std::string showError;
    std::function<void()> during;
    ScreenSource* source = nullptr;  // in place of the picture, when set

  private:
    MemoryScreen& picture_;
};

class EditInsertionTest : public ::testing::Test, protected RecorderFakes {
  protected:
    EditInsertionTest()
        : screen(64, 48, 32),
          picture(64, 48, 32),
          factory(picture),
          recorder(Platform(screen, view)) {
        files.files[kStub].bytes = {'M', 'Z'};
        options.bitsPerPixel = 32;
        options.scanStep = 7;
        options.tickIntervalMs = 200;
        options.showClick = true;
    }

    void StartAndTick() {
        ASSERT_EQ(recorder.StartRecording(kOut, options, {kStub, "", ""}).outcome,
                  StartResult::Outcome::Started);
        screen.Fill(0x00102030);
        Tick();
    }
    void Tick() {
        clock.tick += 200;
        ASSERT_FALSE(recorder.Timer1Timer().has_value());
    }
    ErrorText Edit(EditMode mode, int32_t editSleep = 20) {
        EXPECT_TRUE(recorder.Pause());
        return EditAndInsertFrame(recorder, factory, mode, editSleep);
    }
    // Stops the recording and reads every record back.
    std::vector<FrameHeader> Records(StreamReader& reader, std::vector<std::vector<Rect>>& items) {
        recorder.Resume();
        EXPECT_FALSE(recorder.StopRecording().has_value());
        std::vector<FrameHeader> out;
        EXPECT_TRUE(reader.Open(std::span<const uint8_t>(files.files[kOut].bytes).subspan(2)));
        while (reader.ReadNext() == StreamReader::Next::Frame) {
            out.push_back(reader.frame());
            items.push_back(reader.rects());
        }
        return out;
    }

    MemoryScreen screen;
    MemoryScreen picture;
    FakeFactory factory;
    FakeView view;
    Recorder recorder;
    RecordingOptions options;
};

TEST_F(EditInsertionTest, FullScreenCopyHoldsThePictureAsOneWholeScreenItem) {
    StartAndTick();
    picture.Fill(0x00FFFFFF);
    picture.FillRect({5, 6, 30, 20}, 0x00FF0000);
    const int32_t accumulated = recorder.accumulatedMs();
    ASSERT_FALSE(Edit(EditMode::FullScreenCopy).has_value());
    EXPECT_EQ(factory.log,
              (std::vector<std::string>{"created", "shown", "picture read", "destroyed"}));
    EXPECT_EQ(recorder.frameCounter(), 1 + 21);
    EXPECT_EQ(recorder.accumulatedMs(), accumulated + 200 + 20 * 200);
    EXPECT_TRUE(recorder.isPaused());  // the caller resumes

    StreamReader reader;
    std::vector<std::vector<Rect>> items;
    const auto records = Records(reader, items);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].holdTicks, 20);
    EXPECT_EQ(records[1].cursorX, 10);  // still the last scan tick's position
    EXPECT_EQ(items[1], (std::vector<Rect>{{0, 0, 64, 48}}));
    EXPECT_TRUE(std::ranges::equal(reader.image(), picture.pixels()));
    EXPECT_EQ(reader.tickIndex(), 22);
}

TEST_F(EditInsertionTest, ThePictureBecomesTheReferenceSoTheNextTickStoresTheScreenAgain) {
    StartAndTick();
    picture.Fill(0x00FFFFFF);
    ASSERT_FALSE(Edit(EditMode::FullScreenCopy).has_value());
    recorder.Resume();
    for (int i = 0; i < 7; ++i) Tick();
    StreamReader reader;
    std::vector<std::vector<Rect>> items;
    Records(reader, items);
    EXPECT_TRUE(std::ranges::equal(reader.image(), screen.pixels()));
}

TEST_F(EditInsertionTest, HoldIsEditSleepTakenAsOneByte) {
    StartAndTick();
    ASSERT_FALSE(Edit(EditMode::FullScreenCopy, 300).has_value());
    EXPECT_EQ(recorder.frameCounter(), 1 + 44 + 1);
    StreamReader reader;
    std::vector<std::vector<Rect>> items;
    EXPECT_EQ(Records(reader, items)[1].holdTicks, 44);
}

TEST_F(EditInsertionTest, ScanModeWritesAnOrdinaryScanRecordWithTheHold) {
    StartAndTick();
    screen.FillRect({0, 10, 64, 11}, 0x00FFFFFF);  // a line the next phase samples
    picture.Fill(0x00FFFFFF);                      // not what a scan stores
    ASSERT_FALSE(Edit(EditMode::Scan, 7).has_value());
    StreamReader reader;
    std::vector<std::vector<Rect>> items;
    const auto records = Records(reader, items);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].holdTicks, 7);
    ASSERT_EQ(items[1].size(), 1u);
    EXPECT_EQ(items[1][0].top, 3);
    EXPECT_EQ(items[1][0].bottom, 17);
    EXPECT_TRUE(std::ranges::equal(reader.image(), screen.pixels()));
    EXPECT_EQ(recorder.frameCounter(), 0);  // stopped; the header holds the count
    EXPECT_EQ(reader.header().frameCount, 1 + 7 + 1);
}

TEST_F(EditInsertionTest, PictureThatCannotBeReadInsertsNothingAndAccountsNothing) {
    StartAndTick();
    FailingScreen unreadable(picture);
    unreadable.fails = [](int32_t, int32_t) { return true; };
    factory.source = &unreadable;
    const int32_t frames = recorder.frameCounter();
    const int32_t accumulated = recorder.accumulatedMs();
    const auto size = files.files[kOut].bytes.size();
    EXPECT_EQ(Edit(EditMode::FullScreenCopy), std::string(text::kEditPictureUnreadable));
    EXPECT_EQ(recorder.frameCounter(), frames);
    EXPECT_EQ(recorder.accumulatedMs(), accumulated + 200);  // the pause's running stretch only
    EXPECT_EQ(files.files[kOut].bytes.size(), size);
    EXPECT_TRUE(recorder.isRecording() && recorder.isPaused());
    EXPECT_EQ(factory.log.back(), "destroyed");
}

TEST_F(EditInsertionTest, CancelWritesNothingAndAccountsNothing) {
    StartAndTick();
    factory.result = EditorSession::Result::Cancel;
    const int32_t frames = recorder.frameCounter();
    const auto size = files.files[kOut].bytes.size();
    ASSERT_FALSE(Edit(EditMode::FullScreenCopy).has_value());
    EXPECT_EQ(recorder.frameCounter(), frames);
    EXPECT_EQ(files.files[kOut].bytes.size(), size);
    EXPECT_EQ(factory.log.back(), "destroyed");
}

TEST_F(EditInsertionTest, PressIsReportedByTheInsertedRecordOnlyNotAgainByTheNextTick) {
    StartAndTick();
    factory.during = [this] { hook.sink->OnMouseMessage(0, 0x0201); };  // the click on apply
    ASSERT_FALSE(Edit(EditMode::FullScreenCopy).has_value());
    recorder.Resume();
    Tick();
    StreamReader reader;
    std::vector<std::vector<Rect>> items;
    const auto records = Records(reader, items);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].click, 1);
    EXPECT_EQ(records[2].click, 0);
}

TEST_F(EditInsertionTest, EditorThatCannotBeMadeOrShownReportsAfterItIsGoneAndWritesNothing) {
    StartAndTick();
    factory.createError = "Out of memory";
    EXPECT_EQ(Edit(EditMode::FullScreenCopy), "Out of memory");
    EXPECT_EQ(factory.log, (std::vector<std::string>{"created"}));
    factory.createError.clear();
    factory.log.clear();
    factory.showError = "Window creation failed";
    recorder.Resume();
    EXPECT_EQ(Edit(EditMode::FullScreenCopy), "Window creation failed");
    EXPECT_EQ(factory.log, (std::vector<std::string>{"created", "shown", "destroyed"}));
    EXPECT_EQ(recorder.frameCounter(), 1);
    EXPECT_TRUE(recorder.isRecording());
}

TEST_F(EditInsertionTest, FailedWriteClosesTheRecordingWithItsHeaderFinished) {
    StartAndTick();
    files.capacity = static_cast<int64_t>(files.files[kOut].bytes.size()) + 20;
    const ErrorText error = Edit(EditMode::FullScreenCopy);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("Cannot write file"), std::string::npos);
    EXPECT_EQ(factory.log.back(), "destroyed");
    EXPECT_FALSE(recorder.isRecording());
    StreamReader reader;
    ASSERT_TRUE(reader.Open(std::span<const uint8_t>(files.files[kOut].bytes).subspan(2)));
    EXPECT_EQ(reader.ReadNext(), StreamReader::Next::Frame);
    EXPECT_EQ(reader.ReadNext(), StreamReader::Next::End);
    EXPECT_EQ(reader.header().frameCount, 1);  // the lost record's hold is not counted
    EXPECT_EQ(reader.header().durationMs, 200);
}

}  // namespace
}  // namespace mrv
