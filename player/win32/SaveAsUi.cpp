// The save dialogs (the Common Item Dialog with its options, else the older common dialog with
// a template below it) and the progress window.
#include "player/win32/SaveAsUi.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <span>
#include <vector>

#include "common/PathText.h"
#include "common/Texts.h"
#include "common/win32/WinText.h"
#include "player/Strip.h"
#include "player/win32/OwnedPopup.h"
#include "player/win32/PlayerResources.h"

namespace mrv::player::win {

namespace {

using Microsoft::WRL::ComPtr;
using mrv::win::Widen;

constexpr wchar_t kProgressClass[] = L"MorvantaSaveProgress";
constexpr int kIdCancel = IDCANCEL;
constexpr int kIdBar = 101;
constexpr int kIdLabel = 102;

// "name\0pattern\0" pairs, ending in an empty pair.
std::wstring Filter(std::span<const std::pair<const char*, const wchar_t*>> types) {
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

// The four types' filter names and patterns, in kSaveTypes' order.
constexpr std::pair<const char*, const wchar_t*> kTypeFilters[] = {
    {text::kPlayerSaveTypeGif, L"*.gif"}, {text::kPlayerSaveTypeMp4, L"*.mp4"},
    {text::kPlayerSaveTypeWav, L"*.wav"}, {text::kPlayerSaveTypePng, L"*.png"},
    {text::kPlayerSaveTypeMrv, L"*.mrv"}, {text::kPlayerSaveTypeExe, L"*.exe"}};

ExportFormat FormatAt(int32_t typeIndex) {
    return kSaveTypes[static_cast<size_t>(
        std::clamp<int32_t>(typeIndex, 0, kSaveTypes.size() - 1))];
}

// What both dialogs share: the setup, and the choice as the user leaves it.
struct DialogState {
    const SaveDialogSetup& setup;
    SaveChoice choice;
};

// ---- The pre-Vista dialog with a template below it, where COM cannot make the new one ----

void ShowOldOptions(HWND options, const DialogState& state) {
    const SaveOptionsShown shown = OptionsFor(FormatAt(state.choice.typeIndex));
    ::EnableWindow(::GetDlgItem(options, IDC_SKIP_IDLE), shown.skipIdle);
    ::EnableWindow(::GetDlgItem(options, IDC_SAVE_SPEED), shown.speed);
    ::EnableWindow(::GetDlgItem(options, IDC_SAVE_WIDTH), shown.width);
    const std::string estimate = state.setup.estimate ? state.setup.estimate(state.choice) : "";
    ::SetDlgItemTextW(options, IDC_SAVE_ESTIMATE, Widen(estimate).c_str());
}

void ReadOldOptions(HWND options, SaveChoice& choice) {
    choice.skipIdle = ::IsDlgButtonChecked(options, IDC_SKIP_IDLE) == BST_CHECKED;
    choice.speedIndex = static_cast<int32_t>(
        std::max<LRESULT>(0, ::SendDlgItemMessageW(options, IDC_SAVE_SPEED, CB_GETCURSEL, 0, 0)));
    choice.widthIndex = static_cast<int32_t>(
        std::max<LRESULT>(0, ::SendDlgItemMessageW(options, IDC_SAVE_WIDTH, CB_GETCURSEL, 0, 0)));
}

void FillCombo(HWND combo, const std::vector<std::string>& labels, int32_t selected) {
    for (const std::string& label : labels) {
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(label).c_str()));
    }
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

static_assert(std::size(text::kPlayerSaveSpeedLabels) == kSaveSpeeds.size(),
              "a label for every speed of the saved copy");

std::vector<std::string> SpeedLabels() {
    return {std::begin(text::kPlayerSaveSpeedLabels), std::end(text::kPlayerSaveSpeedLabels)};
}

UINT_PTR CALLBACK SaveHook(HWND options, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(options, GWLP_USERDATA));
    if (msg == WM_INITDIALOG) {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEW*>(lp);
        ::SetWindowLongPtrW(options, GWLP_USERDATA, static_cast<LONG_PTR>(ofn->lCustData));
        state = reinterpret_cast<DialogState*>(ofn->lCustData);
        ::SetDlgItemTextW(options, IDC_SKIP_IDLE, Widen(text::kPlayerSkipIdle).c_str());
        ::SetDlgItemTextW(options, IDC_SAVE_SPEED_LABEL, Widen(text::kPlayerSaveSpeed).c_str());
        ::SetDlgItemTextW(options, IDC_SAVE_WIDTH_LABEL, Widen(text::kPlayerSaveWidth).c_str());
        ::CheckDlgButton(options, IDC_SKIP_IDLE,
                         state->choice.skipIdle ? BST_CHECKED : BST_UNCHECKED);
        FillCombo(::GetDlgItem(options, IDC_SAVE_SPEED), SpeedLabels(), state->choice.speedIndex);
        FillCombo(::GetDlgItem(options, IDC_SAVE_WIDTH), state->setup.widthLabels,
                  state->choice.widthIndex);
        ShowOldOptions(options, *state);
        return TRUE;
    }
    if (!state) return 0;
    if (msg == WM_COMMAND && (HIWORD(wp) == CBN_SELCHANGE || HIWORD(wp) == BN_CLICKED)) {
        ReadOldOptions(options, state->choice);
        ShowOldOptions(options, *state);
    }
    if (msg == WM_NOTIFY) {
        const auto* note = reinterpret_cast<const OFNOTIFYW*>(lp);
        if (note->hdr.code == CDN_TYPECHANGE) {
            state->choice.typeIndex = static_cast<int32_t>(note->lpOFN->nFilterIndex) - 1;
            ShowOldOptions(options, *state);
        }
        if (note->hdr.code == CDN_FILEOK) ReadOldOptions(options, state->choice);
    }
    return 0;
}

std::optional<SaveChoice> AskWithOldDialog(HWND owner, DialogState& state) {
    const std::wstring filter = Filter(kTypeFilters);
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring initial = Widen(path::FileName(state.setup.suggested));
    std::wcsncpy(name.data(), initial.c_str(), name.size() - 1);
    const std::wstring folder = Widen(path::Parent(state.setup.suggested));

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.hInstance = ::GetModuleHandleW(nullptr);
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(state.choice.typeIndex + 1);
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
    ofn.lCustData = reinterpret_cast<LPARAM>(&state);
    if (!::GetSaveFileNameW(&ofn)) return std::nullopt;
    state.choice.path = Narrow(name.data());
    state.choice.typeIndex = static_cast<int32_t>(ofn.nFilterIndex) - 1;
    return state.choice;
}

// ---- The Common Item Dialog, with the options added through IFileDialogCustomize ----

// Lives on the stack for the dialog's modal loop only, so its reference count is not kept.
class ItemDialogEvents final : public IFileDialogEvents, public IFileDialogControlEvents {
  public:
    ItemDialogEvents(IFileDialogCustomize& customize, DialogState& state)
        : customize_(customize), state_(state) {}

