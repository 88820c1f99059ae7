// The settings dialog window: creates the controls from the form model, routes their events to
// it and reads the user's values back at OK. Laid out in 96-DPI pixels, scaled to the display.
#include "app/win32/SettingsDialog.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "common/Texts.h"
#include "common/win32/Handles.h"
#include "common/win32/WinText.h"

namespace mrv::win {

namespace {

constexpr wchar_t kClassName[] = L"MorvantaSettings";
constexpr int kClientWidth = 295;
// The recording area's row, then the recording type's, below the general page's groups.
constexpr int kAreaRowHeight = 52;
constexpr int kFileTypeRow = 48;
constexpr int kClientHeight = 352 + kAreaRowHeight + kFileTypeRow;
// In screen pixels, as the main window's place is: only sizes follow the display's DPI.
constexpr int kDesignLeft = 290;
constexpr int kDesignTop = 118;

enum class Page { Both = -1, General = 0, Advanced = 1 };

struct Box {
    int x, y, w, h;
};

// A radio group: its frame, caption, items and the id of its first item.
struct RadioGroupLayout {
    Box frame;
    const char* caption;
    std::vector<const char*> items;
    int firstId;
    int columns;
};

class SettingsWindow {
  public:
    explicit SettingsWindow(app::SettingsForm& form) : form_(form) {}
    app::ModalResult Run(HWND owner);

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

    int Scale(int v) const { return ::MulDiv(v, dpi_, 96); }
    HWND Add(const wchar_t* cls, const std::string& text, DWORD style, Box b, int id, Page page,
             DWORD exStyle = 0);
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    void CreateControls();
    void CreateGeneralPage();
    void CreateAreaRow();
    void CreateAdvancedPage();
    void CreateFileTypeRow();
    void AddRadioGroup(const RadioGroupLayout& layout, int selected);
    void ShowPage(app::SettingsTab tab);
    void OnCommand(int id, int code);
    void OnHotKeyChange();
    void ShowPathBox();
    void Button3Click();
    void ReadBack();
    HBRUSH PageBackground(HWND control, HDC dc);
    void End(app::ModalResult result) { result_ = result; }

