// Wires a TGSM610In to the recorder: buffer size from the recorder, four buffers, deliveries
// to its OnAudioBlock.
#include "audio/RecorderAudio.h"

namespace mrv::audio {

GsmAudioInput::GsmAudioInput(std::unique_ptr<TGSM610In> component, AudioSink& sink)
    : component_(std::move(component)) {
    component_->OnBufferFull = [&sink](TGSM610In&, const uint8_t* data, int32_t size) {
        sink.OnAudioBlock(data, size);
    };
    component_->OnSilentInput = [&sink](TGSM610In&) { sink.OnSilentInput(); };
}

void GsmAudioInput::Open(int32_t samplesPerSec, int32_t avgBytesPerSec, uint32_t bufferSize) {
    component_->SetBufferSize(bufferSize);
    component_->SetNumBuffers(4);
    component_->Open(samplesPerSec, avgBytesPerSec);
}

std::unique_ptr<AudioInput> GsmAudioFactory::Create(AudioSink& sink) {
    auto component = make_();
    if (!component) return nullptr;
    return std::make_unique<GsmAudioInput>(std::move(component), sink);
}

}  // namespace mrv::audio
