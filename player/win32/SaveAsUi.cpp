// The save dialogs through the common dialog library, and the progress window.
#include "player/win32/SaveAsUi.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cwchar>
#include <vector>

#include "common/PathText.h"
#include "common/Texts.h"
#include "common/win32/WinText.h"
#include "player/Strip.h"
#include "player/win32/PlayerResources.h"

namespace mrv::player::win {

namespace {

using mrv::win::Widen;

constexpr wchar_t kProgressClass[] = L"MorvantaSaveProgress";
constexpr int kIdCancel = IDCANCEL;
constexpr int kIdBar = 101;
constexpr int kIdLabel = 102;

// "name\0pattern\0" pairs, ending in an empty pair.
std::wstring Filter(std::initializer_list<std::pair<const char*, const wchar_t*>> types) {
    std::wstring filter;
    for (const auto& [name, pattern] : types) {
        filter += Widen(name);
        filter.push_back(L'\0');
        filter += pattern;
        filter.push_back(L'\0');
    }
    filter.push_back(L'\0');
    return filter;
}

struct SaveOptions {
    bool skipIdle = false;
};

// Only GIF and MP4 can leave still stretches out.
void EnableSkipIdle(HWND options, DWORD filterIndex) {
    ::EnableWindow(::GetDlgItem(options, IDC_SKIP_IDLE), filterIndex == 1 || filterIndex == 2);
}

UINT_PTR CALLBACK SaveHook(HWND options, UINT msg, WPARAM, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEW*>(lp);
        ::SetWindowLongPtrW(options, GWLP_USERDATA, static_cast<LONG_PTR>(ofn->lCustData));
        const auto* state = reinterpret_cast<const SaveOptions*>(ofn->lCustData);
        ::SetDlgItemTextW(options, IDC_SKIP_IDLE, Widen(text::kPlayerSkipIdle).c_str());
        ::CheckDlgButton(options, IDC_SKIP_IDLE, state->skipIdle ? BST_CHECKED : BST_UNCHECKED);
        EnableSkipIdle(options, ofn->nFilterIndex);
        return TRUE;
    }
    if (msg == WM_NOTIFY) {
        const auto* note = reinterpret_cast<const OFNOTIFYW*>(lp);
        if (note->hdr.code == CDN_TYPECHANGE) EnableSkipIdle(options, note->lpOFN->nFilterIndex);
        if (note->hdr.code == CDN_FILEOK) {
            auto* state =
                reinterpret_cast<SaveOptions*>(::GetWindowLongPtrW(options, GWLP_USERDATA));
            state->skipIdle = ::IsDlgButtonChecked(options, IDC_SKIP_IDLE) == BST_CHECKED;
        }
    }
    return 0;
}

}  // namespace

std::optional<SaveChoice> AskSaveName(HWND owner, const std::string& suggested, int32_t typeIndex,
                                      bool skipIdle) {
    const std::wstring filter = Filter({{text::kPlayerSaveTypeGif, L"*.gif"},
                                        {text::kPlayerSaveTypeMp4, L"*.mp4"},
                                        {text::kPlayerSaveTypeWav, L"*.wav"},
                                        {text::kPlayerSaveTypePng, L"*.png"},
                                        {text::kPlayerSaveTypeMrv, L"*.mrv"},
                                        {text::kPlayerSaveTypeExe, L"*.exe"}});
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring initial = Utf8ToWide(path::FileName(suggested));
    std::wcsncpy(name.data(), initial.c_str(), name.size() - 1);
    const std::wstring folder = Utf8ToWide(path::Parent(suggested));
    SaveOptions options{skipIdle};

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.hInstance = ::GetModuleHandleW(nullptr);
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(typeIndex + 1);
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    // With a default extension the dialog adds the chosen type's when none is typed, and asks
    // about replacing the file that will really be written.
    ofn.lpstrDefExt = L"gif";
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLESIZING;
    ofn.lpTemplateName = MAKEINTRESOURCEW(IDD_SAVE_OPTIONS);
    ofn.lpfnHook = SaveHook;
    ofn.lCustData = reinterpret_cast<LPARAM>(&options);
    if (!::GetSaveFileNameW(&ofn)) return std::nullopt;
    return SaveChoice{WideToUtf8(name.data()), static_cast<int32_t>(ofn.nFilterIndex) - 1,
                      options.skipIdle};
}

