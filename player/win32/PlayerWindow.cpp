// The player window: turns messages into the player form's handlers, draws the picture and
// carries out what the form and the save flow ask of the window.
#include "player/win32/PlayerWindow.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "common/Texts.h"
#include "common/win32/WinText.h"
#include "player/Strip.h"
#include "player/win32/AfterSaveIds.h"
#include "player/win32/BarMenu.h"

namespace mrv::player::win {

namespace {
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerMs = 15;
// Posted, so that they run once the handler that found the reason has returned.
constexpr UINT kMsgStartNotice = WM_APP + 1;
constexpr UINT kMsgDamagedRecord = WM_APP + 2;
constexpr UINT kMsgExportProgress = WM_APP + 3;
constexpr UINT kMsgExportEnd = WM_APP + 4;
constexpr wchar_t kClassName[] = L"MorvantaPlayer";

using mrv::win::Widen;

int64_t NowMs() { return static_cast<int64_t>(::GetTickCount64()); }

// The DPI functions of Windows 10; older systems (and the system-aware fallback) use the
// screen's DPI for every window.
int SystemDpi() {
    mrv::win::WindowDC screen(nullptr);
    return screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
}

int DpiOf(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpi && hwnd ? getDpi(hwnd) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : SystemDpi();
}

std::optional<PlayerKey> KeyOf(WPARAM vk) {
    switch (vk) {
        case VK_SPACE:
            return PlayerKey::Space;
        case VK_LEFT:
            return PlayerKey::Left;
        case VK_RIGHT:
            return PlayerKey::Right;
        case VK_HOME:
            return PlayerKey::Home;
        case VK_END:
            return PlayerKey::End;
        case VK_OEM_COMMA:
            return PlayerKey::Comma;
        case VK_OEM_PERIOD:
            return PlayerKey::Period;
        case VK_PRIOR:
            return PlayerKey::PageUp;
        case VK_NEXT:
            return PlayerKey::PageDown;
        case VK_F11:
            return PlayerKey::F11;
        case VK_ESCAPE:
            return PlayerKey::Escape;
        case 'M':
            return PlayerKey::M;
        case 'S':
            return PlayerKey::S;
        case 'I':
            return PlayerKey::I;
        case 'O':
            return PlayerKey::O;
        default:
            return std::nullopt;
    }
}
}  // namespace

PlayerWindow::PlayerWindow(std::span<const uint8_t> stream, StreamReader& reader,
                           playback::Timeline& timeline, const Opening& opening,
                           const std::string& recordingPath, PlayerPreferences& prefs,
                           const TestHooks& hooks, DropHandler onDrop)
    : stream_(stream),
      reader_(reader),
      timeline_(timeline),
      startNotice_(opening.verdict == Verdict::PlayWithNotice ? opening.message : nullptr),
      startNoticeDetail_(opening.detail),
      recordingPath_(recordingPath),
      title_(PlayerTitle(recordingPath, opening.streamOffset)),
      prefs_(prefs),
      hooks_(hooks),
      onDrop_(std::move(onDrop)),
      seeker_(reader, timeline),
      saveView_(stream, prefs, hooks, kMsgExportProgress, kMsgExportEnd),
      saveFlow_(saveView_, recordingPath, prefs.ffmpeg, reader.geometry().width),
      form_(*this, timeline, {prefs.volume, prefs.muted, prefs.speed}, &saveFlow_),
      recovery_(timeline, form_, *this),
      afterSaveView_(hooks),
      afterSave_(afterSaveView_),
      bitmapInfo_(opening.bitmapInfo) {
    AudioRate rate{0, 0};
    if (AudioRateForFormat(reader.header().audioFormat, rate) && timeline.audioBlocks() > 0) {
        audioTimeline_.Build(timeline, rate.samplesPerSec);
        if (decoder_.Open(rate.samplesPerSec, rate.avgBytesPerSec)) {
            audio_ = std::make_unique<WaveOutput>(audioTimeline_, stream_, decoder_);
            // No sound device: the pictures still play, on the system clock.
            if (!audio_->Open()) audio_.reset();
        } else if (!startNotice_) {
            // No codec (Windows N, LTSC): said once, by its name; the pictures play.
            startNotice_ = text::kPlayerNoGsmCodec;
            startNoticeDetail_ = text::kExportNoGsmCodec;
        }
        hooks_.Write("sound %s", audio_ ? "on" : "off");
    }
}

PlayerWindow::~PlayerWindow() {
    saveView_.CancelAndWait();
    if (hwnd_) {
        // Left by an exception: the window must not call into what is being destroyed.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
    if (frameOldBitmap_) ::SelectObject(frameDC_.get(), frameOldBitmap_);
}

int PlayerWindow::Run(HINSTANCE instance, int showCommand) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;  // a double click on the picture toggles full screen
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    wc.hbrBackground = nullptr;  // the picture and the strip paint everything
    wc.lpszClassName = kClassName;
    ::RegisterClassExW(&wc);

    // The window opens on the primary monitor; a monitor of another DPI sends WM_DPICHANGED.
    dpi_ = SystemDpi();
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT work{0, 0, 1024, 768};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame{0, 0, 0, 0};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    const OpenPlace place =
        PlaceOnOpen({reader_.geometry().width, reader_.geometry().height},
                    {work.left, work.top, work.right, work.bottom},
                    {frame.right - frame.left, frame.bottom - frame.top}, dpi_, prefs_.window);
    if (place.state == WindowState::Maximized) showCommand = SW_SHOWMAXIMIZED;

    const std::wstring title = Widen(title_);
    const ScreenRect& r = place.rect;
    hwnd_ = ::CreateWindowExW(0, kClassName, title.c_str(), style, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, nullptr, nullptr, instance, this);
    if (!hwnd_) return exitCode_ != 0 ? exitCode_ : 1;
    ::ShowWindow(hwnd_, showCommand);
    ::UpdateWindow(hwnd_);
    if (place.state == WindowState::FullScreen) form_.SetFullScreen(true);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        try {
            if (RouteKey(msg)) continue;
            // Tab, Enter and Esc in the after-save window, as in a dialog.
            if (afterSaveView_.hwnd() && ::IsDialogMessageW(afterSaveView_.hwnd(), &msg)) {
                continue;
            }
        } catch (const std::bad_alloc&) {
            OutOfMemory();
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return exitCode_ != 0 ? exitCode_ : (incomplete_ ? 1 : 0);
}

// The player's keys work wherever the focus is in its window: they must not press the focused
// button or move the focused bar.
bool PlayerWindow::RouteKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP && msg.message != WM_CHAR) {
        return false;
    }
    if (!hwnd_ || !msg.hwnd) return false;
    const HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    if (saveView_.progressWindow() && root == saveView_.progressWindow()) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) saveFlow_.CancelClick();
        return msg.wParam == VK_ESCAPE;
    }
    if (root != hwnd_) return false;
    if (msg.message == WM_CHAR) {
        // The speed keys are the characters, wherever the layout puts them (AltGr+8 and +9 on
        // a German keyboard); the others were handled at their key-down.
        if (msg.wParam == L'[') return form_.KeyDown(PlayerKey::LeftBracket, false);
        if (msg.wParam == L']') return form_.KeyDown(PlayerKey::RightBracket, false);
        return msg.wParam == L' ' || msg.wParam == 0x1B;
    }
    const std::optional<PlayerKey> key = KeyOf(msg.wParam);
    if (!key) return false;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    if (msg.message == WM_KEYUP) return *key != PlayerKey::S || ctrl;
    return form_.KeyDown(*key, ctrl);
}

