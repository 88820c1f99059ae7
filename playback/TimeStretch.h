// Playing speed for the player's sound and for a copy saved at speed: a streaming time-stretcher
// for 16-bit mono PCM that keeps the pitch, the volume and mute applied to the samples, and the
// sound-driven clock's mapping from samples played back to recording time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace mrv::playback {

// The speeds; the value is the speed in halves. The player plays the four from Half to Double; a
// saved copy may also be Quadruple.
enum class Speed : int32_t { Half = 1, Normal = 2, OneAndHalf = 3, Double = 4, Quadruple = 8 };

inline constexpr Speed kSlowestSpeed = Speed::Half;
inline constexpr Speed kFastestSpeed = Speed::Double;  // of the player
inline double SpeedFactor(Speed s) { return static_cast<int32_t>(s) / 2.0; }

// Push recording sound in, pull sound to play out, in chunks of any size. At Normal speed the
// samples pass through unchanged (volume 100, not muted: bit for bit); at the other speeds they
// are stretched or shortened by overlap-adding short pieces of the input at the places that
// continue the waveform best, which keeps the pitch.
class TimeStretcher {
  public:
    explicit TimeStretcher(int32_t sampleRate);

    int32_t sampleRate() const { return sampleRate_; }

    // Applies from the next piece of sound made: what is already pulled or waiting to be pulled
    // keeps the old speed, and the clock below accounts for both.
    void SetSpeed(Speed s);
    Speed speed() const { return requested_; }

    // 0..100 (clamped), applied to the samples as they are pulled; a change is eased in over a
    // few milliseconds so that it does not click. Mute keeps the samples (and so the clock)
    // flowing, silent.
    void SetVolume(int32_t percent);
    int32_t volume() const { return volume_; }
    void SetMuted(bool muted);
    bool muted() const { return muted_; }

    // Forgets all sound, before a seek: the next sample pushed is input sample 0 and the next
    // pulled is output sample 0. Keeps speed, volume and mute.
    void Reset();

    void Push(std::span<const int16_t> input);
    // No more input until Reset: the rest of the sound becomes available to pull, and in all
    // the output lasts the input's length divided by the speed.
    void Finish();
    bool finished() const { return finished_; }

    // Samples ready to pull.
    size_t available() const { return out_.size() - outRead_; }
    // Pulls up to out.size() samples; returns how many were written.
    size_t Pull(std::span<int16_t> out);

    // The clock: how far into the input (in samples since Reset) the sound has got when
    // `outputSamples` samples of the output have been played, across speed changes.
    // Continuous and never decreasing.
    int64_t InputAt(int64_t outputSamples) const;

    int64_t inputPushed() const { return inEnd_; }
    int64_t outputMade() const { return made_; }

  private:
    // From output sample `outStart` on, input advances by `halves` / 2 per output sample from
    // `inHalf` / 2.
    struct ClockPiece {
        int64_t outStart;
        int64_t inHalf;
        int32_t halves;
    };

    void Process();
    bool Step();
    void PassThrough();
    int64_t BestMatch(int64_t lo, int64_t hi, int64_t centre) const;
    const int16_t* At(int64_t pos) const { return in_.data() + (pos - inBase_); }
    void EnsureInput(int64_t end);
    void DropConsumedInput();
    void ApplyGain(std::span<int16_t> out);

    int32_t sampleRate_;
    int64_t overlap_;  // cross-fade length
    int64_t hop_;      // output made per piece
    int64_t seek_;     // search range around the ideal place

    Speed requested_ = Speed::Normal;
    int32_t halves_ = 2;
    std::vector<ClockPiece> clock_;

    std::vector<int16_t> in_;
    int64_t inBase_ = 0;     // input sample index of in_[0]
    int64_t inEnd_ = 0;      // input samples pushed
    int64_t readPos_ = 0;    // where the sound made so far would naturally continue
    int64_t idealHalf_ = 0;  // where the clock says the next piece should start, in halves
    bool started_ = false;   // a piece has been made since Reset (there is something to continue)
    bool resync_ =
        false;  // back at Normal after a stretch: one matched piece before passing through
    bool finished_ = false;
    int64_t endOutput_ = -1;

    std::vector<int16_t> out_;
    size_t outRead_ = 0;
    int64_t made_ = 0;  // output samples made since Reset

    int32_t volume_ = 100;
    bool muted_ = false;
    int32_t gainQ16_ = 1 << 16;    // the gain reached so far
    int32_t targetQ16_ = 1 << 16;  // the gain asked for
    int32_t rampStepQ16_ = 0;
};

}  // namespace mrv::playback