    // Reads the options as they stand and shows which apply, with the estimate.
    void Refresh(IFileDialog* dialog) {
        Read(dialog);
        const SaveOptionsShown shown = OptionsFor(FormatAt(state_.choice.typeIndex));
        auto show = [&](DWORD id, bool enabled) {
            customize_.SetControlState(
                id, static_cast<CDCONTROLSTATEF>(CDCS_VISIBLE | (enabled ? CDCS_ENABLED : 0)));
        };
        show(IDC_SKIP_IDLE, shown.skipIdle);
        show(IDC_SAVE_SPEED, shown.speed);
        show(IDC_SAVE_WIDTH, shown.width);
        // The estimate encodes a sample of pictures: only again when what it sees has changed.
        const std::array<int32_t, 3> asked = {shown.width ? 1 : 0, state_.choice.speedIndex,
                                              state_.choice.widthIndex};
        if (asked == lastAsked_) return;
        lastAsked_ = asked;
        const std::string estimate =
            state_.setup.estimate ? state_.setup.estimate(state_.choice) : "";
        // A label never empty: some dialogs drop the line of an empty text.
        customize_.SetControlLabel(IDC_SAVE_ESTIMATE,
                                   Widen(estimate.empty() ? " " : estimate).c_str());
    }

    void Read(IFileDialog* dialog) {
        UINT type = 0;
        if (dialog && SUCCEEDED(dialog->GetFileTypeIndex(&type)) && type > 0) {
            state_.choice.typeIndex = static_cast<int32_t>(type) - 1;
        }
        BOOL checked = FALSE;
        if (SUCCEEDED(customize_.GetCheckButtonState(IDC_SKIP_IDLE, &checked))) {
            state_.choice.skipIdle = checked != FALSE;
        }
        DWORD item = 0;
        if (SUCCEEDED(customize_.GetSelectedControlItem(IDC_SAVE_SPEED, &item))) {
            state_.choice.speedIndex = static_cast<int32_t>(item);
        }
        if (SUCCEEDED(customize_.GetSelectedControlItem(IDC_SAVE_WIDTH, &item))) {
            state_.choice.widthIndex = static_cast<int32_t>(item);
        }
    }