LRESULT CALLBACK PlayerWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<PlayerWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PlayerWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
    // No exception may cross the system's frames between here and the message loop.
    try {
        return self->Handle(msg, wp, lp);
    } catch (const std::bad_alloc&) {
        self->OutOfMemory();
        return msg == WM_CREATE ? -1 : 0;
    }
}

LRESULT PlayerWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            return OnCreate() ? 0 : -1;
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_CTLCOLORSTATIC:
            if (HBRUSH brush =
                    strip_.ColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            return ::DefWindowProcW(hwnd_, msg, wp, lp);
        case WM_TIMER:
            OnTimer();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_NOTIFY:
            if (reinterpret_cast<const NMHDR*>(lp)->hwndFrom == strip_.bar() &&
                reinterpret_cast<const NMHDR*>(lp)->code == NM_CUSTOMDRAW) {
                return strip_.CustomDraw(*reinterpret_cast<const NMCUSTOMDRAW*>(lp));
            }
            return ::DefWindowProcW(hwnd_, msg, wp, lp);
        case WM_HSCROLL:
            OnHScroll(wp, reinterpret_cast<HWND>(lp));
            return 0;
        case WM_LBUTTONDBLCLK:
            form_.FullScreenClick();
            return 0;
        case WM_CONTEXTMENU:
            OnContextMenu(reinterpret_cast<HWND>(wp), lp);
            return 0;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wp));
            return 0;
        case kMsgStartNotice:
            OnStartNotice();
            return 0;
        case kMsgDamagedRecord:
            OnDamagedRecord();
            return 0;
        case kMsgExportProgress:
            OnExportProgress();
            return 0;
        case kMsgExportEnd:
            OnExportEnd();
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;  // a log-off never waits for the player
        case WM_ENDSESSION:
            if (wp) OnEndSession();
            return 0;
        case WM_DESTROY:
            ::KillTimer(hwnd_, kTimerId);
            saveView_.CancelAndWait();
            if (audio_) {
                hooks_.Write("audio blocks %lld samples %lld peak %d",
                             static_cast<long long>(audioTimeline_.blocksDecoded()),
                             static_cast<long long>(audio_->samplesQueued()), audio_->peak());
                audio_->Stop();
            }
            RememberPlace();
            ::PostQuitMessage(exitCode_);
            hwnd_ = nullptr;
            return 0;
        default:
            return ::DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

