// Staged output files: temporary names beside the target, replaced in one rename.
#include "export/Output.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
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

}  // namespace

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
    if (const int error = files::Rename(temp_, target_)) {
        return failure_ = WriteFailure(error, target_);
    }
    temp_.clear();
    return {};
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

ExportResult MoveInPlace(const std::string& from, const std::string& target) {
    if (files::Rename(from, target) == 0) return {};
    // Another file system: copied beside the target, then renamed over it.
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
