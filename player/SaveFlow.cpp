// The save flow's rules: which type a typed name means, when ffmpeg is needed, what the
// progress window says, and which message an export's end brings.
#include "player/SaveFlow.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <utility>

#include "common/PathText.h"
#include "common/PubUtils.h"
#include "common/Texts.h"

namespace mrv::player {

const char* ExtensionOf(ExportFormat format) {
    switch (format) {
        case ExportFormat::Gif:
            return ".gif";
        case ExportFormat::Mp4:
            return ".mp4";
        case ExportFormat::Wav:
            return ".wav";
        case ExportFormat::Png:
            return ".png";
        case ExportFormat::Mrv:
            return ".mrv";
        case ExportFormat::Exe:
            return ".exe";
    }
    return ".gif";
}

SaveTarget ResolveSaveTarget(const std::string& typed, int32_t typeIndex) {
    std::string extension = path::Extension(typed);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (ExportFormat format : kSaveTypes) {
        if (extension == ExtensionOf(format)) return {typed, format};
    }
    const ExportFormat chosen =
        kSaveTypes[static_cast<size_t>(std::clamp<int32_t>(typeIndex, 0, kSaveTypes.size() - 1))];
    return {typed + ExtensionOf(chosen), chosen};
}

std::string DefaultSaveName(const std::string& recording, ExportFormat format) {
    return path::ReplaceExtension(recording, ExtensionOf(format));
}

int32_t ProgressPermille(const ExportProgress& progress) {
    if (progress.totalMs <= 0) return 0;
    const int64_t done = std::clamp<int64_t>(progress.doneMs, 0, progress.totalMs);
    return static_cast<int32_t>(done * 1000 / progress.totalMs);
}

std::string TimeLeftText(const ExportProgress& progress, int64_t elapsedMs) {
    const int64_t done = std::clamp<int64_t>(progress.doneMs, 0, progress.totalMs);
    if (done <= 0 || elapsedMs < kMinElapsedForEstimateMs) return text::kPlayerTimeLeftUnknown;
    // The pace so far holds for the rest; rounded up, so that it never shows 0 while busy.
    const double left = static_cast<double>(elapsedMs) *
                        static_cast<double>(progress.totalMs - done) / static_cast<double>(done);
    const auto seconds = static_cast<int64_t>(std::ceil(left / 1000.0));
    return std::string(text::kPlayerTimeLeft) +
           DurationText(static_cast<int32_t>(std::min<int64_t>(seconds * 1000, INT32_MAX)));
}

SaveOptionsShown OptionsFor(ExportFormat format) {
    switch (format) {
        case ExportFormat::Gif:
            return {true, true, true};
        case ExportFormat::Mp4:
            return {true, true, false};
        case ExportFormat::Wav:
            return {false, true, false};
        case ExportFormat::Png:
            return {};  // one picture per record: no time to skip or to speed up
        case ExportFormat::Mrv:
        case ExportFormat::Exe:
            return {};  // the recording itself, byte for byte
    }
    return {};
}

std::vector<int32_t> GifWidthChoices(int32_t recordedWidth) {
    std::vector<int32_t> widths{0};
    for (int32_t w : kGifWidths) {
        if (w < recordedWidth) widths.push_back(w);
    }
    return widths;
}

std::string GifWidthLabel(int32_t width) {
    return width <= 0 ? std::string(text::kPlayerSaveWidthAsRecorded) : std::to_string(width);
}

std::string EstimateText(std::optional<int64_t> bytes) {
    if (!bytes || *bytes < 0) return {};
    return text::kPlayerSaveEstimate + SizeText(*bytes);
}

namespace {
// Windows folder names: either separator, any case, no trailing separator.
std::string FolderKey(const std::string& folder) {
    std::string key = folder;
    for (char& c : key) {
        c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    while (!key.empty() && key.back() == '\\') key.pop_back();
    return key;
}
}  // namespace

std::string SaveFolder(const std::string& recordingFolder,
                       const std::vector<std::string>& temporaryFolders,
                       const std::string& videosFolder) {
    if (videosFolder.empty()) return recordingFolder;
    const std::string folder = FolderKey(recordingFolder) + '\\';
    for (const std::string& temporary : temporaryFolders) {
        const std::string root = FolderKey(temporary);
        if (!root.empty() && folder.compare(0, root.size() + 1, root + '\\') == 0) {
            return videosFolder;
        }
    }
    return recordingFolder;
}

const char* SaveMessage(ExportStatus status) {
    switch (status) {
        case ExportStatus::Done:
        case ExportStatus::Cancelled:
            return nullptr;
        case ExportStatus::CannotWrite:
            return text::kPlayerSaveCannotWrite;
        case ExportStatus::DiskFull:
            return text::kPlayerSaveDiskFull;
        case ExportStatus::NoFfmpeg:
        case ExportStatus::EncoderFailed:
            return text::kPlayerSaveFfmpegFailed;
        case ExportStatus::Refused:
            return text::kPlayerSaveRefused;
        case ExportStatus::OutOfMemory:
            return text::kPlayerSaveOutOfMemory;
        case ExportStatus::EncoderMissing:
            return text::kPlayerSaveNoH264;
        case ExportStatus::TargetInUse:
            return text::kPlayerSaveInUse;
    }
    return text::kPlayerSaveCannotWrite;
}

std::string SaveMessageFor(const ExportResult& result) {
    // The sound's decoder could not be made: the codec is named, not ffmpeg.
    if (result.detail == text::kExportNoGsmCodec) return text::kPlayerNoGsmCodec;
    const char* message = SaveMessage(result.status);
    if (!message) return {};
    std::string out = message;
    if (result.status == ExportStatus::TargetInUse) {
        const size_t at = out.find("%s");
        out.replace(at, 2, path::FileName(exporting::InUseName(result.kept)));
    } else if (result.status == ExportStatus::EncoderFailed && !result.toolError.empty()) {
        // A window program has no console: what ffmpeg said is seen only here.
        out += "\r\r";
        out += text::kPlayerSaveFfmpegSaid;
        out += result.toolError;
    }
    return out;
}

bool SaveFlow::FindOrLocateFfmpeg(std::string& ffmpeg) {
    ffmpeg = shell_.FindFfmpeg(userFfmpeg_, path::Parent(recording_));
    if (!ffmpeg.empty()) return true;
    if (!shell_.AskYesNo(text::kPlayerSaveNoFfmpeg)) return false;
    const std::optional<std::string> located = shell_.AskFfmpegLocation();
    if (!located) return false;
    userFfmpeg_ = *located;
    shell_.RememberFfmpeg(userFfmpeg_);
    ffmpeg = shell_.FindFfmpeg(userFfmpeg_, path::Parent(recording_));
    return !ffmpeg.empty();
}

ExportRequest SaveFlow::RequestFor(const SaveChoice& choice, ExportFormat format,
                                   TimeRange part) const {
    const SaveOptionsShown shown = OptionsFor(format);
    ExportRequest request;
    request.format = format;
    request.inputs = {recording_};  // never written over, whatever name is typed
    request.skipIdleSeconds = shown.skipIdle && choice.skipIdle ? kSkipIdleSeconds : -1;
    request.speed = shown.speed ? kSaveSpeeds[static_cast<size_t>(choice.speedIndex)] : 1.0;
    request.gifWidth = shown.width ? widths_[static_cast<size_t>(choice.widthIndex)] : 0;
    request.fromMs = part.fromMs;
    request.toMs = part.toMs;
    request.wavAsPcm = true;
    return request;
}

bool SaveFlow::Begin(TimeRange part) {
    // Not while the question about a held file is open either: its answer is still to come.
    if (running_ || !kept_.empty()) return false;
    const SystemFolders folders = shell_.Folders();
    const std::string offered =
        DefaultSaveName(recording_, kSaveTypes[static_cast<size_t>(last_.typeIndex)]);
    SaveDialogSetup setup;
    setup.suggested =
        path::Join(SaveFolder(path::Parent(offered), folders.temporary, folders.videos),
                   path::FileName(offered));
    setup.preset = last_;
    for (int32_t w : widths_) setup.widthLabels.push_back(GifWidthLabel(w));
    setup.estimate = [this, part](const SaveChoice& c) {
        const SaveChoice known = Clamped(c);
        if (kSaveTypes[static_cast<size_t>(known.typeIndex)] != ExportFormat::Gif)
            return std::string();
        return EstimateText(shell_.EstimateGifBytes(RequestFor(known, ExportFormat::Gif, part)));
    };
    const std::optional<SaveChoice> choice = shell_.AskSaveName(setup);
    if (!choice || choice->path.empty()) return false;
    const SaveTarget target = ResolveSaveTarget(choice->path, choice->typeIndex);
    last_ = Clamped(*choice);
    last_.path.clear();
    last_.typeIndex = static_cast<int32_t>(
        std::find(kSaveTypes.begin(), kSaveTypes.end(), target.format) - kSaveTypes.begin());

    ExportRequest request = RequestFor(last_, target.format, part);
    request.output = target.path;
    // Nothing is written when there is no ffmpeg for an MP4.
    if (target.format == ExportFormat::Mp4 && !FindOrLocateFfmpeg(request.ffmpeg)) return false;

    running_ = true;
    cancelling_ = false;
    startedMs_ = shell_.NowMs();
    shell_.ShowProgress(0, text::kPlayerTimeLeftUnknown);
    shell_.StartExport(request);
    return true;
}

SaveChoice SaveFlow::Clamped(SaveChoice choice) const {
    choice.typeIndex = std::clamp<int32_t>(choice.typeIndex, 0, kSaveTypes.size() - 1);
    choice.speedIndex = std::clamp<int32_t>(choice.speedIndex, 0, kSaveSpeeds.size() - 1);
    choice.widthIndex =
        std::clamp<int32_t>(choice.widthIndex, 0, static_cast<int32_t>(widths_.size()) - 1);
    return choice;
}

void SaveFlow::Progressed(const ExportProgress& progress) {
    if (!running_ || cancelling_) return;
    shell_.ShowProgress(ProgressPermille(progress),
                        TimeLeftText(progress, shell_.NowMs() - startedMs_));
}

void SaveFlow::CancelClick() {
    if (!running_ || cancelling_) return;
    // The worker stops at its next record and removes what it wrote; Finished follows.
    cancelling_ = true;
    shell_.CancelExport();
}

void SaveFlow::Finished(const ExportResult& result) {
    if (!running_) return;
    running_ = false;
    cancelling_ = false;
    shell_.CloseProgress();
    ExportResult& r = outcome_ = result;
    while (r.status == ExportStatus::TargetInUse) {
        kept_ = r.kept;
        const bool again = shell_.AskRetry(SaveMessageFor(r));
        // Abandon may have removed it while the question was open.
        if (kept_.empty()) return;
        if (!again) {
            Abandon();
            return;
        }
        kept_ = {};
        r = shell_.MoveKept(r.kept);
    }
    const std::string message = SaveMessageFor(r);
    if (!message.empty()) shell_.ShowError(message.c_str());
}

void SaveFlow::Abandon() {
    if (running_ && !cancelling_) CancelClick();
    if (!kept_.empty()) shell_.DiscardKept(std::exchange(kept_, {}));
}

}  // namespace mrv::player