bool PlayerWindow::OnCreate() {
    dpi_ = DpiOf(hwnd_);
    saveView_.Attach(hwnd_, [this] { saveFlow_.CancelClick(); });
    saveView_.SetDpi(dpi_);
    afterSaveView_.Attach(hwnd_, [this](SavedAction action) { afterSave_.Clicked(action); });
    afterSaveView_.SetDpi(dpi_);
    strip_.Create(hwnd_, dpi_, BarProc, reinterpret_cast<DWORD_PTR>(this));
    SetBarRange();

    // The stored picture plus the cursor and clicks are composed off screen at full size.
    mrv::win::WindowDC screen(nullptr);
    frameDC_.reset(::CreateCompatibleDC(screen.get()));
    frameBitmap_.reset(::CreateCompatibleBitmap(screen.get(), reader_.geometry().width,
                                                reader_.geometry().height));
    if (!frameDC_ || !frameBitmap_) {
        exitCode_ = 1;
        hooks_.Write("message no picture memory");
        ::MessageBoxW(nullptr, Widen(text::kPlayerOutOfMemory).c_str(),
                      Widen(text::kAppTitle).c_str(), MB_OK | MB_ICONERROR);
        return false;
    }
    frameOldBitmap_ = ::SelectObject(frameDC_.get(), frameBitmap_.get());
    ::PatBlt(frameDC_.get(), 0, 0, reader_.geometry().width, reader_.geometry().height, BLACKNESS);

    arrow_ = ::LoadCursorW(nullptr, IDC_ARROW);
    ICONINFO info{};
    if (::GetIconInfo(arrow_, &info)) {
        arrowHotSpot_ = {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
        if (info.hbmMask) ::DeleteObject(info.hbmMask);
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
    }

    ::DragAcceptFiles(hwnd_, TRUE);
    ::SetTimer(hwnd_, kTimerId, kTimerMs, nullptr);
    if (hooks_.startPausedAtTick >= 0) {
        form_.Start(false, StartMsOfTick(timeline_, hooks_.startPausedAtTick));
    } else {
        form_.Start(!startNotice_);  // with a notice, playing starts once it has been read
    }
    if (startNotice_) ::PostMessageW(hwnd_, kMsgStartNotice, 0, 0);
#ifdef MRV_PLAYER_TEST_HOOKS
    if (!hooks_.dropPath.empty()) PostTestDrop(hooks_.dropPath);
#endif
    created_ = true;
    return true;
}

void PlayerWindow::SetBarRange() {
    strip_.SetBarRange(form_.barScale(), form_.markers());
    hooks_.Write("markers %zu", form_.markers().size());
}

void PlayerWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    saveView_.SetDpi(dpi_);
    afterSaveView_.SetDpi(dpi_);
    strip_.SetDpi(dpi_);
    ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    hooks_.Write("dpi %d", dpi_);
}

