// The player's speed control: pitch, length, smoothness and clock of the stretched sound, and the
// volume and mute applied to the samples.
#include "playback/TimeStretch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace mrv::playback {
namespace {

constexpr Speed kAllSpeeds[] = {Speed::Half, Speed::Normal, Speed::OneAndHalf, Speed::Double,
                                Speed::Quadruple};

std::vector<int16_t> Tone(double hz, int32_t rate, size_t n, double amplitude = 12000) {
    std::vector<int16_t> pcm(n);
    for (size_t i = 0; i < n; ++i) {
        pcm[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / rate)));
    }
    return pcm;
}

// Appends whatever is ready to pull.
void Drain(TimeStretcher& ts, std::vector<int16_t>& out) {
    const size_t at = out.size();
    out.resize(at + ts.available() + 3);
    out.resize(at + ts.Pull(std::span(out).subspan(at)));
}

// Pushes `input` in pieces of the given sizes (cycled), pulling what is ready after each. With
// `speedEvery`, the speed goes 2x, 0.5x, 1x, 1.5x, 2x... changing every that many pieces.
std::vector<int16_t> Stretch(TimeStretcher& ts, const std::vector<int16_t>& input,
                             const std::vector<size_t>& pieces, size_t speedEvery = 0) {
    constexpr Speed kOrder[] = {Speed::Double, Speed::Half, Speed::Normal, Speed::OneAndHalf};
    std::vector<int16_t> out;
    size_t at = 0;
    for (size_t k = 0; at < input.size(); ++k) {
        if (speedEvery > 0 && k % speedEvery == 0) ts.SetSpeed(kOrder[k / speedEvery % 4]);
        const size_t n = std::min(pieces[k % pieces.size()], input.size() - at);
        ts.Push(std::span(input).subspan(at, n));
        at += n;
        Drain(ts, out);
    }
    ts.Finish();
    Drain(ts, out);
    return out;
}

// From the rising zero crossings.
double Frequency(const std::vector<int16_t>& pcm, int32_t rate) {
    double first = -1, last = -1;
    int crossings = 0;
    for (size_t i = 1; i < pcm.size(); ++i) {
        if (pcm[i - 1] < 0 && pcm[i] >= 0) {
            const double t = double(i - 1) + double(-pcm[i - 1]) / double(pcm[i] - pcm[i - 1]);
            if (first < 0) first = t;
            last = t;
            ++crossings;
        }
    }
    return crossings > 1 ? (crossings - 1) * rate / (last - first) : 0;
}

// Largest step between neighbouring samples, up to `end`.
int MaxStep(const std::vector<int16_t>& pcm, size_t end = SIZE_MAX) {
    int step = 0;
    for (size_t i = 1; i < std::min(end, pcm.size()); ++i) {
        step = std::max(step, std::abs(int{pcm[i]} - int{pcm[i - 1]}));
    }
    return step;
}

TEST(TimeStretch, ToneKeepsItsPitchAndLengthFollowsTheSpeed) {
    for (int32_t rate : {8000, 22050, 44100}) {
        const std::vector<int16_t> in = Tone(440, rate, static_cast<size_t>(rate) * 4 + 123);
        // A sine's largest step between samples, with room for rounding: a cut or a badly
        // placed piece shows as a jump well above it. The input stops abruptly, so its last
        // piece may end in a jump to silence.
        const int smooth = static_cast<int>(12000 * 2 * std::numbers::pi * 440 / rate * 1.15) + 2;
        const auto check = [&](const std::vector<int16_t>& out) {
            EXPECT_NEAR(Frequency(out, rate), 440.0, 3.0);
            EXPECT_LE(MaxStep(out, out.size() - rate / 20), smooth);
        };
        for (Speed speed : kAllSpeeds) {
            SCOPED_TRACE(testing::Message() << rate << " Hz at " << SpeedFactor(speed) << "x");
            TimeStretcher ts(rate);
            ts.SetSpeed(speed);
            ts.Reset();
            const std::vector<int16_t> out = Stretch(ts, in, {1000, 37, 5000});
            check(out);
            EXPECT_EQ(out.size(), static_cast<size_t>(std::ceil(in.size() / SpeedFactor(speed))));
            EXPECT_EQ(ts.InputAt(static_cast<int64_t>(out.size())),
                      static_cast<int64_t>(in.size()));
        }
        SCOPED_TRACE(testing::Message() << rate << " Hz through every speed");
        TimeStretcher ts(rate);
        check(Stretch(ts, in, {static_cast<size_t>(rate) / 3}, 2));
    }
}

TEST(TimeStretch, NormalSpeedPassesSamplesThroughBitForBit) {
    std::mt19937 random(7);
    std::vector<int16_t> in(50000);
    for (int16_t& s : in) s = static_cast<int16_t>(random());
    in[10] = INT16_MIN;
    in[11] = INT16_MAX;
    TimeStretcher ts(8000);
    EXPECT_EQ(Stretch(ts, in, {1, 999, 4096}), in);
    EXPECT_EQ(ts.InputAt(1234), 1234);
}

