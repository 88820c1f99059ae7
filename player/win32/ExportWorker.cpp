// The export's thread: RunExport with the ACM decoder, its progress handed over in atomics.
#include "player/win32/ExportWorker.h"

#include <exception>
#include <new>

#include "player/win32/AudioOut.h"

namespace mrv::player::win {

namespace {
class AcmDecoder : public player::GsmDecoder {
  public:
    bool Open(const exporting::GsmSound& sound) {
        return decoder_.Open(sound.sampleRate, sound.avgBytesPerSec);
    }
    bool Decode(std::span<const uint8_t> blocks, std::span<int16_t> pcm) override {
        return decoder_.Decode(blocks, pcm);
    }

  private:
    AcmGsmDecoder decoder_;
};
}  // namespace

std::unique_ptr<player::GsmDecoder> AcmDecoderFactory::Start(const exporting::GsmSound& sound,
                                                             std::string& error) {
    auto decoder = std::make_unique<AcmDecoder>();
    if (decoder->Open(sound)) return decoder;
    error = "the system's GSM 6.10 codec cannot be opened";
    return nullptr;
}

void ExportWorker::Start(HWND window, std::span<const uint8_t> stream,
                         const exporting::ExportRequest& request) {
    CancelAndWait();
    cancel_ = false;
    progressPending_ = false;
    doneMs_ = 0;
    totalMs_ = 0;
    thread_ = std::thread([this, window, stream, request] {
        AcmDecoderFactory decoders;
        try {
            result_ = exporting::RunExport(stream, request, decoders,
                                           [this, window](const exporting::ExportProgress& p) {
                                               doneMs_ = p.doneMs;
                                               totalMs_ = p.totalMs;
                                               if (!progressPending_.exchange(true)) {
                                                   ::PostMessageW(window, progressMessage_, 0, 0);
                                               }
                                               return !cancel_.load();
                                           });
        } catch (const std::bad_alloc&) {
            result_ = {exporting::ExportStatus::OutOfMemory, "out of memory"};
        } catch (const std::exception& e) {
            // Nothing may escape the thread; what the export could not finish was not written.
            result_ = {exporting::ExportStatus::CannotWrite, e.what()};
        }
        ::PostMessageW(window, endMessage_, 0, 0);
    });
}

void ExportWorker::CancelAndWait() {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
}

exporting::ExportProgress ExportWorker::TakeProgress() {
    progressPending_ = false;
    return {doneMs_.load(), totalMs_.load()};
}

exporting::ExportResult ExportWorker::Finish() {
    if (thread_.joinable()) thread_.join();
    return result_;
}

}  // namespace mrv::player::win
