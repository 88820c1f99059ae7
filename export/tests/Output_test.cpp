// The final move of an output: tried again while another program holds the target, the
// finished output kept when it stays held, and copies, not moves, out of the temporary folder.
#include "export/Output.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <set>

#include "export/FileOps.h"

namespace mrv::exporting {
namespace {

namespace fs = std::filesystem;

// Real renames, except onto targets another program "holds" (EBUSY, as a Windows sharing
// violation reads), which let go after `holdTries` refusals; pauses are only counted.
class HeldTargets : public MoveSystem {
  public:
    int Rename(const std::string& from, const std::string& to) override {
        ++renames;
        if (held.count(to) && (holdTries < 0 || refused++ < holdTries)) return EBUSY;
        return files::Rename(from, to);
    }
    void PauseMs(int ms) override { pauses.push_back(ms); }

    std::set<std::string> held;
    int holdTries = -1;  // < 0: held for good
    int refused = 0;
    int renames = 0;
    std::vector<int> pauses;
};

class OutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("mrv-output-test-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string P(const char* name) const { return (dir_ / name).string(); }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename());
        return names;
    }

    fs::path dir_;
    HeldTargets system_;
};

TEST_F(OutputTest, HeldTargetIsTriedAgainAFewTimesAWhileApartAndThenReplaced) {
    Put(P("new"), "new");
    Put(P("x.gif"), "old");
    system_.held = {P("x.gif")};
    system_.holdTries = 3;
    EXPECT_EQ(MoveOver(system_, P("new"), P("x.gif")), 0);
    EXPECT_EQ(system_.pauses, (std::vector<int>{50, 50, 100}));
    EXPECT_EQ(Get(P("x.gif")), "new");
    EXPECT_EQ(Names(), std::set<std::string>{"x.gif"});
}

TEST_F(OutputTest, TargetHeldForGoodKeepsTheFinishedOutputUntilTriedAgain) {
    Put(P("staged"), "new");
    Put(P("x.gif"), "old");
    system_.held = {P("x.gif")};
    KeptOutput kept;
    kept.moves = {{P("staged"), P("x.gif")}};
    ExportResult r = MoveKeptWith(system_, kept);
    ASSERT_EQ(r.status, ExportStatus::TargetInUse);
    // About ten tries over one to two seconds, each pause 50 to 200 ms.
    EXPECT_EQ(system_.renames, 10);
    const int waitedMs = std::accumulate(system_.pauses.begin(), system_.pauses.end(), 0);
    EXPECT_GE(waitedMs, 1000);
    EXPECT_LE(waitedMs, 2000);
    EXPECT_EQ(InUseName(r.kept), P("x.gif"));
    EXPECT_EQ(Get(P("staged")), "new");
    EXPECT_EQ(Get(P("x.gif")), "old");

    system_.held.clear();  // the viewer was closed: the retry succeeds, the file intact
    EXPECT_EQ(MoveKeptWith(system_, r.kept).status, ExportStatus::Done);
    EXPECT_EQ(Get(P("x.gif")), "new");
    EXPECT_EQ(Names(), std::set<std::string>{"x.gif"});
}

TEST_F(OutputTest, SetOfPicturesHeldInTheMiddleGoesOnFromThereOrGoesAsAWhole) {
    fs::create_directories(dir_ / "staging");
    KeptOutput set;
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        Put(P("staging/") + name, name);
        set.moves.push_back({P("staging/") + name, P(name)});
    }
    set.folder = P("staging");
    system_.held = {P("b.png")};
    ExportResult r = MoveKeptWith(system_, set);
    ASSERT_EQ(r.status, ExportStatus::TargetInUse);
    EXPECT_EQ(InUseName(r.kept), P("b.png"));
    EXPECT_EQ(r.kept.placed, std::vector<std::string>{P("a.png")});

    system_.held.clear();
    EXPECT_EQ(MoveKeptWith(system_, r.kept).status, ExportStatus::Done);
    EXPECT_EQ(Names(), (std::set<std::string>{"a.png", "b.png", "c.png"}));
    EXPECT_EQ(Get(P("c.png")), "c.png");

    // Given up on: what was moved in goes too, and the staging folder.
    fs::create_directories(dir_ / "staging");
    for (const auto& [from, to] : set.moves) Put(from, "2");
    system_.held = {P("c.png")};
    r = MoveKeptWith(system_, set);
    DiscardKept(r.kept);
    // Only the held picture is left, as it was.
    EXPECT_EQ(Names(), std::set<std::string>{"c.png"});
    EXPECT_EQ(Get(P("c.png")), "c.png");
}

TEST_F(OutputTest, OtherFailuresAreNotTriedAgainAndLeaveNothing) {
    Put(P("staged"), "new");
    KeptOutput kept;
    kept.moves = {{P("staged"), P("no such folder/x.gif")}};
    const ExportResult r = MoveKeptWith(system_, kept);
    EXPECT_EQ(r.status, ExportStatus::CannotWrite);
    EXPECT_EQ(system_.renames, 1);
    EXPECT_TRUE(Names().empty());
}

TEST_F(OutputTest, FileFromTheTemporaryFolderIsCopiedInNotMoved) {
    fs::create_directories(dir_ / "private");
    Put(P("private/out.mp4"), "video");
    Put(P("x.mp4"), "old");
    ASSERT_EQ(CopyInPlace(P("private/out.mp4"), P("x.mp4")).status, ExportStatus::Done);
    EXPECT_EQ(Get(P("x.mp4")), "video");
    // The made file is still there: a new file was written in the target's folder.
    EXPECT_EQ(Get(P("private/out.mp4")), "video");
    EXPECT_EQ(Names(), (std::set<std::string>{"private", "x.mp4"}));
}

}  // namespace
}  // namespace mrv::exporting
