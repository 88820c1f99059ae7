// HeadFile.hdf: plays the recording stream that follows its own executable image, or the
// recording named on its command line or dropped on its window.
#include <windows.h>
// After windows.h, which they build on.
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <span>
#include <string>

#include "common/PathText.h"
#include "common/Texts.h"
#include "common/win32/Handles.h"
#include "common/win32/WinText.h"
#include "playback/Timeline.h"
#include "player/Opening.h"
#include "player/win32/PlayerWindow.h"
#include "player/win32/PreferenceStore.h"
#include "player/win32/SaveAsUi.h"
#include "recorder/StreamReader.h"

// The library's default for an uncaught exception prints its demangled type to a console this
// window program does not have, and brings the demangler (45 KB) into every recording.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {

using mrv::player::Opening;
using mrv::player::Source;
using mrv::player::Verdict;
using mrv::player::win::TestHooks;

void UnmapView(const void* view) { ::UnmapViewOfFile(view); }
using UniqueView = mrv::win::UniqueHandle<const void*, UnmapView>;

// A recording file, mapped rather than read (it may be far larger than memory allows), with
// its reader and time line.
struct Recording {
    std::wstring path;
    mrv::win::UniqueFile file;
    mrv::win::UniqueHandleOrNull mapping;
    UniqueView view;
    std::span<const uint8_t> stream;
    mrv::StreamReader reader;
    mrv::playback::Timeline timeline;
    Opening opening;
};

std::unique_ptr<Recording> Load(const std::wstring& path, Source source) {
    auto rec = std::make_unique<Recording>();
    // Save As offers names in the recording's folder, wherever the player was started from.
    std::wstring full(MAX_PATH, L'\0');
    full.resize(
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    rec->path = full.empty() || full.size() >= MAX_PATH ? path : full;
    rec->opening.message = mrv::text::kPlayerCannotRead;
    rec->file.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!rec->file || !::GetFileSizeEx(rec->file.get(), &size)) {
        rec->opening.detail = "cannot open the file";
        return rec;
    }
    if (size.QuadPart == 0) {
        rec->opening.message = mrv::text::kPlayerNoRecording;
        rec->opening.detail = "empty file";
        return rec;
    }
    rec->mapping.reset(
        ::CreateFileMappingW(rec->file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (rec->mapping) rec->view.reset(::MapViewOfFile(rec->mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!rec->view) {
        rec->opening.detail = "cannot map the file";
        return rec;
    }
    const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(rec->view.get()),
                                         static_cast<size_t>(size.QuadPart));
    rec->opening = mrv::player::OpenRecording(bytes, source, rec->reader, rec->timeline);
    if (rec->opening.verdict != Verdict::Refuse) {
        rec->stream = bytes.subspan(static_cast<size_t>(rec->opening.streamOffset));
    }
    return rec;
}

int Refuse(const TestHooks& hooks, const Opening& opening) {
    hooks.Write("message %s", opening.detail.c_str());
    ::MessageBoxW(nullptr, mrv::win::Widen(opening.message).c_str(),
                  mrv::win::Widen(mrv::text::kAppTitle).c_str(), MB_OK | MB_ICONERROR);
    return 1;
}

struct CommandLine {
    TestHooks hooks;
    std::wstring recording;  // empty: our own file
    // Where the user's preferences are kept; the tests' build keeps none unless told where.
#ifdef MRV_PLAYER_TEST_HOOKS
    std::wstring preferenceKey;
#else
    std::wstring preferenceKey = mrv::player::win::kPreferenceKey;
#endif
};

// The first argument names a recording to play instead of our own; the end-to-end tests'
// switches exist only in their build of the player, so that a shipped one writes no files.
CommandLine ParseCommandLine() {
    CommandLine line;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) return line;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
#ifdef MRV_PLAYER_TEST_HOOKS
        auto value = [&](const wchar_t* name) -> const wchar_t* {
            const size_t n = wcslen(name);
            return arg.compare(0, n, name) == 0 ? arg.c_str() + n : nullptr;
        };
        if (const wchar_t* v = value(L"/mrv-test-log=")) {
            line.hooks.log = _wfopen(v, L"wb");  // plain LF lines for the shell
            continue;
        }
        if (const wchar_t* v = value(L"/mrv-test-pause-at=")) {
            line.hooks.startPausedAtTick = _wtoi64(v);
            continue;
        }
        if (value(L"/mrv-test-exit-at-end")) {
            line.hooks.exitAtEnd = true;
            continue;
        }
        if (const wchar_t* v = value(L"/mrv-test-drop=")) {
            line.hooks.dropPath = v;
            continue;
        }
        if (value(L"/mrv-test-older-dialog")) {
            line.hooks.olderSaveDialog = true;
            continue;
        }
        if (const wchar_t* v = value(L"/mrv-test-prefs=")) {
            line.preferenceKey = std::wstring(L"Software\\Morvanta\\PlayerTest\\") + v;
            continue;
        }
#endif
        if (line.recording.empty()) line.recording = arg;
    }
    ::LocalFree(argv);
    return line;
}