void PlayerWindow::OnSize() {
    RECT rc;
    ::GetClientRect(hwnd_, &rc);
    const int barTop = rc.bottom - StripHeight(dpi_);
    const Size recorded{reader_.geometry().width, reader_.geometry().height};
    const Size fit = FitInto(recorded, {rc.right, std::max(barTop, 0)});
    picture_.left = (rc.right - fit.width) / 2;
    picture_.top = std::max(0, (barTop - fit.height) / 2);
    picture_.right = picture_.left + fit.width;
    picture_.bottom = picture_.top + fit.height;

    strip_.Layout(rc.right, barTop, dpi_);
    ::InvalidateRect(hwnd_, nullptr, FALSE);
    const std::string tip = ScaleTip(recorded, fit);
    strip_.SetScaleTip(tip);

    POINT origin{picture_.left, picture_.top};
    ::ClientToScreen(hwnd_, &origin);
    hooks_.Write("picture %ld %ld %ld %ld", origin.x, origin.y, picture_.right - picture_.left,
                 picture_.bottom - picture_.top);
    hooks_.Write("tip %s", tip.c_str());
    if (hooks_.log) LogControls();
}

void PlayerWindow::LogControls() { hooks_.Write("%s", strip_.Places(StripHeight(dpi_)).c_str()); }

void PlayerWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd_, &ps);
    RECT rc;
    ::GetClientRect(hwnd_, &rc);
    // Black around the picture; the strip below keeps the system's face colour.
    RECT strip = rc;
    strip.top = rc.bottom - StripHeight(dpi_);
    ::FillRect(dc, &strip, ::GetSysColorBrush(COLOR_BTNFACE));
    const HBRUSH black = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    RECT above{0, 0, rc.right, picture_.top};
    RECT left{0, picture_.top, picture_.left, picture_.bottom};
    RECT right{picture_.right, picture_.top, rc.right, picture_.bottom};
    RECT below{0, picture_.bottom, rc.right, strip.top};
    for (const RECT* r : {&above, &left, &right, &below}) ::FillRect(dc, r, black);

    const int w = reader_.geometry().width;
    const int h = reader_.geometry().height;
    const int pw = picture_.right - picture_.left;
    const int ph = picture_.bottom - picture_.top;
    if (frameDC_ && pw > 0 && ph > 0) {
        if (pw == w && ph == h) {
            ::BitBlt(dc, picture_.left, picture_.top, w, h, frameDC_.get(), 0, 0, SRCCOPY);
        } else {
            ::SetStretchBltMode(dc, HALFTONE);
            ::SetBrushOrgEx(dc, 0, 0, nullptr);
            ::StretchBlt(dc, picture_.left, picture_.top, pw, ph, frameDC_.get(), 0, 0, w, h,
                         SRCCOPY);
        }
    }
    ::EndPaint(hwnd_, &ps);
}

// The sound, stretched to the speed and silent when muted, keeps the time while it plays;
// without a device the pictures play on the system's clock.
int64_t PlayerWindow::ElapsedMs() {
    const std::optional<int64_t> sound =
        audio_ ? std::optional<int64_t>(audio_->PlayedMs()) : std::nullopt;
    return clock_.ElapsedMs(sound, NowMs(), form_.sound().speed);
}