TEST(TimeStretch, ChunkSizesDoNotChangeTheOutput) {
    // Something like speech: a few partials and noise, so the similarity search has real choices.
    const int32_t rate = 22050;
    std::mt19937 random(3);
    std::vector<int16_t> in(static_cast<size_t>(rate) * 3);
    for (size_t i = 0; i < in.size(); ++i) {
        const double t = double(i) / rate;
        const double v = 6000 * std::sin(2 * std::numbers::pi * 130 * t) +
                         3000 * std::sin(2 * std::numbers::pi * 390 * t * (1 + 0.1 * t)) +
                         double(random() % 2000) - 1000;
        in[i] = static_cast<int16_t>(v);
    }
    for (Speed speed : {Speed::Half, Speed::OneAndHalf, Speed::Double}) {
        SCOPED_TRACE(SpeedFactor(speed));
        TimeStretcher whole(rate), pieces(rate);
        whole.SetSpeed(speed);
        pieces.SetSpeed(speed);
        whole.Reset();
        pieces.Reset();
        EXPECT_EQ(Stretch(whole, in, {in.size()}), Stretch(pieces, in, {1, 333, 2, 7000, 64}));
    }
}

// The input is a ramp, so each sample played tells where in the recording it came from (pieces
// are copied unchanged); wherever it is heard, the clock must say the same place, or pictures
// would run ahead of or behind their sound.
TEST(TimeStretch, ClockSaysWhichPartOfTheRecordingIsHeardAcrossSpeedChanges) {
    const int32_t rate = 44100;
    std::vector<int16_t> in(static_cast<size_t>(rate) * 8);
    for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<int16_t>(int64_t(i % 65536) - 32768);
    TimeStretcher ts(rate);
    const std::vector<int16_t> out = Stretch(ts, in, {4410}, 20);

    int64_t checked = 0;
    int64_t previous = 0;
    for (int64_t o = 2; o + 2 < static_cast<int64_t>(out.size()) - rate / 20; ++o) {
        const int64_t clock = ts.InputAt(o);
        ASSERT_GE(clock, previous) << o;
        previous = clock;
        bool copied = true;  // not in a cross-fade
        for (int64_t d = -1; d <= 2; ++d) copied &= out[o + d] - out[o + d - 1] == 1;
        if (!copied) continue;
        // The ramp repeats every 65536 samples: the source nearest the clock.
        const int64_t phase = int64_t{out[o]} + 32768;
        const int64_t source = phase + (clock - phase + 32768) / 65536 * 65536;
        ASSERT_NEAR(clock, source, rate * 25 / 1000) << "output sample " << o;
        ++checked;
    }
    EXPECT_GT(checked, static_cast<int64_t>(out.size()) / 2);
}

TEST(TimeStretch, ResetForgetsBufferedSoundAndRestartsTheClock) {
    TimeStretcher ts(8000);
    ts.SetSpeed(Speed::Double);
    ts.Reset();
    ts.Push(Tone(440, 8000, 3000));
    ASSERT_GT(ts.available(), 0u);
    ts.Reset();
    EXPECT_EQ(ts.available(), 0u);
    const std::vector<int16_t> out = Stretch(ts, std::vector<int16_t>(4000, 0), {4000});
    EXPECT_EQ(out, std::vector<int16_t>(2000, 0));
    EXPECT_EQ(ts.InputAt(1000), 2000);
}

TEST(TimeStretch, VolumeAndMuteScaleTheSamplesWithoutClicksOrWrapping) {
    const int32_t rate = 8000;
    TimeStretcher ts(rate);
    std::vector<int16_t> out(2000);
    ts.Push(std::vector<int16_t>(2000, -32768));
    ts.SetVolume(250);  // beyond full: clamped, never amplified past the sample range
    EXPECT_EQ(ts.volume(), 100);
    ts.Pull(out);
    EXPECT_EQ(out, std::vector<int16_t>(2000, -32768));

    ts.Push(std::vector<int16_t>(2000, 20000));
    ts.SetVolume(50);
    ts.Pull(out);
    EXPECT_EQ(out.back(), 5000);  // half way on the control is a quarter of the amplitude
    EXPECT_LE(MaxStep(out), 20000 / (rate / 200) + 1) << "eased in over a few milliseconds";
    EXPECT_EQ(out[rate / 200 + 1], 5000);

    ts.Push(std::vector<int16_t>(2000, 20000));
    ts.SetMuted(true);
    ts.Pull(out);
    EXPECT_EQ(out.back(), 0);
    EXPECT_EQ(ts.outputMade(), 6000) << "muted sound still runs the clock";

    ts.Push(std::vector<int16_t>(2000, 20000));
    ts.SetMuted(false);
    ts.SetVolume(-3);
    ts.Pull(out);
    EXPECT_EQ(out.back(), 0);
    EXPECT_EQ(ts.volume(), 0);
}

}  // namespace
}  // namespace mrv::playback
