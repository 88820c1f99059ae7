// Speed changes by waveform-similarity overlap-add: the output is made of pieces of the input,
// each cross-faded into the last at the place (within a small search range around where the
// clock says it should start) whose waveform best continues what was played. Pieces come from
// the input unchanged, so the pitch stays; skipping or repeating input between them changes the
// length.
#include "playback/TimeStretch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace mrv::playback {

namespace {

constexpr int32_t kUnityQ16 = 1 << 16;

// Perceived loudness follows the amplitude's logarithm; the square of the setting spreads the
// control's travel more evenly than a straight line (half way is a quarter of the amplitude).
int32_t VolumeGainQ16(int32_t percent, bool muted) {
    if (muted) return 0;
    return static_cast<int32_t>(int64_t{percent} * percent * kUnityQ16 / 10000);
}

int16_t Saturate(int64_t v) {
    return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

}  // namespace

TimeStretcher::TimeStretcher(int32_t sampleRate) : sampleRate_(std::max(sampleRate, 1000)) {
    // 10 ms cross-fades, 30 ms pieces and a 15 ms search: long enough to hold a couple of voice
    // periods (the search must span one period of the lowest voices, about 70 Hz), short
    // enough that skipped or repeated input is not heard as an echo.
    overlap_ = std::max<int64_t>(16, sampleRate_ / 100);
    hop_ = 3 * overlap_;
    seek_ = sampleRate_ * 15 / 1000;
    Reset();
}

void TimeStretcher::SetSpeed(Speed s) { requested_ = s; }

void TimeStretcher::SetVolume(int32_t percent) {
    volume_ = std::clamp(percent, 0, 100);
    targetQ16_ = VolumeGainQ16(volume_, muted_);
    // About 5 ms from any gain to any other.
    rampStepQ16_ = std::max(1, std::abs(targetQ16_ - gainQ16_) / std::max(1, sampleRate_ / 200));
}

void TimeStretcher::SetMuted(bool muted) {
    muted_ = muted;
    SetVolume(volume_);
}

void TimeStretcher::Reset() {
    halves_ = static_cast<int32_t>(requested_);
    clock_.assign(1, ClockPiece{0, 0, halves_});
    in_.clear();
    inBase_ = inEnd_ = readPos_ = idealHalf_ = 0;
    started_ = resync_ = finished_ = false;
    endOutput_ = -1;
    out_.clear();
    outRead_ = 0;
    made_ = 0;
    gainQ16_ = targetQ16_;  // the sound starts afresh: nothing to ease from
}

void TimeStretcher::Push(std::span<const int16_t> input) {
    if (finished_ || input.empty()) return;
    // Zeros added for the last pieces at Finish are never followed by real input, so the
    // buffer's end is the pushed end here.
    in_.insert(in_.end(), input.begin(), input.end());
    inEnd_ += static_cast<int64_t>(input.size());
    Process();
}

void TimeStretcher::Finish() {
    if (finished_) return;
    finished_ = true;
    Process();
    // The clock decides the length: the input's end, reached at the current speed.
    const ClockPiece& last = clock_.back();
    const int64_t leftHalf = std::max<int64_t>(0, 2 * inEnd_ - last.inHalf);
    endOutput_ = last.outStart + (leftHalf + last.halves - 1) / last.halves;
    if (made_ > endOutput_) {
        const int64_t cut =
            std::min<int64_t>(made_ - endOutput_, static_cast<int64_t>(available()));
        out_.resize(out_.size() - static_cast<size_t>(cut));
        made_ -= cut;
    } else if (made_ < endOutput_) {
        out_.resize(out_.size() + static_cast<size_t>(endOutput_ - made_), 0);
        made_ = endOutput_;
    }
}

void TimeStretcher::Process() {
    for (;;) {
        if (static_cast<int32_t>(requested_) != halves_) {
            // The clock carries on from where it has got to, at the new rate.
            if (clock_.back().outStart == made_) clock_.pop_back();
            halves_ = static_cast<int32_t>(requested_);
            clock_.push_back(ClockPiece{made_, idealHalf_, halves_});
            // Back at Normal after stretching, the sound is a little off the clock: one more
            // matched piece near where the clock is brings it back before samples pass through.
            resync_ = halves_ == 2 && started_ && idealHalf_ != 2 * readPos_;
        }
        if (halves_ == 2 && !resync_) {
            PassThrough();
            break;
        }
        if (!Step()) break;
        resync_ = false;
    }
    DropConsumedInput();
}

void TimeStretcher::PassThrough() {
    const int64_t n = inEnd_ - readPos_;
    if (n <= 0) return;
    out_.insert(out_.end(), At(readPos_), At(readPos_) + n);
    readPos_ += n;
    made_ += n;
    idealHalf_ += 2 * n;
    started_ = true;
}

bool TimeStretcher::Step() {
    if (finished_ && idealHalf_ >= 2 * inEnd_) return false;
    const int64_t ideal = idealHalf_ / 2;
    // Centred so that the middle of the piece plays when the clock says (the piece itself
    // runs at the input's own rate).
    const int64_t centre = ideal + hop_ * (halves_ - 2) / 4;
    // The first piece has nothing to continue: it starts where the clock puts it.
    int64_t lo = std::max(readPos_, centre);
    int64_t hi = lo;
    int64_t need = lo + hop_;
    if (started_) {
        lo = std::max({centre - seek_ / 2, inBase_, int64_t{0}});
        hi = std::max(lo, centre + seek_ / 2);
        need = std::max(hi + hop_, readPos_ + overlap_);
    }
    // A piece also waits until the clock after it stays within the input pushed so far, or
    // Finish would give a length shorter than what was already made.
    need = std::max(need, (idealHalf_ + hop_ * halves_ + 1) / 2);
    if (inBase_ + static_cast<int64_t>(in_.size()) < need) {
        if (!finished_) return false;
        EnsureInput(need);
    }
    const size_t at = out_.size();
    out_.resize(at + static_cast<size_t>(hop_));
    int16_t* o = out_.data() + at;
    int64_t start = lo;
    if (started_) {
        start = BestMatch(lo, hi, centre);
        const int16_t* tail = At(readPos_);
        const int16_t* head = At(start);
        for (int64_t i = 0; i < overlap_; ++i) {
            o[i] = Saturate((int64_t{tail[i]} * (overlap_ - i) + int64_t{head[i]} * i) / overlap_);
        }
        std::copy(head + overlap_, head + hop_, o + overlap_);
    } else {
        std::copy(At(start), At(start) + hop_, o);
    }
    readPos_ = start + hop_;
    made_ += hop_;
    idealHalf_ += hop_ * halves_;
    started_ = true;
    return true;
}

// The start within the search range whose first `overlap_` samples correlate best (normalised
// by their energy) with where the played sound would naturally continue.
int64_t TimeStretcher::BestMatch(int64_t lo, int64_t hi, int64_t centre) const {
    const int16_t* ref = At(readPos_);
    const int16_t* first = At(lo);
    double energy = 0;
    for (int64_t i = 0; i < overlap_; ++i) energy += double(first[i]) * first[i];
    int64_t best = std::clamp(centre, lo, hi);
    double bestScore = -1e300;
    for (int64_t s = lo; s <= hi; ++s) {
        const int16_t* cand = At(s);
        if (s > lo) {
            energy += double(cand[overlap_ - 1]) * cand[overlap_ - 1] - double(cand[-1]) * cand[-1];
        }
        int64_t corr = 0;
        for (int64_t i = 0; i < overlap_; ++i) corr += int32_t{ref[i]} * cand[i];
        // corr / sqrt(energy) compared without the root, its sign kept.
        const double c = static_cast<double>(corr);
        const double score = energy > 1.0 ? c * std::abs(c) / energy : 0.0;
        // Ties (silence) go to the place nearest the clock.
        if (score > bestScore ||
            (score == bestScore && std::abs(s - centre) < std::abs(best - centre))) {
            bestScore = score;
            best = s;
        }
    }
    return best;
}

void TimeStretcher::EnsureInput(int64_t end) {
    const int64_t have = inBase_ + static_cast<int64_t>(in_.size());
    if (end > have) in_.resize(in_.size() + static_cast<size_t>(end - have), 0);
}

void TimeStretcher::DropConsumedInput() {
    // Kept: the natural continuation and everything the next search may reach back to.
    const int64_t keepFrom = std::clamp(std::min(readPos_, idealHalf_ / 2 - hop_ - seek_), inBase_,
                                        inBase_ + static_cast<int64_t>(in_.size()));
    const size_t drop = static_cast<size_t>(keepFrom - inBase_);
    if (drop < 4096 && drop * 2 < in_.size()) return;
    in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(drop));
    inBase_ = keepFrom;
}