void PlayerWindow::RestartClock(bool playing, int64_t fromMs) {
    clock_.Restart(NowMs());
    if (!audio_) return;
    if (playing) {
        audio_->Start(audioTimeline_.SampleAtMs(fromMs));
    } else {
        audio_->Stop();
    }
}

void PlayerWindow::ShowPlaying(bool playing) {
    if (playing == shownPlaying_) return;
    shownPlaying_ = playing;
    strip_.ShowPlaying(playing);
    hooks_.Write("state %s %lld", playing ? "playing" : "paused",
                 static_cast<long long>(form_.Position()));
    if (hooks_.log) LogControls();  // the thumb has moved since the window was sized
}

void PlayerWindow::OnTimer() {
    if (exitCode_ != 0 || noticeOpen_ || recovery_.pending()) return;
    if (audio_) audio_->Pump();
    if (audio_ && form_.playing() && !form_.dragging()) {
        const int64_t elapsed = ElapsedMs();
        if (clock_.SoundStalled(elapsed, NowMs())) {
            // The pictures go on, on the system's clock.
            hooks_.Write("sound stalled at %lld", static_cast<long long>(elapsed));
            audio_.reset();
            form_.ClockReplaced(elapsed);
            return;
        }
    }
    form_.Tick();
}

void PlayerWindow::ReachedEnd(int64_t ms) {
    hooks_.Write("ended %lld", static_cast<long long>(ms));
    if (hooks_.exitAtEnd) ::PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void PlayerWindow::ShowPosition(int64_t ms, bool moveBar) {
    if (recovery_.pending()) return;
    const int32_t record = timeline_.RecordAtMs(ms);
    const int32_t click = timeline_.ClickRecordAtMs(ms);
    if (record != shownRecord_ || click != shownClick_) {
        if (record >= 0 && !ComposeRecord(record, click)) return;
        shownRecord_ = record;
        shownClick_ = click;
        ::InvalidateRect(hwnd_, &picture_, FALSE);
        hooks_.Write("shown record %d tick %lld click %d", record,
                     static_cast<long long>(timeline_.TickAtMs(ms)), click);
    }
    if (moveBar) strip_.SetBarPosition(form_.barScale().PositionOf(ms));
    UpdateLabels(ms);
}

bool PlayerWindow::ComposeRecord(int32_t record, int32_t clickRecord) {
    if (reader_.recordIndex() != record + 1) {
        if (!seeker_.GoTo(record)) {
            if (recovery_.Found()) ::PostMessageW(hwnd_, kMsgDamagedRecord, 0, 0);
            return false;
        }
    }
    const FrameGeometry& g = reader_.geometry();
    HDC dc = frameDC_.get();
    ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(g.width), static_cast<DWORD>(g.height), 0, 0,
                        0, static_cast<UINT>(g.height), reader_.image().data(),
                        reinterpret_cast<const BITMAPINFO*>(bitmapInfo_.data()), DIB_RGB_COLORS);
    const playback::RecordEntry& e = timeline_.records()[static_cast<size_t>(record)];
    if (clickRecord >= 0) {
        // A ring at the press: red for the left button, blue for the right.
        const playback::RecordEntry& c = timeline_.records()[static_cast<size_t>(clickRecord)];
        mrv::win::UniquePen pen(
            ::CreatePen(PS_SOLID, 3, c.click == 1 ? RGB(230, 30, 30) : RGB(30, 90, 230)));
        mrv::win::ScopedSelect usePen(dc, pen.get());
        mrv::win::ScopedSelect useBrush(dc, ::GetStockObject(NULL_BRUSH));
        ::Ellipse(dc, c.cursorX - 14, c.cursorY - 14, c.cursorX + 15, c.cursorY + 15);
    }
    ::DrawIconEx(dc, e.cursorX - arrowHotSpot_.x, e.cursorY - arrowHotSpot_.y, arrow_, 0, 0, 0,
                 nullptr, DI_NORMAL);
    return true;
}

void PlayerWindow::UpdateLabels(int64_t ms) {
    const int64_t seconds = ms / 1000;
    if (seconds == shownLabelSeconds_) return;
    shownLabelSeconds_ = seconds;
    const std::string label = PositionText(ms, form_.totalMs());
    strip_.ShowTime(label);
    hooks_.Write("time %s", label.c_str());
}

