// A damaged record met while playing: the recording ends before it, once, with a notice.
#include "player/DamageRecovery.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/tests/Fakes.h"
#include "tests/support/StreamBuilder.h"

namespace mrv::player {
namespace {

class FakeRecoveryView : public RecoveryView {
  public:
    explicit FakeRecoveryView(const PlayerForm& form) : form_(form) {}
    void StopSound() override { calls.push_back("stop sound"); }
    void TimelineShortened() override {
        calls.push_back("shortened to " + std::to_string(form_.totalMs()));
    }
    void ShowDamagedNotice(const std::string& detail) override {
        calls.push_back("notice " + detail);
    }
    void ShowEnd(int64_t ms) override { calls.push_back("end at " + std::to_string(ms)); }
    void FailDamaged() override { calls.push_back("fail"); }
    std::vector<std::string> calls;

  private:
    const PlayerForm& form_;
};

// Five records of 200 ms.
std::vector<uint8_t> FiveRecords() {
    testing::StreamBuilder b(8, 2);
    b.Stop(5, 1000);
    for (uint32_t i = 0; i < 5; ++i) b.Fill(i);
    return b.Bytes();
}

class DamageRecoveryTest : public ::testing::Test {
  protected:
    IndexedStream rec_{FiveRecords()};
    FakeView view_;
    PlayerForm form_{view_, rec_.timeline};
    FakeRecoveryView recoveryView_{form_};
    DamageRecovery recovery_{rec_.timeline, form_, recoveryView_};
};

TEST_F(DamageRecoveryTest, PlayingEndsBeforeTheDamagedRecordAfterTheNotice) {
    form_.Start(true);
    view_.elapsed = 500;
    // Every picture that fails while the notice is pending reports once.
    EXPECT_TRUE(recovery_.Found());
    EXPECT_FALSE(recovery_.Found());
    EXPECT_TRUE(recovery_.pending());
    recovery_.Recover(3, "payload");
    EXPECT_EQ(recoveryView_.calls,
              (std::vector<std::string>{"stop sound", "shortened to 600", "notice damaged: payload",
                                        "end at 600"}));
    EXPECT_FALSE(recovery_.pending());
    EXPECT_EQ(rec_.timeline.records().size(), 3u);
    EXPECT_FALSE(form_.playing());
    EXPECT_FALSE(view_.playing);
    EXPECT_EQ(form_.barScale().maxPosition(), form_.barScale().PositionOf(600));
    // A later failure is a new one.
    EXPECT_TRUE(recovery_.Found());
}

TEST_F(DamageRecoveryTest, DamageInTheFirstRecordLeavesNothingToPlay) {
    form_.Start(true);
    ASSERT_TRUE(recovery_.Found());
    recovery_.Recover(0, "payload");
    EXPECT_EQ(recoveryView_.calls, std::vector<std::string>{"fail"});
    EXPECT_EQ(rec_.timeline.records().size(), 5u);
    EXPECT_FALSE(recovery_.pending());
}

}  // namespace
}  // namespace mrv::player
