// Sampling, band growth, clamping and reference-image upkeep of the change detector.
#include "recorder/ChangeCapture.h"

#include <gtest/gtest.h>

#include <random>

#include "recorder/MemoryScreen.h"
#include "recorder/tests/Fakes.h"
#include "recorder/tests/TestItems.h"

namespace mrv {
namespace {

using testing::ParseItems;

class ChangeCaptureTest : public ::testing::Test {
  protected:
    void SetUpScreen(int32_t w, int32_t h, int bpp, int step) {
        screen = std::make_unique<MemoryScreen>(w, h, bpp);
        detector.Reset(MakeGeometry(w, h, bpp), step, kSrcCopy);
    }
    std::vector<Rect> Tick() { return TickOn(*screen); }
    std::vector<Rect> TickOn(ScreenSource& source) {
        buffer.clear();
        detector.FindAndCaptureBands(source, buffer);
        return ParseItems(buffer, screen->geometry().bitsPerPixel);
    }
    // Ticks until the phase is back at 0, so every line has been looked at once more.
    void SettleFullCycle() {
        for (int i = 0; i < detector.scanStep(); ++i) Tick();
    }
    bool ReferenceMatchesScreen() {
        auto ref = detector.referenceImage();
        auto px = screen->pixels();
        return std::equal(ref.begin(), ref.end(), px.begin(), px.end());
    }

    std::unique_ptr<MemoryScreen> screen;
    ChangeDetector detector;
    std::vector<uint8_t> buffer;
};

TEST_F(ChangeCaptureTest, WorkedExampleGivesOneBandAroundTheRepaint) {
    SetUpScreen(640, 480, 32, 17);
    SettleFullCycle();  // the all-black screen equals the zero reference: nothing to send
    ASSERT_EQ(detector.phase(), 0);
    screen->FillRect({200, 100, 301, 141}, 0x00FF8040);
    const auto items = Tick();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0], (Rect{199, 85, 304, 153}));
}

TEST_F(ChangeCaptureTest, UnchangedScreenSendsNothingAndSamplesEveryNthLine) {
    SetUpScreen(64, 100, 16, 13);
    const int64_t before = screen->lineGrabCount;
    EXPECT_TRUE(Tick().empty());
    // Phase 0: lines 0, 13, ..., 91.
    EXPECT_EQ(screen->lineGrabCount - before, 8);
    EXPECT_EQ(detector.phase(), 3);
}

TEST_F(ChangeCaptureTest, SinglePixelOnSampledLineGivesWidenedBandClampedToScreen) {
    SetUpScreen(100, 100, 32, 17);
    screen->SetPixel(50, 34, 0xFFFFFF);
    EXPECT_EQ(Tick(), (std::vector<Rect>{{49, 17, 54, 51}}));

    // A change in the first word of the phase line reaches above and left of the screen.
    SetUpScreen(100, 100, 32, 17);
    screen->SetPixel(0, 0, 0xFFFFFF);
    EXPECT_EQ(Tick(), (std::vector<Rect>{{0, 0, 4, 17}}));

    // The last words of the last sampled line reach past the right and bottom edges.
    SetUpScreen(100, 100, 32, 17);
    screen->SetPixel(99, 85, 0xFFFFFF);
    EXPECT_EQ(Tick(), (std::vector<Rect>{{98, 68, 100, 100}}));
}

TEST_F(ChangeCaptureTest, FourBitWordsMoveEdgesInStepsOfEightPixels) {
    SetUpScreen(200, 40, 4, 7);
    screen->SetPixel(21, 7, 5);  // in the word of pixels 16..23
    EXPECT_EQ(Tick(), (std::vector<Rect>{{8, 0, 48, 14}}));
    // The item starts on a word boundary and its rows hold whole words.
    for (const Rect& r : ParseItems(buffer, 4)) {
        EXPECT_EQ((r.left * 4) % 32, 0);
        EXPECT_TRUE(r.right == 200 || ((r.right - r.left) * 4) % 32 == 0);
    }
}

TEST_F(ChangeCaptureTest, DifferenceSkipsThreeWordsBeforeComparingAgain) {
    SetUpScreen(64, 20, 32, 7);
    // Words 0 and 3 differ; word 3 falls in the skipped run, so the edge stays at 0+4.
    screen->SetPixel(0, 0, 1);
    screen->SetPixel(3, 0, 1);
    screen->SetPixel(5, 0, 1);  // word 5 is compared again: right edge 9
    EXPECT_EQ(Tick(), (std::vector<Rect>{{0, 0, 9, 7}}));
}

TEST_F(ChangeCaptureTest, BandsSeparatedByAnEqualSampledLineDoNotOverlap) {
    SetUpScreen(128, 120, 32, 10);
    screen->FillRect({10, 12, 20, 25}, 0x123456);  // seen on lines 20
    screen->FillRect({40, 45, 60, 55}, 0x654321);  // seen on lines 50; line 30, 40 equal
    const auto items = Tick();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0], (Rect{9, 10, 22, 30}));
    EXPECT_EQ(items[1], (Rect{39, 40, 60, 60}));
    EXPECT_LE(items[0].bottom, items[1].top);
}

TEST_F(ChangeCaptureTest, BandRunningToTheLastSampledLineEndsAtScreenBottom) {
    SetUpScreen(64, 50, 16, 7);
    screen->FillRect({0, 30, 64, 50}, 0x7FFF);
    const auto items = Tick();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].top, 28);
    EXPECT_EQ(items[0].bottom, 50);
    EXPECT_EQ(items[0].right, 64);
}

