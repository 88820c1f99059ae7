// The after-save window's rules: what it shows, what each button does, and the clipboard's
// file list.
#include "player/AfterSave.h"

#include <cstdio>

#include "common/ByteOrder.h"
#include "common/PathText.h"
#include "common/Texts.h"

namespace mrv::player {

std::string SizeText(int64_t bytes) {
    if (bytes < 0) return text::kPlayerSavedSizeUnknown;
    if (bytes < 1024) return std::to_string(bytes) + text::kPlayerSavedBytes;
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1024;
    size_t unit = 0;
    // Rounded as shown: 1023.97 KB is "1.0 MB", not "1024 KB".
    while (unit + 1 < std::size(kUnits) && value >= 1024 - 0.5) value /= 1024, ++unit;
    char out[32];
    if (value < 99.95) {
        std::snprintf(out, sizeof out, "%.1f %s", value, kUnits[unit]);
    } else {
        std::snprintf(out, sizeof out, "%.0f %s", value, kUnits[unit]);
    }
    return out;
}

std::string SavedName(const std::vector<std::string>& files) {
    if (files.empty()) return {};
    std::string name = path::FileName(files.front());
    if (files.size() > 1) {
        char more[64];
        std::snprintf(more, sizeof more, text::kPlayerSavedPictures, files.size());
        name += more;
    }
    return name;
}

std::vector<uint8_t> DropFileList(std::span<const std::string> files) {
    constexpr uint32_t kHeaderBytes = 20;  // pFiles, pt.x, pt.y, fNC, fWide
    std::vector<uint8_t> out(kHeaderBytes, 0);
    PutU32(&out[0], kHeaderBytes);
    PutU32(&out[16], 1);  // the names are wide
    auto put16 = [&out](uint32_t unit) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    };
    for (const std::string& file : files) {
        for (wchar_t w : Widen(file)) {
            const auto c = static_cast<uint32_t>(w);
            if (c >= 0x10000) {  // only where wchar_t has 32 bits
                put16(0xD800 + ((c - 0x10000) >> 10));
                put16(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                put16(c);
            }
        }
        put16(0);
    }
    put16(0);
    return out;
}

void AfterSave::ExportEnded(const exporting::ExportResult& result, const std::string& output) {
    if (result.status != exporting::ExportStatus::Done) return;
    files_ = result.files.empty() ? std::vector<std::string>{output} : result.files;
    int64_t total = 0;
    for (const std::string& file : files_) {
        const int64_t size = shell_.FileSize(file);
        total = size < 0 || total < 0 ? -1 : total + size;
    }
    shell_.ShowWindow(SavedName(files_), SizeText(total));
}

void AfterSave::Clicked(SavedAction action) {
    if (files_.empty()) return;
    bool done = true;
    switch (action) {
        case SavedAction::Open:
            // A set of pictures opens at its first, where a viewer can page on.
            done = shell_.OpenFile(files_.front());
            if (!done) shell_.ShowError(text::kPlayerOpenFailed);
            break;
        case SavedAction::OpenFolder:
            done = shell_.ShowInFolder(path::Parent(files_.front()), files_);
            if (!done) shell_.ShowError(text::kPlayerFolderFailed);
            break;
        case SavedAction::CopyFiles:
            done = Copy(files_);
            break;
        case SavedAction::Close:
            break;
    }
    if (!done) return;
    files_.clear();
    shell_.CloseWindow();
}

void AfterSave::CopyRecording(const std::string& recording) { Copy({recording}); }

bool AfterSave::Copy(const std::vector<std::string>& files) {
    if (shell_.CopyFiles(files)) return true;
    shell_.ShowError(text::kPlayerCopyFailed);  // another program holds the clipboard
    return false;
}

}  // namespace mrv::player
