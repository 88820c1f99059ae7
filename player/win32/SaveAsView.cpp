// The save flow's edge: the dialogs and messages, where ffmpeg is, the export's thread and the
// progress window, with what the tests' log says of them.
#include "player/win32/SaveAsView.h"

#include <knownfolders.h>
#include <shlobj.h>

#include "common/PathText.h"
#include "common/Texts.h"
#include "common/win32/Handles.h"
#include "common/win32/WinText.h"
#include "recorder/PeOverlay.h"

namespace mrv::player::win {

namespace {
using mrv::win::Widen;
const char* const kFormatNames[] = {"gif", "mp4", "wav", "png", "mrv", "exe"};

void UnmapView(const void* view) { ::UnmapViewOfFile(view); }

// This program's own image, which a self-playing copy begins with: its file up to where the PE
// image ends, so that a recording saving itself leaves its stream out. A signed player keeps its
// signature. Empty when it cannot be read.
std::vector<uint8_t> OwnImage() {
    mrv::win::UniqueFile file(::CreateFileW(mrv::win::ProgramPath().c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart == 0) return {};
    mrv::win::UniqueHandleOrNull mapping(
        ::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return {};
    mrv::win::UniqueHandle<const void*, UnmapView> view(
        ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return {};
    const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(view.get()),
                                         static_cast<size_t>(size.QuadPart));
    const std::optional<int64_t> end = FindPeOverlay(bytes);
    if (!end) return {};
    return {bytes.begin(), bytes.begin() + *end};
}

}  // namespace

SaveAsView::SaveAsView(std::span<const uint8_t> stream, PlayerPreferences& prefs,
                       const TestHooks& hooks, UINT progressMessage, UINT endMessage)
    : stream_(stream),
      prefs_(prefs),
      hooks_(hooks),
      worker_(progressMessage, endMessage),
      progress_([this] {
          if (onCancel_) onCancel_();
      }) {}

void SaveAsView::CancelAndWait() {
    if (worker_.running()) hooks_.Write("closing while saving");
    worker_.CancelAndWait();
    progress_.Close();
}

ExportProgress SaveAsView::TakeProgress() {
    const ExportProgress progress = worker_.TakeProgress();
    hooks_.Write("export progress %lld of %lld", static_cast<long long>(progress.doneMs),
                 static_cast<long long>(progress.totalMs));
    return progress;
}

ExportResult SaveAsView::Finish() {
    const ExportResult result = worker_.Finish();
    hooks_.Write("export ended %d %s", static_cast<int>(result.status), result.detail.c_str());
    return result;
}

std::optional<SaveChoice> SaveAsView::AskSaveName(const SaveDialogSetup& setup) {
    hooks_.Write("save dialog %s", setup.suggested.c_str());
    std::optional<SaveChoice> choice = win::AskSaveName(
        window_, setup,
        hooks_.olderSaveDialog ? SaveDialogKind::Older : SaveDialogKind::CommonItem);
    if (choice) {
        hooks_.Write("save chosen %s type %d skip %d speed %d width %d", choice->path.c_str(),
                     choice->typeIndex, choice->skipIdle ? 1 : 0, choice->speedIndex,
                     choice->widthIndex);
    }
    return choice;
}

namespace {
std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path))) folder = Narrow(path);
    ::CoTaskMemFree(path);
    return folder;
}
}  // namespace

// The user's temporary folder (where mail programs and Explorer's zip view put what they
// open) and the browsers' cache.
SystemFolders SaveAsView::Folders() {
    SystemFolders folders;
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    if (n > 0 && n <= MAX_PATH) folders.temporary.push_back(Narrow(temp));
    const std::string cache = KnownFolder(FOLDERID_InternetCache);
    if (!cache.empty()) folders.temporary.push_back(cache);
    folders.videos = KnownFolder(FOLDERID_Videos);
    return folders;
}

std::optional<int64_t> SaveAsView::EstimateGifBytes(const ExportRequest& request) {
    const std::optional<int64_t> bytes = exporting::EstimateGifBytes(stream_, request);
    hooks_.Write("save estimate %lld", bytes ? static_cast<long long>(*bytes) : -1LL);
    return bytes;
}

