// Win32 edge of TFrmMain: creates the controls, turns messages into the form's handlers and
// carries out what the form asks of its window.
#include "app/win32/MainWindowView.h"

#include <windowsx.h>

#include <cstdint>
#include <vector>

#include "app/win32/AreaPickerView.h"
#include "app/win32/AreaSystem.h"
#include "app/win32/SettingsDialog.h"
#include "app/win32/SettingsFolders.h"
#include "common/Texts.h"
#include "common/win32/WinText.h"

namespace mrv::win {

namespace {

constexpr wchar_t kClassName[] = L"TFrmMain";
constexpr UINT_PTR kTimerId = 1;
constexpr int kIdToolButton1 = 101;  // ..104 for the four command buttons
constexpr int kIdToolBar = 100;
constexpr int kIdSpeedButton6 = 201;
constexpr int kIdSpeedButton5 = 202;
constexpr int kIdSpeedButton4 = 203;
constexpr int kIdLabel1 = 301;
constexpr int kIdLabel2 = 302;
constexpr int kIdMenuItem = 401;  // ..406 in the order of app::MenuItem
constexpr int kImages = 7;        // Start, Pause, Edit, Stop, About, Minimise, Exit
constexpr int kImageSize = 16;

// The display's labels inside Panel2, in 96-DPI units of the window.
constexpr Extent kLabel2{app::kPanel2.left + 8, app::kPanel2.top + 5, 70, 13};
constexpr Extent kLabel1{app::kPanel2.left + 80, app::kPanel2.top + 5, 68, 13};

int ScreenDpi() {
    WindowDC screen(nullptr);
    return screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
}

}  // namespace

MainWindowView::MainWindowView(HINSTANCE instance)
    : instance_(instance),
      place_(SettingsPlaceForProgram()),
      ini_(Widen(place_.iniPath)),
      seedIni_(Widen(place_.seedIniPath)),
      layeredIni_(ini_, place_.seedIniPath.empty() ? nullptr : &seedIni_) {}

MainWindowView::~MainWindowView() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

bool MainWindowView::Create(int showCommand) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance_;
    wc.hIcon = ::LoadIconW(instance_, L"MAINICON");
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExW(&wc)) return false;

    // The manifest makes the process DPI aware: sizes are 96-DPI units scaled to the display.
    // Places on the screen are not: the design place, like a stored one, is in screen pixels.
    dpi_ = ScreenDpi();
    // The task bar shows the window's text, which is the application's title.
    hwnd_ = ::CreateWindowExW(WS_EX_APPWINDOW, kClassName, Widen(text::kAppTitle).c_str(),
                              WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX, app::kDesignLeft,
                              app::kDesignTop, Scale(app::kPanel1.width),
                              Scale(app::kPanel1.height), nullptr, nullptr, instance_, this);
    if (!hwnd_) return false;
    ::ShowWindow(hwnd_, showCommand);
    ::UpdateWindow(hwnd_);
    return true;
}

LRESULT CALLBACK MainWindowView::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<MainWindowView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindowView*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->HandleMessage(msg, wParam, lParam);
}

LRESULT MainWindowView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
        form_->TaskbarCreated();
        return 0;
    }
    switch (msg) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_LBUTTONDOWN:
            OnMouseDown(app::MouseButton::Left, lParam);
            return 0;
        case WM_RBUTTONDOWN:
            OnMouseDown(app::MouseButton::Right, lParam);
            return 0;
        case WM_MBUTTONDOWN:
            OnMouseDown(app::MouseButton::Middle, lParam);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(lParam);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            OnMouseUp();
            return 0;
        case WM_CAPTURECHANGED:
            form_->Panel1MouseUp();
            return 0;
        case WM_TIMER:
            if (wParam == kTimerId) form_->Timer1Timer();
            return 0;
        case WM_HOTKEY:
            form_->WMHotKey(static_cast<int32_t>(wParam));
            return 0;
        case desktop::kTrayCallbackMessage:
            form_->TrayMessage(static_cast<uint32_t>(lParam));
            return 0;
        case WM_DRAWITEM:
            OnDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, RGB(255, 255, 255));
            ::SetBkColor(dc, RGB(0, 0, 0));
            return reinterpret_cast<LRESULT>(black_.get());
        }
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_QUERYENDSESSION:
            return form_->FormQueryEndSession() ? TRUE : FALSE;
        case WM_ENDSESSION:
            // The process may be ended at any moment after this returns.
            if (wParam) {
                form_->FormEndSession(true);
                ::DestroyWindow(hwnd_);
            }
            return 0;
        case WM_DESTROY:
            hwnd_ = nullptr;
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

