// The recording engine's sound input: one TGSM610In per recording, set up the way the
// recording control uses it.
#pragma once

#include <functional>
#include <memory>

#include "audio/GSM610In.h"
#include "recorder/Platform.h"

namespace mrv::audio {

class GsmAudioInput final : public AudioInput {
  public:
    GsmAudioInput(std::unique_ptr<TGSM610In> component, AudioSink& sink);
    void Open(int32_t samplesPerSec, int32_t avgBytesPerSec, uint32_t bufferSize) override;
    bool Active() const override { return component_->Active(); }
    bool CodecMissing() const override {
        return !Active() && component_->lastErrorLabel() == "Acm-Open";
    }
    void HandOver() override { component_->HandOver(); }
    void Close() override { component_->Close(); }
    TGSM610In& component() { return *component_; }

  private:
    std::unique_ptr<TGSM610In> component_;
};

// Makes a component over a fresh device and codec for every recording.
class GsmAudioFactory final : public AudioFactory {
  public:
    using MakeComponent = std::function<std::unique_ptr<TGSM610In>()>;
    explicit GsmAudioFactory(MakeComponent make) : make_(std::move(make)) {}
    std::unique_ptr<AudioInput> Create(AudioSink& sink) override;

  private:
    MakeComponent make_;
};

}  // namespace mrv::audio
