// The export's entry points: which ffmpeg to use and the run of one export.
#include "player/export/Export.h"

#include <system_error>

#include "player/export/ProgramLookup.h"

namespace mrv::exporting {

namespace {

class RealFiles : public ProgramFiles {
  public:
    bool IsFile(const std::filesystem::path& path) override {
        std::error_code ec;
        return std::filesystem::is_regular_file(path, ec);
    }
};

}  // namespace

ProgramFiles& RealProgramFiles() {
    static RealFiles files;
    return files;
}

std::filesystem::path FindFfmpeg(ProgramFiles& files, const std::filesystem::path& programDir,
                                 const std::string& pathVariable,
                                 const std::filesystem::path& userChosen) {
#ifdef _WIN32
    const std::filesystem::path name = L"ffmpeg.exe";
    constexpr char kSeparator = ';';
#else
    const std::filesystem::path name = "ffmpeg";
    constexpr char kSeparator = ':';
#endif
    if (!programDir.empty() && files.IsFile(programDir / name)) return programDir / name;
    for (const std::string& dir : SplitPathVariable(pathVariable, kSeparator)) {
        const std::filesystem::path candidate = Utf8Path(dir) / name;
        if (files.IsFile(candidate)) return candidate;
    }
    if (!userChosen.empty() && files.IsFile(userChosen)) return userChosen;
    return {};
}

ExportResult RunExport(std::span<const uint8_t>, const ExportRequest&, GsmDecoderFactory&,
                       const std::function<bool(const ExportProgress&)>&) {
    return {ExportStatus::EncoderFailed, "export is being moved into this library"};
}

}  // namespace mrv::exporting