RECT MainWindowView::ScaledRect(const Extent& r) const {
    return RECT{Scale(r.left), Scale(r.top), Scale(r.left + r.width), Scale(r.top + r.height)};
}

HWND MainWindowView::CreateChild(const wchar_t* cls, const std::wstring& text, DWORD style,
                                 const Extent& place, int id) {
    const RECT r = ScaledRect(place);
    HWND child =
        ::CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                          r.right - r.left, r.bottom - r.top, hwnd_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return child;
}

void MainWindowView::AddTool(HWND control, const std::wstring& tip) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<wchar_t*>(tip.c_str());
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void MainWindowView::OnCreate() {
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(8, dpi_, 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, L"Tahoma");
    font_.reset(::CreateFontIndirectW(&lf));
    black_.reset(::CreateSolidBrush(RGB(0, 0, 0)));

    images_.reset(::ImageList_Create(kImageSize, kImageSize, ILC_COLOR24 | ILC_MASK, kImages, 0));
    UniqueBitmap strip(static_cast<HBITMAP>(
        ::LoadImageW(instance_, L"IMAGES", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ::ImageList_AddMasked(images_.get(), strip.get(), RGB(255, 0, 255));

    // ToolBar1: four grouped check buttons and an 8-pixel separator.
    toolBar_ = CreateChild(
        TOOLBARCLASSNAMEW, L"",
        TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
        app::kToolBar1, kIdToolBar);
    ::SendMessageW(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.get()));
    ::SendMessageW(toolBar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(Scale(23), Scale(22)));
    TBBUTTON buttons[5] = {};
    for (int i = 0; i < 4; ++i) {
        buttons[i].iBitmap = i;
        buttons[i].idCommand = kIdToolButton1 + i;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_CHECKGROUP;
    }
    buttons[4].iBitmap = Scale(8);
    buttons[4].fsStyle = BTNS_SEP;
    ::SendMessageW(toolBar_, TB_ADDBUTTONSW, 5, reinterpret_cast<LPARAM>(buttons));

    // Panel2's labels; statics let mouse clicks through to the window, which ignores them there.
    label2_ = CreateChild(L"STATIC", Widen(text::kInitialClock), SS_LEFT, kLabel2, kIdLabel2);
    label1_ = CreateChild(L"STATIC", Widen(text::kInitialSize), SS_LEFT, kLabel1, kIdLabel1);

    // The picture buttons keep their hints as their texts.
    HWND about = CreateChild(L"BUTTON", Widen(text::kHintAbout), BS_OWNERDRAW, app::kSpeedButton6,
                             kIdSpeedButton6);
    HWND minimise = CreateChild(L"BUTTON", Widen(text::kHintMinimise), BS_OWNERDRAW,
                                app::kSpeedButton5, kIdSpeedButton5);
    HWND exit = CreateChild(L"BUTTON", Widen(text::kHintExit), BS_OWNERDRAW, app::kSpeedButton4,
                            kIdSpeedButton4);
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                                 nullptr, instance_, nullptr);
    AddTool(about, Widen(text::kHintAbout));
    AddTool(minimise, Widen(text::kHintMinimise));
    AddTool(exit, Widen(text::kHintExit));

    for (int i = 0; i < 4; ++i) menuImages_[i].reset(MenuImage(i));
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");

    hotKeys_ = std::make_unique<Win32HotKeys>(hwnd_);
    tray_ = std::make_unique<Win32Tray>(hwnd_, instance_);
    ProgramFiles files = ProgramFilesBesideProgram();
    files.iniPath = place_.iniPath;
    form_ = std::make_unique<app::FrmMain>(*this, layeredIni_, *hotKeys_, *tray_, std::move(files),
                                           &editCommand_);
    form_->SetRecordingsFolder(place_.recordingsFolder);
    timer_ = std::make_unique<WindowTimer>(hwnd_, kTimerId);
    RecorderPlatform platform{screen_, clock_,  cursor_, mouseHook_,        files_,
                              audio_,  *timer_, *form_,  DecimalSeparator()};
    platform.compressionThreadStart = LowerThisThreadPriority;
    recorder_ = std::make_unique<Recorder>(std::move(platform));
    form_->AttachRecorder(*recorder_);
    form_->FormCreate();
}

HBITMAP MainWindowView::MenuImage(int index) {
    // Themed menus paint their own background under item images: a 32-bit image with
    // premultiplied alpha lies on it as drawn, an opaque one is a square of COLOR_MENU.
    UniqueBitmap strip(static_cast<HBITMAP>(
        ::LoadImageW(instance_, L"IMAGES", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP size{};
    if (!strip || !::GetObjectW(strip.get(), sizeof size, &size)) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.bmWidth;
    info.bmiHeader.biHeight = -size.bmHeight;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(size.bmWidth) * size.bmHeight);
    WindowDC screen(nullptr);
    if (!::GetDIBits(screen.get(), strip.get(), 0, static_cast<UINT>(size.bmHeight), pixels.data(),
                     &info, DIB_RGB_COLORS)) {
        return nullptr;
    }
    info.bmiHeader.biWidth = kImageSize;
    info.bmiHeader.biHeight = -kImageSize;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    auto* out = static_cast<uint32_t*>(bits);
    for (int y = 0; y < kImageSize && y < size.bmHeight; ++y) {
        for (int x = 0; x < kImageSize; ++x) {
            const uint32_t c =
                pixels[static_cast<size_t>(y) * size.bmWidth + index * kImageSize + x] & 0xFFFFFF;
            // Magenta is the strip's transparent colour; the rest is opaque, so premultiplied
            // it stays as it is.
            out[y * kImageSize + x] = c == 0xFF00FF ? 0 : 0xFF000000 | c;
        }
    }
    return bitmap;
}

void MainWindowView::OnCommand(int id) {
    if (id >= kIdToolButton1 && id < kIdToolButton1 + 4) {
        form_->ToolBarClick(static_cast<app::ToolButton>(id - kIdToolButton1));
    } else if (id >= kIdMenuItem && id < kIdMenuItem + app::kMenuCommands) {
        form_->MenuClick(static_cast<app::MenuItem>(id - kIdMenuItem));
    } else if (id == kIdSpeedButton6) {
        form_->SpeedButton6Click();
    } else if (id == kIdSpeedButton5) {
        form_->SpeedButton5Click();
    } else if (id == kIdSpeedButton4) {
        form_->SpeedButton4Click();
    }
}

void MainWindowView::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd_, &ps);
    RECT panel1 = ScaledRect(app::kPanel1);
    ::DrawEdge(dc, &panel1, BDR_RAISEDINNER, BF_RECT);
    RECT panel2 = ScaledRect(app::kPanel2);
    ::FillRect(dc, &panel2, black_.get());
    ::DrawEdge(dc, &panel2, BDR_SUNKENOUTER, BF_RECT);
    ::EndPaint(hwnd_, &ps);
}

void MainWindowView::OnDrawItem(const DRAWITEMSTRUCT& item) {
    int image = 4;
    if (item.CtlID == kIdSpeedButton5) image = 5;
    if (item.CtlID == kIdSpeedButton4) image = 6;
    RECT r = item.rcItem;
    ::FillRect(item.hDC, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    if (pressed) ::DrawEdge(item.hDC, &r, BDR_SUNKENOUTER, BF_RECT);
    const int x = (r.right - r.left - kImageSize) / 2 + (pressed ? 1 : 0);
    const int y = (r.bottom - r.top - kImageSize) / 2 + (pressed ? 1 : 0);
    ::ImageList_Draw(images_.get(), image, item.hDC, x, y, ILD_TRANSPARENT);
}

void MainWindowView::OnMouseDown(app::MouseButton button, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    // Only the uncovered surface of Panel1 drags; the display's labels let clicks through.
    if (!app::IsBarePanel(::MulDiv(x, 96, dpi_), ::MulDiv(y, 96, dpi_))) return;
    form_->Panel1MouseDown(button, x, y);
    if (form_->dragging()) ::SetCapture(hwnd_);
}

void MainWindowView::OnMouseMove(LPARAM lParam) {
    form_->Panel1MouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

void MainWindowView::OnMouseUp() {
    form_->Panel1MouseUp();
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
}

void MainWindowView::OnClose() {
    // Exit, a missing stub and a close request from outside all end here.
    form_->FormClose();
    ::DestroyWindow(hwnd_);
}

int MainWindowView::MessageBox(const std::string& text, const std::string& caption,
                               uint32_t flags) {
    return ::MessageBoxW(hwnd_, Widen(text).c_str(), Widen(caption).c_str(), flags);
}

void MainWindowView::PressButton(app::ToolButton button) {
    for (int i = 0; i < 4; ++i) {
        const bool pressed = i == static_cast<int>(button);
        ::SendMessageW(toolBar_, TB_CHECKBUTTON, kIdToolButton1 + i, MAKELPARAM(pressed, 0));
    }
}

void MainWindowView::SetEditEnabled(bool enabled) {
    ::SendMessageW(toolBar_, TB_ENABLEBUTTON, kIdToolButton1 + 2, MAKELPARAM(enabled, 0));
}

void MainWindowView::ShowLabels(const std::string& label1, const std::string& label2) {
    ::SetWindowTextW(label1_, Widen(label1).c_str());
    ::SetWindowTextW(label2_, Widen(label2).c_str());
}

void MainWindowView::MoveWindow(int32_t left, int32_t top) {
    ::SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

ScreenSize MainWindowView::WindowSize() {
    return {Scale(app::kPanel1.width), Scale(app::kPanel1.height)};
}

std::vector<Extent> MainWindowView::Screens() {
    std::vector<Extent> screens;
    ::EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR, HDC, RECT* r, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<Extent>*>(list)->push_back(
                {r->left, r->top, r->right - r->left, r->bottom - r->top});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&screens));
    return screens;
}

void MainWindowView::HideWindow() { ::ShowWindow(hwnd_, SW_HIDE); }

void MainWindowView::ShowWindowInFront() {
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
}

void MainWindowView::CloseWindow() { ::PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void MainWindowView::OpenTrayMenu(const app::TrayMenuModel& model) {
    ::SetForegroundWindow(hwnd_);
    POINT at{};
    ::GetCursorPos(&at);
    UniqueMenu menu(::CreatePopupMenu());
    struct Entry {
        app::MenuItem item;
        const char* text;
        int image;
    };
    const Entry entries[] = {
        {app::MenuItem::About1, text::kMenuAbout, -1}, {app::MenuItem::N2, text::kMenuStart, 0},
        {app::MenuItem::N4, text::kMenuPause, 1},      {app::MenuItem::N5, text::kMenuEdit, 2},
        {app::MenuItem::N3, text::kMenuStop, 3},       {app::MenuItem::Exit1, text::kMenuExit, -1}};
    for (const Entry& entry : entries) {
        const size_t index = static_cast<size_t>(entry.item);
        if (entry.item == app::MenuItem::Exit1) ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        std::string label = entry.text;
        if (!model.shortcut[index].empty()) label += "\t" + model.shortcut[index];
        const UINT flags = MF_STRING | (model.enabled[index] ? MF_ENABLED : MF_GRAYED);
        ::AppendMenuW(menu.get(), flags, kIdMenuItem + index, Widen(label).c_str());
        if (entry.image >= 0) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_BITMAP;
            info.hbmpItem = menuImages_[entry.image].get();
            ::SetMenuItemInfoW(menu.get(), kIdMenuItem + index, FALSE, &info);
        }
        if (entry.item == app::MenuItem::About1)
            ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    }
    const int chosen = ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0,
                                        hwnd_, nullptr);
    // Lets the menu close properly when the user clicks elsewhere.
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);
    // The command runs once the tray message has been handled.
    if (chosen != 0) ::PostMessageW(hwnd_, WM_COMMAND, chosen, 0);
}

