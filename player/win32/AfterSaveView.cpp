// The after-save window: the saved file's name and size over four buttons, beside the player;
// and what the buttons ask of the shell (ShellExecuteEx, SHOpenFolderAndSelectItems) and the
// clipboard (CF_HDROP with the copy drop effect, as Explorer's Copy leaves it).
#include "player/win32/AfterSaveView.h"

// After windows.h, which they build on.
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/PathText.h"
#include "common/Texts.h"
#include "common/win32/WinText.h"
#include "player/Strip.h"
#include "player/win32/AfterSaveIds.h"
#include "player/win32/OwnedPopup.h"
#include "player/win32/SaveAsUi.h"

namespace mrv::player::win {

namespace {

using mrv::win::Widen;

void FreeIdList(PIDLIST_ABSOLUTE list) { ::ILFree(list); }
using UniqueIdList = mrv::win::UniqueHandle<PIDLIST_ABSOLUTE, FreeIdList>;
void FreeGlobal(HGLOBAL memory) { ::GlobalFree(memory); }
using UniqueGlobal = mrv::win::UniqueHandle<HGLOBAL, FreeGlobal>;

struct ClipboardOpen {
    explicit ClipboardOpen(HWND owner) : open(::OpenClipboard(owner) != FALSE) {}
    ~ClipboardOpen() {
        if (open) ::CloseClipboard();
    }
    ClipboardOpen(const ClipboardOpen&) = delete;
    ClipboardOpen& operator=(const ClipboardOpen&) = delete;
    bool open;
};

// Movable global memory holding `bytes`, for the clipboard.
UniqueGlobal GlobalCopy(const void* bytes, size_t size) {
    UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory) return memory;
    void* at = ::GlobalLock(memory.get());
    if (!at) return UniqueGlobal();
    std::memcpy(at, bytes, size);
    ::GlobalUnlock(memory.get());
    return memory;
}

// In 96-DPI units: two lines of text over a row of buttons.
constexpr int kMargin = 12, kGap = 8, kButtonH = 24, kLineH = 18;
constexpr int kButtonW[] = {64, 92, 80, 64};
constexpr int kClientW = kMargin * 2 + 64 + 92 + 80 + 64 + kGap * 3;
constexpr int kClientH = kMargin * 2 + kLineH * 2 + kGap + kButtonH;

}  // namespace

AfterSaveView::~AfterSaveView() {
    window_.reset();
    if (comStarted_) ::CoUninitialize();
}

