// Helper programs: where ffmpeg is looked for, Windows quoting, and (natively) a child that
// receives hostile arguments exactly as given, with no shell between.
#include "export/ProgramLookup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "export/ChildProcess.h"
#include "export/Export.h"

namespace mrv::exporting {
namespace {

TEST(QuoteWindowsArgument, FollowsTheCommandLineToArgvRules) {
    EXPECT_EQ(QuoteWindowsArgument("plain"), "plain");
    EXPECT_EQ(QuoteWindowsArgument(""), "\"\"");
    EXPECT_EQ(QuoteWindowsArgument("a b"), "\"a b\"");
    EXPECT_EQ(QuoteWindowsArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuoteWindowsArgument("C:\\dir with space\\"), "\"C:\\dir with space\\\\\"");
    EXPECT_EQ(QuoteWindowsArgument("a\\\\\"b c"), "\"a\\\\\\\\\\\"b c\"");
    EXPECT_EQ(QuoteWindowsArgument("%PATH%"), "%PATH%");  // no shell: nothing expands it
    EXPECT_EQ(QuoteWindowsArgument("C:\\a\\b.mp4"), "C:\\a\\b.mp4");
    EXPECT_EQ(QuoteWindowsArgument("\xE5\xBD\x95 x"), "\"\xE5\xBD\x95 x\"");
}

// Files that exist only in a set; remembers every path it was asked about.
class FakeFiles : public ProgramFiles {
  public:
    explicit FakeFiles(std::set<std::string> files) : files_(std::move(files)) {}
    bool IsFile(const std::string& path) override {
        asked.push_back(path);
        return files_.count(path) > 0;
    }
    std::vector<std::string> asked;

