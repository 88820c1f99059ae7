// The export's thread: RunExport with the ACM decoder, its progress handed over in atomics.
#include "player/win32/ExportWorker.h"

#include <exception>
#include <new>

#include "player/win32/AcmDecoders.h"

namespace mrv::player::win {

void ExportWorker::Start(HWND window, std::span<const uint8_t> stream,
                         const exporting::ExportRequest& request) {
    CancelAndWait();
    cancel_ = false;
    progressPending_ = false;
    doneMs_ = 0;
    totalMs_ = 0;
    thread_ = std::thread([this, window, stream, request] {
        exporting::win::AcmDecoders decoders;
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
