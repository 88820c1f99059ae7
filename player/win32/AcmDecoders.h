// The player's GSM 6.10 decoders for an export: its ACM decoder, one per export.
#pragma once

#include <memory>
#include <string>

#include "common/Texts.h"
#include "export/Export.h"
#include "player/win32/AudioOut.h"

namespace mrv::exporting::win {

class AcmDecoders : public GsmDecoderFactory {
  public:
    std::unique_ptr<playback::GsmDecoder> Start(const GsmSound& sound,
                                                std::string& error) override {
        auto decoder = std::make_unique<player::win::AcmGsmDecoder>();
        if (!decoder->Open(sound.sampleRate, sound.avgBytesPerSec)) {
            error = text::kExportNoGsmCodec;
            return nullptr;
        }
        return decoder;
    }
};

}  // namespace mrv::exporting::win
