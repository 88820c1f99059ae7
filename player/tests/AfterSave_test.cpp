// The after-save window's rules: what it shows, its buttons, the recording's copy, and the
// clipboard's file list.
#include "player/AfterSave.h"

#include <gtest/gtest.h>

#include <map>

#include "common/ByteOrder.h"
#include "common/Texts.h"

namespace mrv::player {
namespace {

class FakeAfterSaveShell : public AfterSaveShell {
  public:
    int64_t FileSize(const std::string& path) override {
        const auto it = sizes.find(path);
        return it == sizes.end() ? -1 : it->second;
    }
    void ShowWindow(const std::string& name, const std::string& size) override {
        shown = name + " | " + size;
    }
    void CloseWindow() override { shown.clear(); }
    bool OpenFile(const std::string& path) override {
        opened.push_back(path);
        return works;
    }
    bool ShowInFolder(const std::string& folder, const std::vector<std::string>& files) override {
        folders.push_back(folder + " " + std::to_string(files.size()));
        return works;
    }
    bool CopyFiles(const std::vector<std::string>& files) override {
        copied = files;
        return works;
    }
    void ShowError(const char* text) override { errors.push_back(text); }

    std::map<std::string, int64_t> sizes;
    bool works = true;
    std::string shown;
    std::vector<std::string> opened, folders, copied, errors;
};

exporting::ExportResult Ended(exporting::ExportStatus status) {
    exporting::ExportResult r;
    r.status = status;
    return r;
}

class AfterSaveTest : public ::testing::Test {
  protected:
    FakeAfterSaveShell shell_;
    AfterSave after_{shell_};
};

TEST(SizeTextTest, BytesThenOneDecimalThenWholeUnitsRoundedAsShown) {
    EXPECT_EQ(SizeText(0), "0 字节");
    EXPECT_EQ(SizeText(1023), "1023 字节");
    EXPECT_EQ(SizeText(1024), "1.0 KB");
    EXPECT_EQ(SizeText(31'540), "30.8 KB");
    EXPECT_EQ(SizeText(512'000), "500 KB");
    EXPECT_EQ(SizeText(1024 * 1024 - 10), "1.0 MB");
    EXPECT_EQ(SizeText(int64_t{3} << 30), "3.0 GB");
    EXPECT_EQ(SizeText(-1), text::kPlayerSavedSizeUnknown);
}

TEST_F(AfterSaveTest, FinishedSaveShowsTheFileAndEachButtonDoesItsPartThenCloses) {
    shell_.sizes["/v/clip.gif"] = 31'540;
    after_.ExportEnded(Ended(exporting::ExportStatus::Cancelled), "/v/clip.gif");
    EXPECT_FALSE(after_.open());
    after_.ExportEnded(Ended(exporting::ExportStatus::Done), "/v/clip.gif");
    EXPECT_EQ(shell_.shown, "clip.gif | 30.8 KB");
    after_.Clicked(SavedAction::CopyFiles);
    EXPECT_EQ(shell_.copied, std::vector<std::string>{"/v/clip.gif"});
    EXPECT_FALSE(after_.open());
    EXPECT_EQ(shell_.shown, "");
    // Clicks after the window has gone do nothing.
    after_.Clicked(SavedAction::Open);
    EXPECT_TRUE(shell_.opened.empty());

    after_.ExportEnded(Ended(exporting::ExportStatus::Done), "/v/clip.gif");
    after_.Clicked(SavedAction::OpenFolder);
    EXPECT_EQ(shell_.folders, std::vector<std::string>{"/v 1"});
    after_.ExportEnded(Ended(exporting::ExportStatus::Done), "/v/clip.gif");
    after_.Clicked(SavedAction::Open);
    EXPECT_EQ(shell_.opened, std::vector<std::string>{"/v/clip.gif"});
    EXPECT_TRUE(shell_.errors.empty());
}

TEST_F(AfterSaveTest, PicturesAreOneSetAndAFailedActionSaysSoAndStaysUp) {
    exporting::ExportResult pictures = Ended(exporting::ExportStatus::Done);
    pictures.files = {"/v/s_00000000.png", "/v/s_00000010.png"};
    shell_.sizes = {{pictures.files[0], 1000}, {pictures.files[1], 24}};
    after_.ExportEnded(pictures, "/v/s.png");
    EXPECT_EQ(shell_.shown, "s_00000000.png 等 2 张图片 | 1.0 KB");

    shell_.works = false;
    after_.Clicked(SavedAction::CopyFiles);
    after_.Clicked(SavedAction::Open);
    after_.Clicked(SavedAction::OpenFolder);
    EXPECT_EQ(shell_.errors,
              (std::vector<std::string>{text::kPlayerCopyFailed, text::kPlayerOpenFailed,
                                        text::kPlayerFolderFailed}));
    EXPECT_EQ(shell_.opened, std::vector<std::string>{"/v/s_00000000.png"});
    EXPECT_EQ(shell_.copied, pictures.files);
    EXPECT_TRUE(after_.open());
    after_.Clicked(SavedAction::Close);
    EXPECT_FALSE(after_.open());

    // A file gone before the window opens: its size is unknown, not a wrong sum.
    shell_.sizes.clear();
    after_.ExportEnded(Ended(exporting::ExportStatus::Done), "/v/gone.wav");
    EXPECT_EQ(shell_.shown, std::string("gone.wav | ") + text::kPlayerSavedSizeUnknown);
    // The strip's menu copies the recording, with the window up or not.
    shell_.works = true;
    after_.CopyRecording("/v/rec.exe");
    EXPECT_EQ(shell_.copied, std::vector<std::string>{"/v/rec.exe"});
    EXPECT_TRUE(after_.open());
}

TEST(DropFileListTest, WideNamesEachEndedAndTheListEndedAgain) {
    const std::vector<std::string> files = {"C:\\v\\a.gif", "C:\\\xE5\xBD\x95.png"};  // 录
    const std::vector<uint8_t> list = DropFileList(files);
    EXPECT_EQ(GetU32(&list[0]), 20u);  // where the names start
    EXPECT_EQ(GetU32(&list[4]), 0u);   // no point
    EXPECT_EQ(GetU32(&list[12]), 0u);  // not in a non-client area
    EXPECT_EQ(GetU32(&list[16]), 1u);  // wide
    // 10 and 8 characters, a zero after each, one more at the end, two bytes each.
    ASSERT_EQ(list.size(), 20u + (11 + 9 + 1) * 2);
    EXPECT_EQ(GetU16(&list[20]), u'C');
    EXPECT_EQ(GetU16(&list[20 + 11 * 2 + 3 * 2]), 0x5F55u);
    EXPECT_EQ(GetU16(&list[list.size() - 4]), 0u);
    EXPECT_EQ(GetU16(&list[list.size() - 2]), 0u);
}

}  // namespace
}  // namespace mrv::player
