// Where an export writes: a file made beside its target under a temporary name and moved over
// it only once complete, so that a failed or cancelled export leaves nothing and an existing
// file is never half replaced.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "export/Export.h"

namespace mrv::exporting {

// CannotWrite or DiskFull after a failed call that set errno; `what` names what failed.
ExportResult WriteFailure(int error, const std::string& path);

class StagedFile {
  public:
    explicit StagedFile(std::string target) : target_(std::move(target)) {}
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile();

    ExportResult Open();
    // False once a write failed; failure() then says why.
    bool Write(std::span<const uint8_t> bytes);
    // Flushes, closes and moves the file over the target.
    ExportResult Commit();
    const ExportResult& failure() const { return failure_; }

  private:
    std::string target_;
    std::string temp_;
    std::FILE* file_ = nullptr;
    ExportResult failure_;
};

// A new hidden folder beside `target` for files that are moved in next to it at the end;
// removed with what is left in it on every way out.
class StagedFolder {
  public:
    StagedFolder() = default;
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;
    ~StagedFolder();
    ExportResult Make(const std::string& target);
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// A file's bytes copied into a staged file beside `target`, or renamed over it when both lie on
// one file system.
ExportResult MoveInPlace(const std::string& from, const std::string& target);

}  // namespace mrv::exporting