size_t TimeStretcher::Pull(std::span<int16_t> out) {
    const size_t n = std::min(out.size(), available());
    std::copy_n(out_.data() + outRead_, n, out.data());
    outRead_ += n;
    if (outRead_ == out_.size()) {
        out_.clear();
        outRead_ = 0;
    } else if (outRead_ > 65536 && outRead_ * 2 > out_.size()) {
        out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(outRead_));
        outRead_ = 0;
    }
    ApplyGain(out.first(n));
    return n;
}

void TimeStretcher::ApplyGain(std::span<int16_t> out) {
    for (int16_t& s : out) {
        if (gainQ16_ == kUnityQ16 && targetQ16_ == kUnityQ16) return;
        if (gainQ16_ < targetQ16_) {
            gainQ16_ = std::min(targetQ16_, gainQ16_ + rampStepQ16_);
        } else if (gainQ16_ > targetQ16_) {
            gainQ16_ = std::max(targetQ16_, gainQ16_ - rampStepQ16_);
        }
        s = Saturate((int64_t{s} * gainQ16_ + (1 << 15)) >> 16);
    }
}

int64_t TimeStretcher::InputAt(int64_t outputSamples) const {
    if (outputSamples <= 0) return 0;
    if (endOutput_ >= 0 && outputSamples >= endOutput_) return inEnd_;
    auto piece = std::upper_bound(clock_.begin(), clock_.end(), outputSamples,
                                  [](int64_t o, const ClockPiece& p) { return o < p.outStart; });
    const ClockPiece& p = *std::prev(piece);
    const int64_t in = (p.inHalf + (outputSamples - p.outStart) * p.halves) / 2;
    return endOutput_ >= 0 ? std::min(in, inEnd_) : in;
}

}  // namespace mrv::playback