TEST_F(ChangeCaptureTest, PhaseVisitsEveryRowOnceInScanStepTicks) {
    for (int step : {17, 13, 7}) {
        SetUpScreen(32, 10, 32, step);
        std::vector<int> seen(static_cast<size_t>(step), 0);
        for (int i = 0; i < step; ++i) {
            ++seen[static_cast<size_t>(detector.phase())];
            Tick();
        }
        EXPECT_EQ(detector.phase(), 0) << step;
        for (int count : seen) EXPECT_EQ(count, 1) << step;
    }
}

TEST_F(ChangeCaptureTest, ChangeOnlyInUnsampledRowsIsFoundWithinScanStepTicks) {
    SetUpScreen(96, 80, 32, 17);
    screen->FillRect({30, 5, 60, 6}, 0xABCDEF);  // row 5 only
    int found = -1;
    for (int i = 0; i < 17 && found < 0; ++i) {
        if (!Tick().empty()) found = i;
    }
    ASSERT_GE(found, 0);
    // Row 5 is sampled when the phase is 5, reached at tick 13 of (0,3,6,...,15,1,4,7,...).
    EXPECT_EQ(found, 13);
    EXPECT_TRUE(ReferenceMatchesScreen());
}

TEST_F(ChangeCaptureTest, ChangeGoneBeforeItIsSampledIsNeverRecorded) {
    SetUpScreen(96, 80, 32, 17);
    screen->FillRect({30, 5, 60, 6}, 0xABCDEF);
    EXPECT_TRUE(Tick().empty());  // phase 0 misses row 5
    screen->FillRect({30, 5, 60, 6}, 0);
    for (int i = 0; i < 17; ++i) EXPECT_TRUE(Tick().empty());
}

TEST_F(ChangeCaptureTest, ReferenceConvergesToAnyScreenAtEveryDepth) {
    std::mt19937 rng(7);
    for (int bpp : {4, 8, 16, 32}) {
        // Odd widths exercise row padding; random content touches every word.
        SetUpScreen(131, 77, bpp, 13);
        const uint32_t mask = bpp == 32 ? 0x00FFFFFF : bpp == 16 ? 0x7FFF : (1u << bpp) - 1;
        for (int32_t y = 0; y < 77; ++y)
            for (int32_t x = 0; x < 131; ++x) screen->SetPixel(x, y, rng() & mask);
        SettleFullCycle();
        EXPECT_TRUE(ReferenceMatchesScreen()) << bpp;
        EXPECT_TRUE(Tick().empty()) << bpp;
        // A later small change is picked up exactly, and only inside captured bands.
        screen->FillRect({40, 30, 45, 33}, 3);
        SettleFullCycle();
        EXPECT_TRUE(ReferenceMatchesScreen()) << bpp;
    }
}

TEST_F(ChangeCaptureTest, ItemsCarryTheScreenPixelsAndPaddingAtOddWidths) {
    SetUpScreen(33, 8, 16, 7);
    screen->Fill(0x1234);
    const auto items = Tick();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0], (Rect{0, 0, 33, 8}));
    // 33 pixels at 16 bits: 66 bytes of pixels padded to 68 per row.
    ASSERT_EQ(buffer.size(), 16u + 68u * 8u);
    EXPECT_EQ(buffer[16], 0x34);
    EXPECT_EQ(buffer[17], 0x12);
    EXPECT_EQ(buffer[16 + 64], 0x34);
    EXPECT_EQ(buffer[16 + 66], 0);  // padding
}

TEST_F(ChangeCaptureTest, FailedBandGrabSendsNothingAndTheChangeComesOnALaterTick) {
    SetUpScreen(64, 48, 32, 7);
    testing::FailingScreen failing(*screen);
    failing.fails = [](int32_t, int32_t height) { return height > 1; };
    screen->FillRect({8, 10, 40, 30}, 0x00336699);
    const std::vector<uint8_t> before(detector.referenceImage().begin(),
                                      detector.referenceImage().end());
    EXPECT_TRUE(TickOn(failing).empty());
    EXPECT_EQ(failing.failures, 1);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), detector.referenceImage().begin()));
    // The grab works again: the next tick's sampled lines still differ from the reference.
    failing.fails = nullptr;
    EXPECT_EQ(TickOn(failing).size(), 1u);
    SettleFullCycle();
    EXPECT_TRUE(ReferenceMatchesScreen());
}

TEST_F(ChangeCaptureTest, FailedLineGrabIsTakenAsUnchangedWithoutLosingRows) {
    SetUpScreen(64, 48, 32, 7);
    testing::FailingScreen failing(*screen);
    screen->Fill(0x00FFFFFF);
    // No line can be read: nothing is compared, nothing sent, the reference stays all zero.
    failing.fails = [](int32_t, int32_t height) { return height == 1; };
    EXPECT_TRUE(TickOn(failing).empty());
    EXPECT_EQ(failing.failures, 7);
    EXPECT_TRUE(std::all_of(detector.referenceImage().begin(), detector.referenceImage().end(),
                            [](uint8_t b) { return b == 0; }));
    // One unreadable line in the middle ends the band above it; the next band starts there.
    failing.fails = [](int32_t y, int32_t height) { return height == 1 && y == 17; };
    ASSERT_EQ(detector.phase(), 3);
    EXPECT_EQ(TickOn(failing), (std::vector<Rect>{{0, 0, 64, 17}, {0, 17, 64, 48}}));
    EXPECT_TRUE(ReferenceMatchesScreen());
}

}  // namespace
}  // namespace mrv