int Play(HINSTANCE instance, int showCommand, const CommandLine& line) {
    TestHooks hooks = line.hooks;
    mrv::player::PlayerPreferences prefs;
    // A portable copy brings its preference file, and so leaves the registry alone.
    const mrv::player::win::PreferenceStore store(line.preferenceKey,
                                                  mrv::player::win::PortablePreferenceFile());
    if (!line.preferenceKey.empty()) prefs = store.Load(mrv::player::win::MonitorWorkAreas());
    std::unique_ptr<Recording> rec = line.recording.empty()
                                         ? Load(mrv::win::ProgramPath(), Source::OwnFile)
                                         : Load(line.recording, Source::ChosenFile);
    if (rec->opening.playerAlone) {
        hooks.Write("open dialog");
        const std::optional<std::string> chosen = mrv::player::win::AskRecordingToOpen(nullptr);
        if (!chosen) return 0;  // nothing chosen, nothing to say
        rec = Load(mrv::Widen(*chosen), Source::ChosenFile);
    }
    if (rec->opening.verdict == Verdict::Refuse) return Refuse(hooks, rec->opening);
    while (true) {
        hooks.Write("stream at %lld records %zu ticks %lld tick_ms %.3f",
                    static_cast<long long>(rec->opening.streamOffset),
                    rec->timeline.records().size(),
                    static_cast<long long>(rec->timeline.pacing().totalTicks),
                    rec->timeline.pacing().tickMs);
        // A recording dropped on the window replaces this one once it has been checked.
        std::unique_ptr<Recording> dropped;
        auto onDrop = [&](const std::wstring& path, Opening& refusal) {
            auto candidate = Load(path, Source::ChosenFile);
            if (candidate->opening.verdict == Verdict::Refuse) {
                refusal = candidate->opening;
                return false;
            }
            dropped = std::move(candidate);
            return true;
        };
        int code = 0;
        {
            mrv::player::win::PlayerWindow window(rec->stream, rec->reader, rec->timeline,
                                                  rec->opening, mrv::Narrow(rec->path), prefs,
                                                  hooks, onDrop);
            code = window.Run(instance, showCommand);
        }
        if (!line.preferenceKey.empty()) store.Save(prefs);
        if (!dropped) return code;
        rec = std::move(dropped);
        hooks.dropPath.clear();  // the tests' drop happens once
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    const CommandLine line = ParseCommandLine();
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
    ::InitCommonControlsEx(&icc);

    int code = 1;
    try {
        code = Play(instance, showCommand, line);
    } catch (const std::bad_alloc&) {
        // The window catches its own; this is what happens before or between windows.
        Opening none;
        none.message = mrv::text::kPlayerOutOfMemory;
        none.detail = "out of memory";
        code = Refuse(line.hooks, none);
    }
    line.hooks.Write("exit %d", code);
    if (line.hooks.log) std::fclose(line.hooks.log);
    return code;
}
