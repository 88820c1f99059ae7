// Runs one export on a thread of its own and tells the player window how it goes by messages.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <span>
#include <thread>

#include "export/Export.h"

namespace mrv::player::win {

class ExportWorker {
  public:
    // `progressMessage` and `endMessage` are posted to `window`; at most one progress message
    // waits at a time.
    ExportWorker(UINT progressMessage, UINT endMessage)
        : progressMessage_(progressMessage), endMessage_(endMessage) {}
    ~ExportWorker() { CancelAndWait(); }
    ExportWorker(const ExportWorker&) = delete;
    ExportWorker& operator=(const ExportWorker&) = delete;

    void Start(HWND window, std::span<const uint8_t> stream,
               const exporting::ExportRequest& request);
    void Cancel() { cancel_ = true; }
    // For the window closing mid-way: the export removes what it wrote before this returns.
    void CancelAndWait();
    bool running() const { return thread_.joinable(); }

    // On the window's thread, for the progress message: the latest progress.
    exporting::ExportProgress TakeProgress();
    // On the window's thread, for the end message: joins the thread.
    exporting::ExportResult Finish();

  private:
    UINT progressMessage_;
    UINT endMessage_;
    std::thread thread_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> progressPending_{false};
    std::atomic<int64_t> doneMs_{0};
    std::atomic<int64_t> totalMs_{0};
    exporting::ExportResult result_;  // written by the thread before it posts the end
};

}  // namespace mrv::player::win