void PlayerWindow::OnCommand(int id, int code) {
    switch (id) {
        case kIdPlay:
            form_.PlayClick();
            break;
        case kIdMute:
            form_.MuteClick();
            break;
        case kIdSpeed:
            if (code == CBN_SELCHANGE) {
                const int32_t index = strip_.SpeedIndex();
                if (index >= 0) form_.SpeedChosen(static_cast<Speed>(index + 1));
                ::SetFocus(hwnd_);  // the keys go back to the player
            }
            break;
        case kIdSave:
            form_.SaveAsClick();
            break;
        case kIdFull:
            form_.FullScreenClick();
            break;
        case kIdClose:
            OnClose();
            break;
        default:
            break;
    }
}

void PlayerWindow::OnHScroll(WPARAM wp, HWND control) {
    if (control == strip_.volumeBar()) {
        form_.VolumeChanged(strip_.Volume());
        return;
    }
    const int32_t position = strip_.BarPosition();
    switch (LOWORD(wp)) {
        case TB_THUMBTRACK:
            // While dragging only the picture follows; the sound restarts on release.
            form_.BarTrack(position);
            break;
        case TB_ENDTRACK:
            form_.BarRelease(position);
            hooks_.Write("seek %lld", static_cast<long long>(form_.Position()));
            break;
        default:
            break;
    }
}

