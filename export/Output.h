// Where an export writes: a file made beside its target under a temporary name and moved over
// it only once complete, so that a failed or cancelled export leaves nothing and an existing
// file is never half replaced.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <utility>

#include "export/Export.h"

namespace mrv::exporting {

// CannotWrite or DiskFull after a failed call that set errno; `what` names what failed.
ExportResult WriteFailure(int error, const std::string& path);

// What the final move of an output needs of the system: the move and a pause between tries.
class MoveSystem {
  public:
    virtual ~MoveSystem() = default;
    // files::Rename: 0, EBUSY while another program holds `to` (or `from`), another errno.
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    virtual void PauseMs(int ms) = 0;
};
MoveSystem& RealMoveSystem();

// The pauses between the tries of a move whose target is held: a viewer, the search indexer,
// an antivirus scan or a sync client lets go within a second or so.
inline constexpr int kMovePausesMs[] = {50, 50, 100, 100, 150, 150, 200, 200, 200};

// Moves `from` over `to`, trying again after each pause while the target is held; 0 or the
// last error.
int MoveOver(MoveSystem& system, const std::string& from, const std::string& to);

// The kept moves made through `system` (MoveKept uses the real one).
ExportResult MoveKeptWith(MoveSystem& system, KeptOutput kept);

class StagedFile {
  public:
    explicit StagedFile(std::string target) : target_(std::move(target)) {}
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile();

    ExportResult Open();
    // False once a write failed; failure() then says why.
    bool Write(std::span<const uint8_t> bytes);
    // Flushes, closes and moves the file over the target; TargetInUse keeps the file.
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
    // Handed over to a KeptOutput, which removes it.
    std::string Release() { return std::exchange(path_, {}); }

  private:
    std::string path_;
};

// A file made elsewhere (the private temporary folder) copied into a staged file beside
// `target`, then moved over it. Never renamed across: on Windows a moved file keeps the
// temporary folder's permissions, which only this user passes; a copy takes the target
// folder's.
ExportResult CopyInPlace(const std::string& from, const std::string& target);

}  // namespace mrv::exporting
