// Staged output files: temporary names beside the target, replaced in one rename.
#include "export/Output.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "common/PathText.h"
#include "export/FileOps.h"

namespace mrv::exporting {

namespace {

std::atomic<unsigned> counter{0};

// A name no export has used: the target's with a unique, hidden-looking suffix.
std::string StagedName(const std::string& target, const char* suffix) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::string tag =
        "." + std::to_string(now % 1000000007) + "-" + std::to_string(counter++) + suffix;
    return path::Join(path::Parent(target), "." + path::FileName(target) + tag);
}

class RealMoves : public MoveSystem {
  public:
    int Rename(const std::string& from, const std::string& to) override {
        return files::Rename(from, to);
    }
    void PauseMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

MoveSystem& RealMoveSystem() {
    static RealMoves moves;
    return moves;
}

int MoveOver(MoveSystem& system, const std::string& from, const std::string& to) {
    int error = system.Rename(from, to);
    for (const int pauseMs : kMovePausesMs) {
        if (error != EBUSY) break;
        system.PauseMs(pauseMs);
        error = system.Rename(from, to);
    }
    return error;
}

ExportResult MoveKeptWith(MoveSystem& system, KeptOutput kept) {
    while (!kept.moves.empty()) {
        const auto [from, to] = kept.moves.front();
        const int error = MoveOver(system, from, to);
        if (error == EBUSY) {
            return {ExportStatus::TargetInUse, "another program is using " + to, std::move(kept)};
        }
        if (error != 0) {
            DiscardKept(kept);
            return WriteFailure(error, to);
        }
        kept.placed.push_back(to);
        kept.moves.erase(kept.moves.begin());
    }
    if (!kept.folder.empty()) files::RemoveFolder(kept.folder);
    ExportResult done;
    done.files = std::move(kept.placed);
    return done;
}

ExportResult MoveKept(KeptOutput kept) { return MoveKeptWith(RealMoveSystem(), std::move(kept)); }

void DiscardKept(const KeptOutput& kept) {
    for (const std::string& placed : kept.placed) files::Remove(placed);
    for (const auto& move : kept.moves) files::Remove(move.first);
    if (!kept.folder.empty()) files::RemoveFolder(kept.folder);
}

std::string InUseName(const KeptOutput& kept) {
    return kept.moves.empty() ? std::string() : kept.moves.front().second;
}

ExportResult WriteFailure(int error, const std::string& path) {
    const bool full = error == ENOSPC
#ifdef EDQUOT
                      || error == EDQUOT
#endif
                      || error == EFBIG;
    return {full ? ExportStatus::DiskFull : ExportStatus::CannotWrite,
            "cannot write " + path + ": " + std::strerror(error)};
}

StagedFile::~StagedFile() {
    if (file_) std::fclose(file_);
    if (!temp_.empty()) files::Remove(temp_);
}

ExportResult StagedFile::Open() {
    for (int attempt = 0; attempt < 10 && !file_; ++attempt) {
        temp_ = StagedName(target_, ".part");
        errno = 0;
        file_ = files::CreateNew(temp_);
        if (!file_ && errno != EEXIST) break;
    }
    if (!file_) {
        const int error = errno ? errno : EACCES;
        temp_.clear();
        return failure_ = WriteFailure(error, target_);
    }
    return {};
}

bool StagedFile::Write(std::span<const uint8_t> bytes) {
    if (failure_.status != ExportStatus::Done) return false;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        failure_ = WriteFailure(errno ? errno : EIO, target_);
        return false;
    }
    return true;
}

ExportResult StagedFile::Commit() {
    if (failure_.status != ExportStatus::Done) return failure_;
    errno = 0;
    const bool flushed = std::fflush(file_) == 0;
    const int error = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) return failure_ = WriteFailure(error ? error : errno, target_);
    // From here the kept output owns the file: moved in, kept while the target is held, or
    // removed.
    KeptOutput kept;
    kept.moves.push_back({std::exchange(temp_, {}), target_});
    ExportResult r = MoveKept(std::move(kept));
    if (r.status != ExportStatus::TargetInUse) failure_ = r;
    return r;
}

StagedFolder::~StagedFolder() {
    if (!path_.empty()) files::RemoveFolder(path_);
}

ExportResult StagedFolder::Make(const std::string& target) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::string dir = StagedName(target, ".parts");
        const int error = files::MakeFolder(dir);
        if (error == 0) {
            path_ = dir;
            return {};
        }
        if (error != EEXIST) return WriteFailure(error, target);
    }
    return WriteFailure(EEXIST, target);
}

ExportResult CopyInPlace(const std::string& from, const std::string& target) {
    std::FILE* in = files::OpenRead(from);
    if (!in) return WriteFailure(errno, from);
    StagedFile out(target);
    ExportResult result = out.Open();
    std::vector<uint8_t> buffer(1 << 20);
    while (result.status == ExportStatus::Done) {
        const size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
        if (n == 0) break;
        if (!out.Write(std::span(buffer).first(n))) result = out.failure();
    }
    const bool readFailed = std::ferror(in) != 0;
    std::fclose(in);
    if (result.status != ExportStatus::Done) return result;
    if (readFailed) return WriteFailure(EIO, from);
    return out.Commit();
}

}  // namespace mrv::exporting