// A press beside the thumb puts the thumb under the mouse first, so that the bar jumps there
// (not a page) and the same press drags on from there.
bool PlayerWindow::OnBarMouseDown(LPARAM lp) {
    const POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    RECT thumb{}, channel{};
    ::SendMessageW(strip_.bar(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    if (::PtInRect(&thumb, at)) return false;
    ::SendMessageW(strip_.bar(), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    const int half = (thumb.right - thumb.left) / 2;
    const int32_t position = BarPositionAt(at.x, channel.left + half, channel.right - half,
                                           form_.barScale().maxPosition());
    strip_.SetBarPosition(position);
    form_.BarTrack(position);
    hooks_.Write("bar click %d", position);
    return true;
}

// From the mouse at its place; from the keyboard (Shift+F10) at the thumb.
void PlayerWindow::OnBarMenu(LPARAM lp) {
    POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    if (lp == -1) {
        RECT thumb{};
        ::SendMessageW(strip_.bar(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        at = {thumb.right, thumb.bottom};
        ::ClientToScreen(strip_.bar(), &at);
    }
    hooks_.Write("bar menu");
    if (const std::optional<BarCommand> chosen = ShowBarMenu(hwnd_, at, form_.BarMenuItems())) {
        form_.BarMenuChosen(*chosen);
    }
}

void PlayerWindow::ShowSelection(const Selection& selection) {
    strip_.ShowSelection(form_.barScale(), selection);
    const TimeRange r = selection.range();
    hooks_.Write("selection %lld %lld",
                 selection.marked() ? static_cast<long long>(r.fromMs) : -1LL,
                 selection.marked() ? static_cast<long long>(r.toMs) : -1LL);
}

LRESULT CALLBACK PlayerWindow::BarProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR self) {
    if (msg == WM_LBUTTONDOWN || msg == WM_CONTEXTMENU) {
        try {
            if (msg == WM_CONTEXTMENU) {
                reinterpret_cast<PlayerWindow*>(self)->OnBarMenu(lp);
                return 0;
            }
            reinterpret_cast<PlayerWindow*>(self)->OnBarMouseDown(lp);
        } catch (const std::bad_alloc&) {
            reinterpret_cast<PlayerWindow*>(self)->OutOfMemory();
            return 0;
        }
    }
    return ::DefSubclassProc(bar, msg, wp, lp);
}

void PlayerWindow::SetFullScreen(bool fullScreen) {
    if (fullScreen == fullScreen_) return;
    if (fullScreen) {
        windowedStyle_ = ::GetWindowLongPtrW(hwnd_, GWL_STYLE);
        windowed_.length = sizeof windowed_;
        ::GetWindowPlacement(hwnd_, &windowed_);
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
        ::SetWindowLongPtrW(hwnd_, GWL_STYLE, (windowedStyle_ & ~WS_OVERLAPPEDWINDOW) | WS_POPUP);
        ::SetWindowPos(hwnd_, HWND_TOP, mi.rcMonitor.left, mi.rcMonitor.top,
                       mi.rcMonitor.right - mi.rcMonitor.left,
                       mi.rcMonitor.bottom - mi.rcMonitor.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    } else {
        ::SetWindowLongPtrW(hwnd_, GWL_STYLE, windowedStyle_);
        ::SetWindowPlacement(hwnd_, &windowed_);
        ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    }
    fullScreen_ = fullScreen;
    hooks_.Write("full screen %d", fullScreen_ ? 1 : 0);
    strip_.ShowFullScreen(fullScreen_);
}

void PlayerWindow::ApplySound(const SoundSettings& sound) {
    if (audio_) audio_->SetSound(sound.volumePercent, sound.muted, sound.speed);
    strip_.ShowSound(sound);
    hooks_.Write("sound volume %d muted %d speed %d", sound.volumePercent, sound.muted ? 1 : 0,
                 static_cast<int>(sound.speed) * 50);
}

void PlayerWindow::Fail() {
    if (exitCode_ != 0) return;
    exitCode_ = 1;
    ::KillTimer(hwnd_, kTimerId);
    if (audio_) audio_->Stop();
    hooks_.Write("message damaged: %s", reader_.error().c_str());
    ::MessageBoxW(hwnd_, Widen(text::kPlayerDamaged).c_str(), Widen(text::kAppTitle).c_str(),
                  MB_OK | MB_ICONERROR);
    ::DestroyWindow(hwnd_);
}

void PlayerWindow::OnStartNotice() {
    ShowNotice(startNotice_, startNoticeDetail_);
    if (hwnd_ && hooks_.startPausedAtTick < 0 && !form_.playing()) form_.PlayClick();
}

void PlayerWindow::OnDamagedRecord() { recovery_.Recover(reader_.recordIndex(), reader_.error()); }

void PlayerWindow::StopSound() {
    if (audio_) audio_->Stop();
}

void PlayerWindow::TimelineShortened() {
    if (audio_) audioTimeline_.Build(timeline_, audioTimeline_.sampleRate());
    SetBarRange();
    shownLabelSeconds_ = -1;  // the length has changed
}

void PlayerWindow::ShowDamagedNotice(const std::string& detail) {
    ShowNotice(text::kPlayerDamagedNotice, detail);
}

void PlayerWindow::ShowEnd(int64_t ms) {
    if (!hwnd_) return;  // closed while the notice was up
    ShowPosition(ms, true);
    ReachedEnd(ms);
}

void PlayerWindow::ShowNotice(const char* message, const std::string& detail) {
    incomplete_ = true;
    hooks_.Write("notice %s", detail.c_str());
    noticeOpen_ = true;
    ::MessageBoxW(hwnd_, Widen(message).c_str(), Widen(text::kAppTitle).c_str(),
                  MB_OK | MB_ICONINFORMATION);
    noticeOpen_ = false;
}

void PlayerWindow::OnDropFiles(HDROP drop) {
    std::wstring path(::DragQueryFileW(drop, 0, nullptr, 0), L'\0');
    if (!path.empty()) ::DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size() + 1));
    ::DragFinish(drop);
    if (path.empty() || !onDrop_ || saveView_.running()) return;
    const bool wasPlaying = form_.playing();
    if (wasPlaying) form_.PlayClick();
    Opening refusal;
    if (onDrop_(path, refusal)) {
        hooks_.Write("dropped recording opens");
        ::DestroyWindow(hwnd_);  // the dropped recording plays in a window of its own
        return;
    }
    hooks_.Write("message %s", refusal.detail.c_str());
    ::MessageBoxW(hwnd_, Widen(refusal.message).c_str(), Widen(text::kAppTitle).c_str(),
                  MB_OK | MB_ICONERROR);
    if (wasPlaying && hwnd_) form_.PlayClick();
}

// The tests' stand-in for a drop from Explorer: the same message with the same kind of handle.
void PlayerWindow::PostTestDrop(const std::wstring& path) {
    const size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GHND, bytes);
    if (!memory) return;
    auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(reinterpret_cast<uint8_t*>(files) + sizeof(DROPFILES), path.c_str(),
                path.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    ::PostMessageW(hwnd_, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

// The window's normal rectangle, whatever state it is in, and the sound as the user left them.
void PlayerWindow::RememberPlace() {
    const SoundSettings& sound = form_.sound();
    prefs_.volume = sound.volumePercent;
    prefs_.muted = sound.muted;
    prefs_.speed = sound.speed;
    WINDOWPLACEMENT place{};
    place.length = sizeof place;
    if (fullScreen_) {
        place = windowed_;
    } else if (!::GetWindowPlacement(hwnd_, &place)) {
        return;
    }
    // The normal position is in work-area coordinates; the stored one is on the screen.
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoW(::MonitorFromRect(&place.rcNormalPosition, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT& r = place.rcNormalPosition;
    prefs_.window =
        PlaceToKeep({r.left, r.top, r.right, r.bottom}, mi.rcWork.left - mi.rcMonitor.left,
                    mi.rcWork.top - mi.rcMonitor.top,
                    fullScreen_                         ? WindowState::FullScreen
                    : place.showCmd == SW_SHOWMAXIMIZED ? WindowState::Maximized
                                                        : WindowState::Normal);
}

// Closing while saving cancels the save, which removes what it had written, first.
void PlayerWindow::OnClose() {
    saveView_.CancelAndWait();
    ::DestroyWindow(hwnd_);
}

// The process may end as soon as this returns: an export in progress is cancelled, which
// removes its staged files, and a kept one is removed, before it does.
void PlayerWindow::OnEndSession() {
    hooks_.Write("session ending");
    saveFlow_.Abandon();  // also a finished file kept while its target is in use
    saveView_.CancelAndWait();
}

void PlayerWindow::OutOfMemory() {
    if (exitCode_ != 0) return;
    exitCode_ = 1;
    if (hwnd_) ::KillTimer(hwnd_, kTimerId);
    if (audio_) audio_->Stop();
    saveView_.CancelAndWait();
    hooks_.Write("message out of memory");
    ::MessageBoxW(hwnd_, Widen(text::kPlayerOutOfMemory).c_str(), Widen(text::kAppTitle).c_str(),
                  MB_OK | MB_ICONERROR);
    if (hwnd_ && created_) ::DestroyWindow(hwnd_);
}

void PlayerWindow::OnExportProgress() { saveFlow_.Progressed(saveView_.TakeProgress()); }

void PlayerWindow::OnExportEnd() {
    const ExportResult result = saveView_.Finish();
    form_.ExportFinished(result);
    afterSave_.ExportEnded(saveFlow_.outcome(), saveView_.output());
}

// The strip's menu (the picture's too): the recording itself on the clipboard as a file. The
// position bar keeps its own.
void PlayerWindow::OnContextMenu(HWND from, LPARAM lp) {
    if (from == strip_.bar()) return;
    POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    if (lp == -1) {  // from the keyboard: at the strip's left
        RECT rc{};
        ::GetClientRect(hwnd_, &rc);
        at = {0, rc.bottom - StripHeight(dpi_)};
        ::ClientToScreen(hwnd_, &at);
    }
    mrv::win::UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return;
    ::AppendMenuW(menu.get(), MF_STRING, kIdMenuCopyRecording,
                  Widen(text::kPlayerSavedCopy).c_str());
    hooks_.Write("menu at %ld %ld", at.x, at.y);
    const UINT chosen = ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0,
                                         hwnd_, nullptr);
    if (chosen == kIdMenuCopyRecording) afterSave_.CopyRecording(recordingPath_);
}

}  // namespace mrv::player::win
