// Standard-library files: a stdio stream kept open for appends, reads and the header patch.
#include "tools/lib/StdFileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace mrv::tools {

namespace {

namespace fs = std::filesystem;

class StdInputFile : public InputFile {
  public:
    explicit StdInputFile(std::FILE* file) : file_(file) {}
    ~StdInputFile() override { std::fclose(file_); }
    StdInputFile(const StdInputFile&) = delete;
    StdInputFile& operator=(const StdInputFile&) = delete;

    int64_t Read(std::span<uint8_t> bytes) override {
        const size_t read = std::fread(bytes.data(), 1, bytes.size(), file_);
        if (read < bytes.size() && std::ferror(file_)) {
            error_ = std::strerror(errno);
            return -1;
        }
        return static_cast<int64_t>(read);
    }
    std::string LastError() override { return error_; }

  private:
    std::FILE* file_;
    std::string error_;
};

class StdOutputFile : public OutputFile {
  public:
    StdOutputFile(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}
    ~StdOutputFile() override { std::fclose(file_); }
    StdOutputFile(const StdOutputFile&) = delete;
    StdOutputFile& operator=(const StdOutputFile&) = delete;

    bool Append(std::span<const uint8_t> bytes) override {
        return Seek(0, SEEK_END) && Write(bytes);
    }
    int64_t Size() override {
        if (!Seek(0, SEEK_END)) return -1;
        return Tell();
    }
    bool ReadAt(int64_t offset, std::span<uint8_t> bytes) override {
        if (!Seek(offset, SEEK_SET)) return false;
        if (std::fread(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
            return Failed(std::ferror(file_) ? errno : EIO);
        }
        return true;
    }
    bool WriteAt(int64_t offset, std::span<const uint8_t> bytes) override {
        return Seek(offset, SEEK_SET) && Write(bytes);
    }
    bool Truncate(int64_t size) override {
        if (std::fflush(file_) != 0) return Failed(errno);
        std::error_code ec;
        fs::resize_file(path_, static_cast<uintmax_t>(size), ec);
        if (ec) {
            error_ = ec.message();
            return false;
        }
        return true;
    }
    std::string LastError() override { return error_; }

  private:
    bool Failed(int code) {
        error_ = std::strerror(code);
        return false;
    }
    bool Seek(int64_t offset, int whence) {
#ifdef _WIN32
        const int rc = _fseeki64(file_, offset, whence);
#else
        const int rc = fseeko(file_, static_cast<off_t>(offset), whence);
#endif
        return rc == 0 || Failed(errno);
    }
    int64_t Tell() {
#ifdef _WIN32
        return _ftelli64(file_);
#else
        return ftello(file_);
#endif
    }
    bool Write(std::span<const uint8_t> bytes) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
            return Failed(errno);
        }
        return true;
    }

    std::FILE* file_;
    std::string path_;
    std::string error_;
};

}  // namespace

bool StdFileSystem::Exists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

std::unique_ptr<InputFile> StdFileSystem::OpenRead(const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<StdInputFile>(file);
}

bool StdFileSystem::Remove(const std::string& path) {
    std::error_code ec;
    return fs::remove(path, ec);
}

std::unique_ptr<OutputFile> StdFileSystem::Create(const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "w+b");
    if (file == nullptr) {
        error = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<StdOutputFile>(file, path);
}

bool StdFileSystem::SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

}  // namespace mrv::tools