bool SaveAsView::AskYesNo(const char* text) {
    hooks_.Write("question %s", text == text::kPlayerSaveNoFfmpeg ? "no ffmpeg" : "other");
    return ::MessageBoxW(window_, Widen(text).c_str(), Widen(text::kAppTitle).c_str(),
                         MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void SaveAsView::ShowError(const char* text) {
    std::string line = text;  // one log line
    for (char& c : line) c = c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
    hooks_.Write("message save failed: %s", line.c_str());
    ::MessageBoxW(window_, Widen(text).c_str(), Widen(text::kAppTitle).c_str(),
                  MB_OK | MB_ICONERROR);
}

bool SaveAsView::AskRetry(const std::string& text) {
    hooks_.Write("question in use %s", text.substr(0, text.find('\t')).c_str());
    return ::MessageBoxW(window_, Widen(text).c_str(), Widen(text::kAppTitle).c_str(),
                         MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
}

ExportResult SaveAsView::MoveKept(const exporting::KeptOutput& kept) {
    const ExportResult r = exporting::MoveKept(kept);
    hooks_.Write("kept moved %d", static_cast<int>(r.status));
    return r;
}

void SaveAsView::DiscardKept(const exporting::KeptOutput& kept) {
    hooks_.Write("kept discarded");
    exporting::DiscardKept(kept);
}

std::optional<std::string> SaveAsView::AskFfmpegLocation() {
    return win::AskFfmpegLocation(window_);
}

std::string SaveAsView::FindFfmpeg(const std::string& userChosen, const std::string& recordingDir) {
    const DWORD size = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(size, L'\0');
    path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), size));
    // A full name, as the program's folder and the PATH's are compared with it.
    const std::wstring dir = Widen(recordingDir.empty() ? "." : recordingDir);
    std::wstring fullDir(MAX_PATH, L'\0');
    fullDir.resize(::GetFullPathNameW(dir.c_str(), MAX_PATH, fullDir.data(), nullptr));
    const std::string found =
        exporting::FindFfmpeg(exporting::RealProgramFiles(), Narrow(mrv::win::ProgramFolder()),
                              mrv::win::Narrow(path), userChosen, Narrow(fullDir));
    hooks_.Write("ffmpeg found %s", found.c_str());
    return found;
}

void SaveAsView::RememberFfmpeg(const std::string& path) {
    prefs_.ffmpeg = path;
    hooks_.Write("ffmpeg located %s", path.c_str());
}

void SaveAsView::StartExport(const ExportRequest& request) {
    hooks_.Write("export start %s %s skip %.1f from %lld to %lld speed %.1f width %d",
                 kFormatNames[static_cast<int>(request.format)], request.output.c_str(),
                 request.skipIdleSeconds, static_cast<long long>(request.fromMs),
                 static_cast<long long>(request.toMs), request.speed, request.gifWidth);
    output_ = request.output;
    ExportRequest started = request;
    if (request.format == ExportFormat::Exe) {
        playerImage_ = OwnImage();
        started.player = playerImage_;
    }
    worker_.Start(window_, stream_, started);
}

void SaveAsView::CancelExport() {
    hooks_.Write("export cancel");
    worker_.Cancel();
}

void SaveAsView::ShowProgress(int32_t permille, const std::string& timeLeft) {
    if (!progress_.hwnd()) {
        progress_.Show(window_, dpi_);
        const POINT cancel = progress_.CancelCentre();
        RECT r{};
        ::GetClientRect(progress_.hwnd(), &r);
        POINT origin{0, 0};
        ::ClientToScreen(progress_.hwnd(), &origin);
        hooks_.Write("progress window %ld %ld %ld %ld cancel %ld %ld", origin.x, origin.y, r.right,
                     r.bottom, cancel.x, cancel.y);
    }
    progress_.Update(permille, timeLeft);
}

void SaveAsView::CloseProgress() { progress_.Close(); }

int64_t SaveAsView::NowMs() { return static_cast<int64_t>(::GetTickCount64()); }

}  // namespace mrv::player::win