  private:
    std::set<std::string> files_;
};

#ifndef _WIN32
TEST(FindFfmpeg, BesideTheProgramThenThePathInOrderThenTheUsersChoice) {
    FakeFiles files({"/opt/tool/ffmpeg", "/usr/bin/ffmpeg", "/b/ffmpeg", "/home/u/ff"});
    EXPECT_EQ(FindFfmpeg(files, "/opt/tool", "/usr/bin:/b", "/home/u/ff", ""), "/opt/tool/ffmpeg");
    EXPECT_EQ(FindFfmpeg(files, "/elsewhere", "/a::/b:/usr/bin", "/home/u/ff", ""), "/b/ffmpeg");
    EXPECT_EQ(FindFfmpeg(files, "", "\"/b\"", "", ""), "/b/ffmpeg");
    EXPECT_EQ(FindFfmpeg(files, "/elsewhere", "/a:", "/home/u/ff", ""), "/home/u/ff");
    files.asked.clear();
    EXPECT_EQ(FindFfmpeg(files, "/elsewhere", "/a:", "/home/u/gone", ""), "");
    // An empty PATH entry is not the current folder.
    EXPECT_EQ(files.asked,
              (std::vector<std::string>{"/elsewhere/ffmpeg", "/a/ffmpeg", "/home/u/gone"}));
    EXPECT_EQ(FindFfmpeg(files, "", "", "", ""), "");
}

TEST(FindFfmpeg, NeverFromTheRecordingsOwnFolderNorFromARelativePathEntry) {
    FakeFiles files({"/dl/ffmpeg", "/usr/bin/ffmpeg", "bin/ffmpeg"});
    // A recording run from Downloads is the program: beside it is beside the recording.
    EXPECT_EQ(FindFfmpeg(files, "/dl", "/dl/:bin:/usr/bin", "", "/dl"), "/usr/bin/ffmpeg");
    EXPECT_EQ(FindFfmpeg(files, "/dl", "bin:/dl", "", "/dl/"), "");
    // One the user located is theirs to choose.
    EXPECT_EQ(FindFfmpeg(files, "/dl", "", "/dl/ffmpeg", "/dl"), "/dl/ffmpeg");
    // An installed player with the recording elsewhere: its own folder first, as before.
    EXPECT_EQ(FindFfmpeg(files, "/dl", "/usr/bin", "", "/home/u"), "/dl/ffmpeg");
    EXPECT_FALSE(InFolder("/dl/sub/ffmpeg", "/dl"));
    EXPECT_TRUE(InFolder("/ffmpeg", "/"));
}
#endif

TEST(ErrorTail, TheLastLineThatSaysSomethingWhateverTheChunksAndLineEnds) {
    ErrorTail tail;
    EXPECT_EQ(tail.LastLine(), "");
    const auto feed = [&](const std::string& s) {
        tail.Append({reinterpret_cast<const uint8_t*>(s.data()), s.size()});
    };
    feed("[libx264 @ 0x1] using cpu\r\nUnknown enc");
    feed("oder 'libx264'\r\n\r\n  \n");
    EXPECT_EQ(tail.LastLine(), "Unknown encoder 'libx264'");
    // A long output keeps only its end; an endless line is cut at a character's start.
    for (int i = 0; i < 1000; ++i) feed("frame=" + std::to_string(i) + "\n");
    feed(std::string(ErrorTail::kMaxLineBytes - 1, 'x') + "\xE5\xBD\x95\xE5\xBD\x95");
    const std::string last = tail.LastLine();
    EXPECT_EQ(last, std::string(ErrorTail::kMaxLineBytes - 1, 'x') + "...");
}

TEST(FfmpegFileArgument, NoNameCanPassForAnOptionOrAProtocol) {
    EXPECT_EQ(FfmpegFileArgument("-y"), "file:-y");
    EXPECT_EQ(FfmpegFileArgument("http:x"), "file:http:x");
}

#ifndef _WIN32
std::string RunEcho(const std::vector<std::string>& args) {
    std::string error;
    auto child = StartChild({"/bin/echo", args, false, true, {}}, error);
    EXPECT_TRUE(child) << error;
    if (!child) return {};
    std::string out;
    char buffer[256];
    for (int64_t n; (n = child->Read(std::span(reinterpret_cast<uint8_t*>(buffer), 256))) > 0;) {
        out.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_EQ(child->Wait(), 0);
    return out;
}

TEST(ChildProcess, ArgumentsArriveAsGivenWithoutAShell) {
    EXPECT_EQ(RunEcho({"$HOME", "%PATH%", "'q' \"d\"", "a;b", "`x`", "name:y", "*"}),
              "$HOME %PATH% 'q' \"d\" a;b `x` name:y *\n");
}

TEST(ChildProcess, InputOutputAndExtraInputPipes) {
    // cat copies its input; the extra input reaches the child as descriptor 3.
    std::string error;
    auto child = StartChild({"/bin/cat", {"-", "/dev/fd/3"}, true, true, ExtraInputName()}, error);
    ASSERT_TRUE(child) << error;
    const std::string a = "first ", b = "second";
    ASSERT_TRUE(child->Write(std::span(reinterpret_cast<const uint8_t*>(a.data()), a.size())));
    child->CloseInput();
    ASSERT_TRUE(child->WriteExtra(std::span(reinterpret_cast<const uint8_t*>(b.data()), b.size())));
    child->CloseExtra();
    std::string out(64, '\0');
    size_t got = 0;
    for (int64_t n; (n = child->Read(std::span(reinterpret_cast<uint8_t*>(out.data()) + got,
                                               out.size() - got))) > 0;) {
        got += static_cast<size_t>(n);
    }
    out.resize(got);
    EXPECT_EQ(out, "first second");
    EXPECT_EQ(child->Wait(), 0);
}

TEST(ChildProcess, MissingProgramAndFailingChildAreReported) {
    std::string error;
    EXPECT_FALSE(StartChild({"/nonexistent/ffmpeg", {}, true, false, {}}, error));
    EXPECT_NE(error.find("/nonexistent/ffmpeg"), std::string::npos);
    auto child = StartChild({"/bin/false", {}, true, false, {}}, error);
    ASSERT_TRUE(child);
    EXPECT_NE(child->Wait(), 0);
    // What it said last on its error output is kept for the message.
    child = StartChild(
        {"/bin/sh", {"-c", "echo one >&2; echo 'Unknown encoder x' >&2; exit 3"}, false, false, {}},
        error);
    ASSERT_TRUE(child);
    EXPECT_EQ(child->Wait(), 3);
    EXPECT_EQ(child->LastErrorLine(), "Unknown encoder x");
}

TEST(ChildProcess, WritingToAChildThatEndedFailsInsteadOfKillingUs) {
    std::string error;
    auto child = StartChild({"/bin/true", {}, true, false, {}}, error);
    ASSERT_TRUE(child);
    const std::vector<uint8_t> big(1 << 20, 1);
    bool ok = true;
    for (int i = 0; i < 8 && ok; ++i) ok = child->Write(big);
    EXPECT_FALSE(ok);
    EXPECT_EQ(child->Wait(), 0);
}

TEST(PrivateTempFolder, OnlyTheUserCanOpenIt) {
    std::string error;
    const std::string dir = MakePrivateTempFolder(error);
    ASSERT_FALSE(dir.empty()) << error;
    const auto perms = std::filesystem::status(dir).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all, std::filesystem::perms::owner_all);
    std::filesystem::remove(dir);
}
#endif

}  // namespace
}  // namespace mrv::exporting