app::ModalResult MainWindowView::ShowSettingsDialog(app::SettingsForm& form) {
    return win::ShowSettingsDialog(hwnd_, form);
}

std::vector<Monitor> MainWindowView::Monitors() { return EnumerateMonitors(); }

mrv::Rect MainWindowView::VirtualScreen() { return VirtualScreenRect(); }

std::optional<mrv::Rect> MainWindowView::PickArea(app::PickMode mode,
                                                  const std::optional<mrv::Rect>& lastRegion,
                                                  int bitsPerPixel) {
    // What the settings dialog covered repaints before the still is taken.
    LetTheScreenRepaint();
    app::PickerSetup setup;
    setup.mode = mode;
    setup.virtualScreen = VirtualScreenRect();
    setup.monitors = EnumerateMonitors();
    // Taken before the picker covers them; the tool bar, when on screen, is a window too.
    setup.windows = WindowFrames();
    setup.lastRegion = lastRegion;
    setup.bitsPerPixel = bitsPerPixel;
    return RunAreaPicker(instance_, std::move(setup));
}

bool MainWindowView::RunCountdown(const std::optional<mrv::Rect>& area) {
    if (area) return win::RunCountdown(instance_, *area);
    return win::RunCountdown(instance_, mrv::Rect{0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                                                  ::GetSystemMetrics(SM_CYSCREEN)});
}

app::LocalTime MainWindowView::Now() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::string MainWindowView::ProgramFolder() { return Narrow(win::ProgramFolder()); }

bool MainWindowView::FolderExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

mrv::ErrorText MainWindowView::CreateFolder(const std::string& path) {
    if (::CreateDirectoryW(Widen(path).c_str(), nullptr)) return std::nullopt;
    const DWORD code = ::GetLastError();
    return std::string(text::kCannotCreateFolder) + "\"" + path + "\". " + win::ErrorText(code);
}

}  // namespace mrv::win