int64_t AfterSaveView::FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void AfterSaveView::ShowWindow(const std::string& name, const std::string& size) {
    CloseWindow();
    window_.reset(CreateOwnedPopup(owner_, kSavedWindowClass, WndProc, text::kPlayerSavedTitle,
                                   ScaleToDpi(kClientW, dpi_), ScaleToDpi(kClientH, dpi_), this));
    if (!window_) return;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    font_ = MakeStripFont(dpi_);
    auto make = [&](const wchar_t* cls, const std::string& label, DWORD s, int id, int l, int t,
                    int w, int h) {
        HWND c = ::CreateWindowExW(
            0, cls, Widen(label).c_str(), WS_CHILD | WS_VISIBLE | s, ScaleToDpi(l, dpi_),
            ScaleToDpi(t, dpi_), ScaleToDpi(w, dpi_), ScaleToDpi(h, dpi_), window_.get(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return c;
    };
    const int textW = kClientW - kMargin * 2;
    make(L"STATIC", text::kPlayerSavedName + name, SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_ENDELLIPSIS,
         kIdSavedName, kMargin, kMargin, textW, kLineH);
    make(L"STATIC", text::kPlayerSavedSize + size, SS_LEFTNOWORDWRAP, kIdSavedSize, kMargin,
         kMargin + kLineH, textW, kLineH);
    const char* labels[] = {text::kPlayerSavedOpen, text::kPlayerSavedOpenFolder,
                            text::kPlayerSavedCopy, text::kPlayerSavedClose};
    int left = kMargin;
    HWND first = nullptr;
    for (int i = 0; i < 4; ++i) {
        HWND b =
            make(L"BUTTON", labels[i], (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP,
                 kIdSavedOpen + i, left, kMargin + kLineH * 2 + kGap, kButtonW[i], kButtonH);
        if (!first) first = b;
        left += kButtonW[i] + kGap;
    }
    ::ShowWindow(window_.get(), SW_SHOW);
    ::SetFocus(first);
    hooks_.Write("saved shown %s | %s", name.c_str(), size.c_str());
    LogPlaces();
}

// Where the tests look and click: the client area and the centre of each button, on the
// screen.
void AfterSaveView::LogPlaces() const {
    std::string places;
    for (int id = kIdSavedOpen; id <= kIdSavedClose; ++id) {
        RECT b{};
        ::GetWindowRect(::GetDlgItem(window_.get(), id), &b);
        places += " " + std::to_string((b.left + b.right) / 2) + " " +
                  std::to_string((b.top + b.bottom) / 2);
    }
    RECT client{};
    ::GetClientRect(window_.get(), &client);
    POINT origin{0, 0};
    ::ClientToScreen(window_.get(), &origin);
    hooks_.Write("saved window %ld %ld %ld %ld buttons%s", origin.x, origin.y, client.right,
                 client.bottom, places.c_str());
}

void AfterSaveView::CloseWindow() {
    if (!window_) return;
    ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
    window_.reset();
    ::SetFocus(owner_);
    hooks_.Write("saved closed");
}

bool AfterSaveView::OpenFile(const std::string& path) {
    const std::wstring file = Widen(path);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC;
    info.hwnd = owner_;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    const bool ok = ::ShellExecuteExW(&info) != FALSE;
    hooks_.Write("shell open %s %s", path.c_str(), ok ? "ok" : "failed");
    return ok;
}

bool AfterSaveView::ShowInFolder(const std::string& folder, const std::vector<std::string>& files) {
    if (!comStarted_) {
        const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        comStarted_ = SUCCEEDED(hr);  // S_FALSE too: each success wants its uninitialise
    }
    UniqueIdList dir(::ILCreateFromPathW(Widen(folder).c_str()));
    std::vector<UniqueIdList> items;
    std::vector<PCUITEMID_CHILD> children;
    for (const std::string& file : files) {
        items.emplace_back(::ILCreateFromPathW(Widen(file).c_str()));
        if (items.back()) children.push_back(::ILFindLastID(items.back().get()));
    }
    HRESULT hr = E_FAIL;
    if (dir && !children.empty()) {
        hr = ::SHOpenFolderAndSelectItems(dir.get(), static_cast<UINT>(children.size()),
                                          children.data(), 0);
    }
    hooks_.Write("shell folder %s select %zu %s hr %08lx", folder.c_str(), children.size(),
                 files.empty() ? "" : path::FileName(files.front()).c_str(),
                 static_cast<unsigned long>(hr));
    if (SUCCEEDED(hr)) return true;
    // Shells without it (older Wine) still take Explorer's own switch, for the first file.
    const std::wstring args = L"/select,\"" + Widen(files.front()) + L"\"";
    const auto code = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(owner_, L"open", L"explorer.exe", args.c_str(), nullptr, SW_SHOWNORMAL));
    hooks_.Write("shell explorer %s", code > 32 ? "ok" : "failed");
    return code > 32;
}

bool AfterSaveView::CopyFiles(const std::vector<std::string>& files) {
    const std::vector<uint8_t> list = DropFileList(files);
    const DWORD effect = DROPEFFECT_COPY;  // a paste copies; the saved file stays
    UniqueGlobal drop = GlobalCopy(list.data(), list.size());
    UniqueGlobal preferred = GlobalCopy(&effect, sizeof effect);
    const UINT effectFormat = ::RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT);
    bool ok = false;
    if (drop && preferred && effectFormat != 0) {
        const ClipboardOpen clipboard(owner_);
        // The system owns what it was given; what it refused stays ours to free.
        ok = clipboard.open && ::EmptyClipboard() && ::SetClipboardData(CF_HDROP, drop.get()) &&
             (drop.release(), true) && ::SetClipboardData(effectFormat, preferred.get()) &&
             (preferred.release(), true);
    }
    hooks_.Write("clipboard %zu files %s", files.size(), ok ? "ok" : "failed");
    return ok;
}

void AfterSaveView::ShowError(const char* text) {
    hooks_.Write("message saved action failed");
    ::MessageBoxW(window_ ? window_.get() : owner_, Widen(text).c_str(),
                  Widen(text::kAppTitle).c_str(), MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK AfterSaveView::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<AfterSaveView*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<AfterSaveView*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || !self->onClick_) return ::DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDOK:  // Enter
                case kIdSavedOpen:
                    self->onClick_(SavedAction::Open);
                    return 0;
                case kIdSavedOpenFolder:
                    self->onClick_(SavedAction::OpenFolder);
                    return 0;
                case kIdSavedCopy:
                    self->onClick_(SavedAction::CopyFiles);
                    return 0;
                case IDCANCEL:  // Esc
                case kIdSavedClose:
                    self->onClick_(SavedAction::Close);
                    return 0;
                default:
                    return 0;
            }
        case WM_CLOSE:
            self->onClick_(SavedAction::Close);
            return 0;
        default:
            return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace mrv::player::win
