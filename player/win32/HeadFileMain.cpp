// HeadFile.hdf: plays the recording stream that follows its own executable image.
#include <windows.h>
// After windows.h, which they build on.
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <span>
#include <string>

#include "common/Texts.h"
#include "common/win32/Handles.h"
#include "common/win32/WinText.h"
#include "player/StreamLocation.h"
#include "player/Timeline.h"
#include "player/win32/PlayerWindow.h"
#include "recorder/StreamReader.h"

namespace {

using mrv::player::win::TestHooks;

void UnmapView(const void* view) { ::UnmapViewOfFile(view); }
using UniqueView = mrv::win::UniqueHandle<const void*, UnmapView>;

int Refuse(const TestHooks& hooks, const char* message, const std::string& detail) {
    hooks.Write("message %s", detail.c_str());
    ::MessageBoxW(nullptr, mrv::win::Widen(message).c_str(),
                  mrv::win::Widen(mrv::text::kAppTitle).c_str(), MB_OK | MB_ICONERROR);
    return 1;
}

// The switches only the end-to-end tests pass.
TestHooks ParseTestSwitches() {
    TestHooks hooks;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) return hooks;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        auto value = [&](const wchar_t* name) -> const wchar_t* {
            const size_t n = wcslen(name);
            return arg.compare(0, n, name) == 0 ? arg.c_str() + n : nullptr;
        };
        if (const wchar_t* v = value(L"/mrv-test-log=")) {
            hooks.log = _wfopen(v, L"wb");  // plain LF lines for the shell
        } else if (const wchar_t* v = value(L"/mrv-test-pause-at=")) {
            hooks.startPausedAtTick = _wtoi64(v);
        } else if (value(L"/mrv-test-exit-at-end")) {
            hooks.exitAtEnd = true;
        }
    }
    ::LocalFree(argv);
    return hooks;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    const TestHooks hooks = ParseTestSwitches();
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&icc);

    // Our own file, mapped rather than read: a recording may be far larger than memory allows.
    mrv::win::UniqueFile file(::CreateFileW(mrv::win::ProgramPath().c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart == 0) {
        return Refuse(hooks, mrv::text::kPlayerCannotRead, "cannot open own file");
    }
    mrv::win::UniqueHandleOrNull mapping(
        ::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    UniqueView view(mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
    if (!view) return Refuse(hooks, mrv::text::kPlayerCannotRead, "cannot map own file");
    const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(view.get()),
                                         static_cast<size_t>(size.QuadPart));

    const mrv::player::StreamLocation where = mrv::player::LocateStream(bytes);
    if (where.result != mrv::player::Located::Found) {
        return Refuse(hooks, mrv::text::kPlayerNoRecording, "no stream after the image");
    }
    const auto stream = bytes.subspan(static_cast<size_t>(where.offset));
    mrv::StreamReader reader;
    if (!reader.Open(stream)) {
        return Refuse(hooks, mrv::text::kPlayerDamaged, "header: " + reader.error());
    }
    mrv::player::Timeline timeline;
    switch (timeline.Build(stream, reader.header())) {
        case mrv::player::Timeline::Scan::Truncated:
            return Refuse(hooks, mrv::text::kPlayerTruncated, "truncated: " + timeline.error());
        case mrv::player::Timeline::Scan::Damaged:
            return Refuse(hooks, mrv::text::kPlayerDamaged, "damaged: " + timeline.error());
        case mrv::player::Timeline::Scan::Complete:
            break;
    }
    hooks.Write("stream at %lld records %zu ticks %lld tick_ms %.3f",
                static_cast<long long>(where.offset), timeline.records().size(),
                static_cast<long long>(timeline.pacing().totalTicks), timeline.pacing().tickMs);

    mrv::player::win::PlayerWindow window(stream, reader, timeline, hooks);
    const int code = window.Run(instance, showCommand);
    hooks.Write("exit %d", code);
    if (hooks.log) std::fclose(hooks.log);
    return code;
}