    const std::string& typed() const { return typed_; }

    IFACEMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IFileDialogEvents)) {
            *out = static_cast<IFileDialogEvents*>(this);
        } else if (iid == __uuidof(IFileDialogControlEvents)) {
            *out = static_cast<IFileDialogControlEvents*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return 2; }
    IFACEMETHODIMP_(ULONG) Release() override { return 1; }

    IFACEMETHODIMP OnTypeChange(IFileDialog* dialog) override {
        Refresh(dialog);
        return S_OK;
    }
    IFACEMETHODIMP OnItemSelected(IFileDialogCustomize*, DWORD, DWORD) override {
        Refresh(nullptr);
        return S_OK;
    }
    IFACEMETHODIMP OnCheckButtonToggled(IFileDialogCustomize*, DWORD, BOOL) override {
        Refresh(nullptr);
        return S_OK;
    }
    IFACEMETHODIMP OnFileOk(IFileDialog* dialog) override {
        PWSTR name = nullptr;
        if (SUCCEEDED(dialog->GetFileName(&name)) && name) typed_ = Narrow(name);
        ::CoTaskMemFree(name);
        return S_OK;
    }
    IFACEMETHODIMP OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
    IFACEMETHODIMP OnFolderChange(IFileDialog*) override { return S_OK; }
    IFACEMETHODIMP OnSelectionChange(IFileDialog*) override { return S_OK; }
    IFACEMETHODIMP OnShareViolation(IFileDialog*, IShellItem*,
                                    FDE_SHAREVIOLATION_RESPONSE*) override {
        return S_OK;
    }
    IFACEMETHODIMP OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override {
        return S_OK;
    }
    IFACEMETHODIMP OnButtonClicked(IFileDialogCustomize*, DWORD) override { return S_OK; }
    IFACEMETHODIMP OnControlActivating(IFileDialogCustomize*, DWORD) override { return S_OK; }

  private:
    IFileDialogCustomize& customize_;
    DialogState& state_;
    std::array<int32_t, 3> lastAsked_ = {-1, -1, -1};
    std::string typed_;
};

// Wine's dialog adds the chosen type's extension even to a name typed with another of the
// four ("a.png" as GIF gives "a.png.gif"); the typed one wins, as in the older dialog.
std::string WithoutAddedExtension(std::string path, const std::string& typed, int32_t typeIndex) {
    const std::string added = ExtensionOf(FormatAt(typeIndex));
    const std::string name = path::FileName(typed);
    const bool ours = !name.empty() && ResolveSaveTarget(name, typeIndex).path == name;
    if (ours && path.size() > name.size() + added.size() &&
        path.compare(path.size() - name.size() - added.size(), std::string::npos, name + added) ==
            0) {
        path.resize(path.size() - added.size());
    }
    return path;
}

void AddCombo(IFileDialogCustomize& customize, DWORD group, const char* label, DWORD id,
              const std::vector<std::string>& items, int32_t selected) {
    customize.StartVisualGroup(group, Widen(label).c_str());
    customize.AddComboBox(id);
    for (size_t i = 0; i < items.size(); ++i) {
        customize.AddControlItem(id, static_cast<DWORD>(i), Widen(items[i]).c_str());
    }
    customize.SetSelectedControlItem(id, static_cast<DWORD>(selected));
    customize.EndVisualGroup();
}

struct ItemDialogResult {
    bool shown = false;  // false: the dialog could not be made or shown; the old one serves
    std::optional<SaveChoice> choice;
};