namespace {

std::optional<std::string> AskFileToOpen(HWND owner, const std::wstring& filter,
                                         const char* caption) {
    const std::wstring title = Widen(caption);
    std::vector<wchar_t> name(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrTitle = title.c_str();
    ofn.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!::GetOpenFileNameW(&ofn)) return std::nullopt;
    return WideToUtf8(name.data());
}

}  // namespace

std::optional<std::string> AskFfmpegLocation(HWND owner) {
    return AskFileToOpen(owner, Filter({{text::kPlayerFfmpegType, L"ffmpeg.exe"}}),
                         text::kPlayerLocateFfmpeg);
}

std::optional<std::string> AskRecordingToOpen(HWND owner) {
    return AskFileToOpen(owner, Filter({{text::kPlayerOpenType, L"*.mrv;*.exe"}}),
                         text::kPlayerOpenTitle);
}

mrv::win::UniqueFont MakeStripFont(int dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(8, dpi, 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    std::wcscpy(lf.lfFaceName, L"Tahoma");
    return mrv::win::UniqueFont(::CreateFontIndirectW(&lf));
}

void ProgressWindow::Show(HWND owner, int dpi) {
    Close();
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kProgressClass;
    ::RegisterClassExW(&wc);  // fails harmlessly when already registered

    const int w = ScaleToDpi(320, dpi), h = ScaleToDpi(96, dpi);
    RECT frame{0, 0, w, h};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    RECT over{};
    ::GetWindowRect(owner, &over);
    const int fw = frame.right - frame.left, fh = frame.bottom - frame.top;
    const int x = (over.left + over.right - fw) / 2, y = (over.top + over.bottom - fh) / 2;
    owner_ = owner;
    hwnd_ =
        ::CreateWindowExW(WS_EX_DLGMODALFRAME, kProgressClass, Widen(text::kPlayerSaving).c_str(),
                          style, x, y, fw, fh, owner, nullptr, instance, this);
    if (!hwnd_) return;
    font_ = MakeStripFont(dpi);
    auto make = [&](const wchar_t* cls, const std::string& label, DWORD s, int id, int l, int t,
                    int cw, int ch) {
        HWND c = ::CreateWindowExW(
            0, cls, Widen(label).c_str(), WS_CHILD | WS_VISIBLE | s, ScaleToDpi(l, dpi),
            ScaleToDpi(t, dpi), ScaleToDpi(cw, dpi), ScaleToDpi(ch, dpi), hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return c;
    };
    bar_ = make(PROGRESS_CLASSW, "", 0, kIdBar, 12, 12, 296, 18);
    ::SendMessageW(bar_, PBM_SETRANGE32, 0, 1000);
    label_ = make(L"STATIC", text::kPlayerTimeLeftUnknown, SS_LEFT, kIdLabel, 12, 40, 200, 16);
    cancel_ = make(L"BUTTON", text::kPlayerCancel, BS_DEFPUSHBUTTON | WS_TABSTOP, kIdCancel, 228,
                   60, 80, 24);
    // The player waits, as under a modal dialog, so that nothing else starts meanwhile.
    ::EnableWindow(owner_, FALSE);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetFocus(cancel_);
}

void ProgressWindow::Update(int32_t permille, const std::string& timeLeft) {
    if (!hwnd_) return;
    ::SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(permille), 0);
    ::SetWindowTextW(label_, Widen(timeLeft).c_str());
}

void ProgressWindow::Close() {
    if (!hwnd_) return;
    // The owner first, so that the activation and the keys go back to it.
    ::EnableWindow(owner_, TRUE);
    HWND gone = std::exchange(hwnd_, nullptr);
    if (::GetActiveWindow() == gone) ::SetActiveWindow(owner_);
    ::DestroyWindow(gone);
    ::SetFocus(owner_);
}

POINT ProgressWindow::CancelCentre() const {
    RECT r{};
    ::GetWindowRect(cancel_, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

LRESULT CALLBACK ProgressWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<ProgressWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ProgressWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wp) == kIdCancel && self) self->onCancel_();
            return 0;
        case WM_CLOSE:
            // Closing it is cancelling; the window goes once the export has cleaned up.
            if (self) self->onCancel_();
            return 0;
        default:
            return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace mrv::player::win