    app::SettingsForm& form_;
    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    UniqueFont font_;
    std::array<std::vector<HWND>, 2> pages_;
    UniqueBrush tabBody_;  // the tab control's body as a pattern, made at first use
    app::ModalResult result_ = app::ModalResult::None;
};

HWND SettingsWindow::Add(const wchar_t* cls, const std::string& text, DWORD style, Box b, int id,
                         Page page, DWORD exStyle) {
    HWND w = ::CreateWindowExW(exStyle, cls, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                               Scale(b.x), Scale(b.y), Scale(b.w), Scale(b.h), hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    if (page != Page::Both) pages_[static_cast<size_t>(page)].push_back(w);
    return w;
}

void SettingsWindow::AddRadioGroup(const RadioGroupLayout& g, int selected) {
    Add(WC_BUTTONW, g.caption, BS_GROUPBOX, g.frame, -1, Page::Advanced);
    const int columnWidth = (g.frame.w - 16) / g.columns;
    for (size_t i = 0; i < g.items.size(); ++i) {
        const int column = static_cast<int>(i) % g.columns;
        const int row = static_cast<int>(i) / g.columns;
        const DWORD style = BS_AUTORADIOBUTTON | WS_TABSTOP | (i == 0 ? WS_GROUP : 0);
        HWND w = Add(
            WC_BUTTONW, g.items[i], style,
            {g.frame.x + 8 + column * columnWidth, g.frame.y + 17 + row * 20, columnWidth - 4, 17},
            g.firstId + static_cast<int>(i), Page::Advanced);
        if (static_cast<int>(i) == selected) ::SendMessageW(w, BM_SETCHECK, BST_CHECKED, 0);
    }
}

void SettingsWindow::CreateControls() {
    // Only the tab control clips: it lies below every other control.
    HWND tabs = Add(WC_TABCONTROLW, "", WS_TABSTOP | WS_CLIPSIBLINGS,
                    {5, 5, 285, 317 + kAreaRowHeight + kFileTypeRow}, kIdTabs, Page::Both);
    for (const char* caption : {text::kSetTabGeneral, text::kSetTabAdvanced}) {
        std::wstring wide = Widen(caption);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = wide.data();
        ::SendMessageW(tabs, TCM_INSERTITEMW, ::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0),
                       reinterpret_cast<LPARAM>(&item));
    }
    CreateGeneralPage();
    CreateAreaRow();
    CreateAdvancedPage();
    // Neither button is a default button: Enter and Esc do nothing.
    constexpr int buttonsY = 327 + kAreaRowHeight + kFileTypeRow;
    Add(WC_BUTTONW, text::kSetOk, BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, {130, buttonsY, 75, 23},
        kIdOk, Page::Both);
    Add(WC_BUTTONW, text::kSetCancel, BS_PUSHBUTTON | WS_TABSTOP, {212, buttonsY, 75, 23},
        kIdCancel, Page::Both);
    // The pages' controls lie on the tab control and must be painted above it.
    ::SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SettingsWindow::CreateGeneralPage() {
    constexpr Page p = Page::General;
    const auto check = [&](int id, const char* caption, Box b, const app::CheckBox& box) {
        HWND w = Add(WC_BUTTONW, caption, BS_AUTOCHECKBOX | WS_TABSTOP, b, id, p);
        ::SendMessageW(w, BM_SETCHECK, box.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        ::EnableWindow(w, box.enabled);
    };
    Add(WC_BUTTONW, text::kSetGroupOptions, BS_GROUPBOX, {13, 32, 269, 66}, -1, p);
    check(kIdCheckBox1, text::kSetCaptureBlt, {23, 50, 138, 17}, form_.CheckBox1);
    check(kIdCheckBox4, text::kSetShowClick, {165, 50, 112, 17}, form_.CheckBox4);
    check(kIdCheckBox5, text::kSetSound, {23, 73, 138, 17}, form_.CheckBox5);
    check(kIdCheckBox2, text::kSetDynamicTray, {165, 73, 112, 17}, form_.CheckBox2);

    Add(WC_BUTTONW, text::kSetGroupFile, BS_GROUPBOX, {13, 104, 269, 76}, -1, p);
    Add(WC_STATICW, text::kSetName, SS_LEFT, {23, 126, 30, 15}, -1, p);
    Add(WC_EDITW, form_.EdtName, ES_AUTOHSCROLL | WS_TABSTOP, {57, 122, 215, 21}, kIdEdtName, p,
        WS_EX_CLIENTEDGE);
    Add(WC_STATICW, text::kSetPath, SS_LEFT, {23, 153, 30, 15}, -1, p);
    Add(WC_EDITW, form_.EdtPath, ES_AUTOHSCROLL | WS_TABSTOP, {57, 149, 190, 21}, kIdEdtPath, p,
        WS_EX_CLIENTEDGE);
    Add(WC_BUTTONW, text::kSetBrowse, BS_PUSHBUTTON | WS_TABSTOP, {250, 148, 22, 22}, kIdButton3,
        p);

    Add(WC_BUTTONW, text::kSetGroupHotKeys, BS_GROUPBOX, {13, 186, 269, 128}, -1, p);
    struct Row {
        const char* label;
        int hotKeyId;
        uint16_t value;
        int checkId;
        const char* checkCaption;
        const app::CheckBox* box;
    };
    // On screen the edit row stands third although its box is the fourth.
    const std::array<Row, 4> rows{{
        {text::kSetHotKeyStart, kIdHotKey1, form_.HotKey1, kIdCheckBox3, text::kSetBeginTips,
         &form_.CheckBox3},
        {text::kSetHotKeyPause, kIdHotKey2, form_.HotKey2, kIdCheckBox6, text::kSetPauseTips,
         &form_.CheckBox6},
        {text::kSetHotKeyEdit, kIdHotKey4, form_.HotKey4, 0, nullptr, nullptr},
        {text::kSetHotKeyStop, kIdHotKey3, form_.HotKey3, kIdCheckBox7, text::kSetEndTips,
         &form_.CheckBox7},
    }};
    int y = 206;
    for (const Row& row : rows) {
        Add(WC_STATICW, row.label, SS_LEFT, {23, y + 2, 32, 15}, -1, p);
        HWND hot =
            Add(HOTKEY_CLASSW, "", WS_TABSTOP, {57, y, 113, 19}, row.hotKeyId, p, WS_EX_CLIENTEDGE);
        // A key alone or with Shift alone counts as the key without modifiers.
        ::SendMessageW(hot, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, 0);
        ::SendMessageW(hot, HKM_SETHOTKEY, app::ShortcutToHotKeyControl(row.value), 0);
        if (row.box) check(row.checkId, row.checkCaption, {180, y + 1, 97, 17}, *row.box);
        y += 26;
    }
    CreateFileTypeRow();
}

void SettingsWindow::CreateFileTypeRow() {
    Add(WC_BUTTONW, text::kSetGroupFileType, BS_GROUPBOX,
        {13, 318 + kAreaRowHeight, 269, kFileTypeRow - 4}, -1, Page::General);
    HWND combo = Add(WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                     {23, 336 + kAreaRowHeight, 160, 100}, kIdFileType, Page::General);
    for (const char* item : {text::kSetFileTypeExe, text::kSetFileTypeMrv})
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(form_.FileType), 0);
}

// 录制范围 and the countdown, on the general page below its other groups.
void SettingsWindow::CreateAreaRow() {
    constexpr Page p = Page::General;
    constexpr int top = 318;
    Add(WC_BUTTONW, text::kSetArea, BS_GROUPBOX, {13, top, 269, kAreaRowHeight - 6}, -1, p);
    HWND combo = Add(WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                     {23, top + 17, 120, 200}, kIdComboArea, p);
    for (const std::string& item : form_.AreaItems())
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(form_.ComboArea), 0);
    HWND countdown = Add(WC_BUTTONW, text::kSetCountdown, BS_AUTOCHECKBOX | WS_TABSTOP,
                         {152, top + 19, 125, 17}, kIdCheckCountdown, p);
    ::SendMessageW(countdown, BM_SETCHECK,
                   form_.CheckBoxCountdown.checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SettingsWindow::CreateAdvancedPage() {
    constexpr Page p = Page::Advanced;
    Add(WC_BUTTONW, text::kSetGroupFrameRate, BS_GROUPBOX, {13, 32, 269, 66}, -1, p);
    HWND combo = Add(WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                     {23, 52, 50, 300}, kIdComboBox1, p);
    for (int i = 1; i <= app::kFrameItems; ++i)
        ::SendMessageW(combo, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(std::to_wstring(i).c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(form_.ComboBox1), 0);
    Add(WC_STATICW, text::kSetFramesPerSecond, SS_LEFT, {78, 55, 40, 15}, -1, p);
    Add(WC_STATICW, text::kSetFrameRateHelp, SS_LEFT, {122, 46, 154, 50}, -1, p);

    AddRadioGroup({{13, 102, 269, 40},
                   text::kSetGroupColor,
                   {text::kSetColor4, text::kSetColor8, text::kSetColor16, text::kSetColor32},
                   kIdRadioGroup1,
                   4},
                  form_.RadioGroup1);
    AddRadioGroup({{13, 146, 269, 40},
                   text::kSetGroupPrecision,
                   {text::kSetPrecisionLow, text::kSetPrecisionMedium, text::kSetPrecisionHigh},
                   kIdRadioGroup3,
                   4},
                  form_.RadioGroup3);
    AddRadioGroup(
        {{13, 190, 269, 40},
         text::kSetGroupSampleRate,
         {text::kSetRate8000, text::kSetRate11025, text::kSetRate22050, text::kSetRate44100},
         kIdRadioGroup2,
         4},
        form_.RadioGroup2);

    Add(WC_BUTTONW, text::kSetGroupFrameEdit, BS_GROUPBOX, {13, 234, 269, 82}, -1, p);
    Add(WC_STATICW, text::kSetEditSleep, SS_LEFT, {23, 253, 110, 15}, -1, p);
    HWND edit = Add(WC_EDITW, "", ES_READONLY | ES_NUMBER | WS_TABSTOP, {135, 250, 40, 21},
                    kIdEdit1, p, WS_EX_CLIENTEDGE);
    HWND upDown =
        Add(UPDOWN_CLASSW, "", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
            {175, 250, 17, 21}, kIdUpDown1, p);
    ::SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    ::SendMessageW(upDown, UDM_SETRANGE32, app::kEditSleepMin, app::kEditSleepMax);
    ::SendMessageW(upDown, UDM_SETPOS32, 0, form_.UpDown1);
    AddRadioGroup({{21, 274, 253, 36},
                   text::kSetGroupEntry,
                   {text::kSetEntryCopy, text::kSetEntryScan},
                   kIdRadioGroup4,
                   2},
                  form_.RadioGroup4);
}

void SettingsWindow::ShowPage(app::SettingsTab tab) {
    for (size_t i = 0; i < pages_.size(); ++i)
        for (HWND w : pages_[i]) ::ShowWindow(w, i == static_cast<size_t>(tab) ? SW_SHOW : SW_HIDE);
}

void SettingsWindow::OnHotKeyChange() {
    form_.HotKey1 =
        app::HotKeyControlToShortcut(LOWORD(::SendMessageW(Item(kIdHotKey1), HKM_GETHOTKEY, 0, 0)));
    form_.HotKey2 =
        app::HotKeyControlToShortcut(LOWORD(::SendMessageW(Item(kIdHotKey2), HKM_GETHOTKEY, 0, 0)));
    form_.HotKey3 =
        app::HotKeyControlToShortcut(LOWORD(::SendMessageW(Item(kIdHotKey3), HKM_GETHOTKEY, 0, 0)));
    form_.HotKey4 =
        app::HotKeyControlToShortcut(LOWORD(::SendMessageW(Item(kIdHotKey4), HKM_GETHOTKEY, 0, 0)));
    form_.HotKey1Change();
    ::EnableWindow(Item(kIdCheckBox3), form_.CheckBox3.enabled);
    ::EnableWindow(Item(kIdCheckBox6), form_.CheckBox6.enabled);
    ::EnableWindow(Item(kIdCheckBox7), form_.CheckBox7.enabled);
}

std::string WindowText(HWND w) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

void SettingsWindow::ShowPathBox() {
    ::SetWindowTextW(Item(kIdEdtPath), Widen(form_.EdtPath).c_str());
    ::InvalidateRect(Item(kIdEdtPath), nullptr, TRUE);
}

// Frees a shell item id list with the shell's allocator.
struct PidlDeleter {
    void operator()(ITEMIDLIST* p) const { ::CoTaskMemFree(p); }
};

void SettingsWindow::Button3Click() {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring prompt = Widen(text::kSetBrowsePrompt);
    BROWSEINFOW info{};
    info.hwndOwner = hwnd_;
    info.lpszTitle = prompt.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    const UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    std::unique_ptr<ITEMIDLIST, PidlDeleter> pidl(::SHBrowseForFolderW(&info));
    ::SetErrorMode(oldMode);
    if (pidl) {
        wchar_t path[MAX_PATH] = {};
        if (::SHGetPathFromIDListW(pidl.get(), path)) {
            form_.FolderChosen(Narrow(path));
            ShowPathBox();
        }
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
}

void SettingsWindow::ReadBack() {
    const auto checked = [&](int id) {
        return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    const auto radio = [&](int firstId, int count, int fallback) {
        for (int i = 0; i < count; ++i)
            if (checked(firstId + i)) return i;
        return fallback;
    };
    form_.EdtName = WindowText(Item(kIdEdtName));
    form_.PathEdited(WindowText(Item(kIdEdtPath)));
    const LRESULT frame = ::SendMessageW(Item(kIdComboBox1), CB_GETCURSEL, 0, 0);
    if (frame >= 0 && frame < app::kFrameItems) form_.ComboBox1 = static_cast<int32_t>(frame);
    form_.RadioGroup1 = radio(kIdRadioGroup1, 4, form_.RadioGroup1);
    form_.RadioGroup2 = radio(kIdRadioGroup2, 4, form_.RadioGroup2);
    form_.RadioGroup3 = radio(kIdRadioGroup3, 3, form_.RadioGroup3);
    form_.RadioGroup4 = radio(kIdRadioGroup4, 2, form_.RadioGroup4);
    form_.UpDown1 = static_cast<int32_t>(::SendMessageW(Item(kIdUpDown1), UDM_GETPOS32, 0, 0));
    const LRESULT fileType = ::SendMessageW(Item(kIdFileType), CB_GETCURSEL, 0, 0);
    if (fileType == 0 || fileType == 1) form_.FileType = static_cast<int32_t>(fileType);
    form_.CheckBox1.checked = checked(kIdCheckBox1);
    form_.CheckBox2.checked = checked(kIdCheckBox2);
    form_.CheckBox3.checked = checked(kIdCheckBox3);
    form_.CheckBox4.checked = checked(kIdCheckBox4);
    form_.CheckBox5.checked = checked(kIdCheckBox5);
    form_.CheckBox6.checked = checked(kIdCheckBox6);
    form_.CheckBox7.checked = checked(kIdCheckBox7);
    const LRESULT area = ::SendMessageW(Item(kIdComboArea), CB_GETCURSEL, 0, 0);
    if (area >= 0) form_.ComboArea = static_cast<int32_t>(area);
    form_.CheckBoxCountdown.checked = checked(kIdCheckCountdown);
    OnHotKeyChange();
}

void SettingsWindow::OnCommand(int id, int code) {
    switch (id) {
        case kIdOk:
            ReadBack();
            End(app::ModalResult::Ok);
            break;
        case kIdCancel:
            End(app::ModalResult::Cancel);
            break;
        case kIdButton3:
            Button3Click();
            break;
        case kIdEdtPath:
            if (code == EN_KILLFOCUS) {
                form_.PathEdited(WindowText(Item(kIdEdtPath)));
                const bool wasEmpty = form_.EdtPath.empty();
                form_.EdtPathExit();
                if (wasEmpty) ShowPathBox();
            }
            break;
        case kIdFileType:
            if (code == CBN_SELCHANGE) {
                // The name box follows the type: MRV_....exe becomes MRV_....mrv.
                form_.EdtName = WindowText(Item(kIdEdtName));
                form_.FileTypeChange(
                    static_cast<int32_t>(::SendMessageW(Item(kIdFileType), CB_GETCURSEL, 0, 0)));
                ::SetWindowTextW(Item(kIdEdtName), Widen(form_.EdtName).c_str());
            }
            break;
        case kIdHotKey1:
        case kIdHotKey2:
        case kIdHotKey3:
        case kIdHotKey4:
            if (code == EN_CHANGE) OnHotKeyChange();
            break;
        default:
            break;  // IDOK and IDCANCEL from Enter and Esc do nothing
    }
}

LRESULT CALLBACK SettingsWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<SettingsWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<SettingsWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->Handle(msg, wp, lp) : ::DefWindowProcW(hwnd, msg, wp, lp);
}

// The pages' labels, check boxes and frames lie on the tab control, whose themed body is not the
// window's colour: painted on the window's grey they were grey squares on a white tab. They take
// the tab's own picture as their background instead, what EnableThemeDialogTexture does for the
// pages of a dialog; this window is not a dialog, so the dialog manager would not act on that.
HBRUSH SettingsWindow::PageBackground(HWND control, HDC dc) {
    const bool onPage = std::any_of(pages_.begin(), pages_.end(), [&](const auto& page) {
        return std::find(page.begin(), page.end(), control) != page.end();
    });
    wchar_t cls[16] = {};
    ::GetClassNameW(control, cls, 16);
    // A read-only edit box asks too, and keeps its own background.
    if (!onPage || ::lstrcmpiW(cls, WC_EDITW) == 0) return nullptr;
    HWND tabs = Item(kIdTabs);
    if (!tabBody_) {
        RECT r{};
        ::GetClientRect(tabs, &r);
        WindowDC screen(tabs);
        UniqueMemoryDC memory(::CreateCompatibleDC(screen.get()));
        UniqueBitmap picture(::CreateCompatibleBitmap(screen.get(), r.right, r.bottom));
        if (!memory || !picture) return nullptr;
        {
            ScopedSelect select(memory.get(), picture.get());
            ::SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()),
                           PRF_CLIENT | PRF_ERASEBKGND);
        }
        // The brush keeps its own copy of the picture.
        tabBody_.reset(::CreatePatternBrush(picture.get()));
    }
    POINT origin{0, 0};  // the tab's corner in the control's coordinates
    ::MapWindowPoints(tabs, control, &origin, 1);
    ::SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    ::SetBkMode(dc, TRANSPARENT);
    return tabBody_.get();
}

LRESULT SettingsWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_NOTIFY:
            if (reinterpret_cast<NMHDR*>(lp)->idFrom == kIdTabs &&
                reinterpret_cast<NMHDR*>(lp)->code == TCN_SELCHANGE)
                ShowPage(static_cast<app::SettingsTab>(
                    ::SendMessageW(Item(kIdTabs), TCM_GETCURSEL, 0, 0)));
            return 0;
        case WM_CTLCOLOREDIT:
            // The path box shows the current-folder marker in grey.
            if (reinterpret_cast<HWND>(lp) == Item(kIdEdtPath)) {
                const uint32_t c = form_.edtPathColor;
                ::SetTextColor(reinterpret_cast<HDC>(wp),
                               RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
                ::SetBkColor(reinterpret_cast<HDC>(wp), ::GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
            }
            break;
        case WM_CTLCOLORSTATIC:
            if (HBRUSH brush =
                    PageBackground(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)))
                return reinterpret_cast<LRESULT>(brush);
            break;
        case WM_THEMECHANGED:
            tabBody_.reset();
            break;
        case WM_CLOSE:
            End(app::ModalResult::Cancel);
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

app::ModalResult SettingsWindow::Run(HWND owner) {
    const INITCOMMONCONTROLSEX icc{
        sizeof icc, ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_HOTKEY_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    ::RegisterClassExW(&wc);  // fails harmlessly when already registered

    {
        WindowDC screen(nullptr);
        dpi_ = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    }
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(8, dpi_, 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    font_.reset(::CreateFontIndirectW(&lf));

    constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    UniqueWindow window(::CreateWindowExW(kExStyle, kClassName, Widen(text::kSetCaption).c_str(),
                                          kStyle, kDesignLeft, kDesignTop, frame.right - frame.left,
                                          frame.bottom - frame.top, owner, nullptr,
                                          ::GetModuleHandleW(nullptr), this));
    if (!window) return app::ModalResult::Cancel;

    CreateControls();
    ::SendMessageW(Item(kIdTabs), TCM_SETCURSEL, static_cast<WPARAM>(form_.activeTab), 0);
    ShowPage(form_.activeTab);

    const bool ownerWasEnabled = owner && !::EnableWindow(owner, FALSE);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetFocus(Item(kIdOk));
    MSG msg;
    while (result_ == app::ModalResult::None) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // leave the quit to the main loop
            result_ = app::ModalResult::Cancel;
            break;
        }
        if (got < 0) break;
        if (!::IsDialogMessageW(hwnd_, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // Enable the owner before the dialog goes, so that it gets the activation back.
    if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
    if (owner) ::SetActiveWindow(owner);
    window.reset();
    hwnd_ = nullptr;
    return result_ == app::ModalResult::None ? app::ModalResult::Cancel : result_;
}

}  // namespace

app::ModalResult ShowSettingsDialog(HWND owner, app::SettingsForm& form) {
    SettingsWindow window(form);
    return window.Run(owner);
}

}  // namespace mrv::win