ItemDialogResult AskWithItemDialog(HWND owner, DialogState& state) {
    ComPtr<IFileSaveDialog> dialog;
    ComPtr<IFileDialogCustomize> customize;
    if (FAILED(::CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&dialog))) ||
        FAILED(dialog.As(&customize))) {
        return {};
    }
    std::vector<std::wstring> names;
    std::vector<COMDLG_FILTERSPEC> specs;
    for (const auto& [name, pattern] : kTypeFilters) names.push_back(Widen(name));
    for (size_t i = 0; i < names.size(); ++i)
        specs.push_back({names[i].c_str(), kTypeFilters[i].second});
    dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
    dialog->SetFileTypeIndex(static_cast<UINT>(state.choice.typeIndex + 1));
    // The chosen type's extension is added when none is typed, as the replace prompt expects.
    dialog->SetDefaultExtension(L"gif");
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR |
                       FOS_FORCEFILESYSTEM);
    ComPtr<IShellItem> folder;
    const std::wstring folderName = Widen(path::Parent(state.setup.suggested));
    if (!folderName.empty() && SUCCEEDED(::SHCreateItemFromParsingName(folderName.c_str(), nullptr,
                                                                       IID_PPV_ARGS(&folder)))) {
        dialog->SetFolder(folder.Get());
    }
    dialog->SetFileName(Widen(path::FileName(state.setup.suggested)).c_str());

    customize->AddCheckButton(IDC_SKIP_IDLE, Widen(text::kPlayerSkipIdle).c_str(),
                              state.choice.skipIdle);
    AddCombo(*customize.Get(), IDC_SAVE_SPEED_LABEL, text::kPlayerSaveSpeed, IDC_SAVE_SPEED,
             SpeedLabels(), state.choice.speedIndex);
    AddCombo(*customize.Get(), IDC_SAVE_WIDTH_LABEL, text::kPlayerSaveWidth, IDC_SAVE_WIDTH,
             state.setup.widthLabels, state.choice.widthIndex);
    customize->AddText(IDC_SAVE_ESTIMATE, L" ");

    ItemDialogEvents events(*customize.Get(), state);
    events.Refresh(dialog.Get());
    DWORD cookie = 0;
    const bool advised = SUCCEEDED(dialog->Advise(&events, &cookie));
    const HRESULT shown = dialog->Show(owner);
    if (advised) dialog->Unadvise(cookie);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return {true, std::nullopt};
    if (FAILED(shown)) return {};
    ComPtr<IShellItem> result;
    PWSTR name = nullptr;
    if (FAILED(dialog->GetResult(&result)) ||
        FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &name))) {
        return {true, std::nullopt};
    }
    events.Read(dialog.Get());
    state.choice.path = WithoutAddedExtension(Narrow(name), events.typed(), state.choice.typeIndex);
    ::CoTaskMemFree(name);
    return {true, state.choice};
}

// COM for this thread while the dialog is up, when it is not already there.
class ComScope {
  public:
    ComScope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool ok() const { return SUCCEEDED(result_); }

  private:
    HRESULT result_;
};

}  // namespace

std::optional<SaveChoice> AskSaveName(HWND owner, const SaveDialogSetup& setup,
                                      SaveDialogKind kind) {
    DialogState state{setup, setup.preset};
    if (kind == SaveDialogKind::CommonItem) {
        ComScope com;
        if (com.ok()) {
            ItemDialogResult asked = AskWithItemDialog(owner, state);
            if (asked.shown) return asked.choice;
        }
    }
    return AskWithOldDialog(owner, state);
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
    return Narrow(name.data());
}

}  // namespace

std::optional<std::string> AskFfmpegLocation(HWND owner) {
    const std::pair<const char*, const wchar_t*> ffmpeg[] = {
        {text::kPlayerFfmpegType, L"ffmpeg.exe"}};
    return AskFileToOpen(owner, Filter(ffmpeg), text::kPlayerLocateFfmpeg);
}

std::optional<std::string> AskRecordingToOpen(HWND owner) {
    const std::pair<const char*, const wchar_t*> recordings[] = {
        {text::kPlayerOpenType, L"*.mrv;*.exe"}};
    return AskFileToOpen(owner, Filter(recordings), text::kPlayerOpenTitle);
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
    owner_ = owner;
    hwnd_ = CreateOwnedPopup(owner, kProgressClass, WndProc, text::kPlayerSaving,
                             ScaleToDpi(320, dpi), ScaleToDpi(96, dpi), this);
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
