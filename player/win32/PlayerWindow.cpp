// The player window: a thin view over the time line, the seeker and the playback state.
#include "player/win32/PlayerWindow.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <new>

#include "common/PubUtils.h"
#include "common/Texts.h"
#include "common/win32/WinText.h"

namespace mrv::player::win {

namespace {
constexpr int kBarHeight = 34;
constexpr int kMinClientWidth = 520;
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerMs = 15;
constexpr DWORD kAudioStallMs = 2000;
enum ControlId { kIdPlay = 101, kIdBar, kIdTime, kIdFull, kIdClose };
// Posted, so that they run once the handler that found the reason has returned.
constexpr UINT kMsgStartNotice = WM_APP + 1;
constexpr UINT kMsgDamagedRecord = WM_APP + 2;
constexpr wchar_t kClassName[] = L"MorvantaPlayer";
}  // namespace

void TestHooks::Write(const char* format, ...) const {
    if (!log) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(log, format, args);
    va_end(args);
    std::fputc('\n', log);
    std::fflush(log);
}

PlayerWindow::PlayerWindow(std::span<const uint8_t> stream, StreamReader& reader,
                           Timeline& timeline, const Opening& opening, const TestHooks& hooks,
                           DropHandler onDrop)
    : stream_(stream),
      reader_(reader),
      timeline_(timeline),
      startNotice_(opening.verdict == Verdict::PlayWithNotice ? opening.message : nullptr),
      startNoticeDetail_(opening.detail),
      hooks_(hooks),
      onDrop_(std::move(onDrop)),
      seeker_(reader, timeline),
      playback_(timeline.pacing().totalMs),
      barScale_(playback_.totalMs()) {
    AudioRate rate{0, 0};
    if (AudioRateForFormat(reader.header().audioFormat, rate) && timeline.audioBlocks() > 0) {
        audioTimeline_.Build(timeline, rate.samplesPerSec);
        if (decoder_.Open(rate.samplesPerSec, rate.avgBytesPerSec)) {
            audio_ = std::make_unique<WaveOutput>(audioTimeline_, stream_, decoder_);
            // No sound device: the pictures still play, on the system clock.
            if (!audio_->Open()) audio_.reset();
        }
        hooks_.Write("sound %s", audio_ ? "on" : "off");
    }
    // Our own copy of the bitmap info, aligned, with the fields GDI must not trust cleared:
    // a hostile colour count would make it read past the table.
    bitmapInfo_.assign(reader.bitmapInfo().begin(), reader.bitmapInfo().end());
    std::fill(bitmapInfo_.begin() + 20, bitmapInfo_.begin() + 24, 0);  // biSizeImage
    std::fill(bitmapInfo_.begin() + 32, bitmapInfo_.begin() + 40, 0);  // biClrUsed, biClrImportant
}

PlayerWindow::~PlayerWindow() {
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
    wc.hbrBackground = nullptr;  // the picture and the bar paint everything
    wc.lpszClassName = kClassName;
    ::RegisterClassExW(&wc);

    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT work{0, 0, 1024, 768};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame{0, 0, 0, 0};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int frameW = frame.right - frame.left;
    const int frameH = frame.bottom - frame.top;
    const Size fit =
        FitInto({reader_.geometry().width, reader_.geometry().height},
                {work.right - work.left - frameW, work.bottom - work.top - frameH - kBarHeight});
    const int width = std::max(fit.width, kMinClientWidth) + frameW;
    const int height = fit.height + kBarHeight + frameH;
    const int x = work.left + std::max<int>(0, (work.right - work.left - width) / 2);
    const int y = work.top + std::max<int>(0, (work.bottom - work.top - height) / 2);

    const std::wstring title = mrv::win::Widen(text::kPlayerTitle);
    hwnd_ = ::CreateWindowExW(0, kClassName, title.c_str(), style, x, y, width, height, nullptr,
                              nullptr, instance, this);
    if (!hwnd_) return exitCode_ != 0 ? exitCode_ : 1;
    ::ShowWindow(hwnd_, showCommand);
    ::UpdateWindow(hwnd_);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Space toggles playing wherever the focus is; it must not press the focused button.
        if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR) &&
            (msg.wParam == VK_SPACE || msg.wParam == VK_ESCAPE || msg.wParam == VK_F11)) {
            try {
                if (msg.message == WM_KEYDOWN && hwnd_) OnKeyDown(msg.wParam);
            } catch (const std::bad_alloc&) {
                OutOfMemory();
            }
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return exitCode_ != 0 ? exitCode_ : (incomplete_ ? 1 : 0);
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
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_TIMER:
            OnTimer();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp));
            return 0;
        case WM_HSCROLL:
            OnHScroll(wp);
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wp);
            return 0;
        case WM_LBUTTONDBLCLK:
            ToggleFullScreen();
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
        case WM_DESTROY:
            ::KillTimer(hwnd_, kTimerId);
            if (audio_) {
                hooks_.Write("audio blocks %lld samples %lld peak %d",
                             static_cast<long long>(audioTimeline_.blocksDecoded()),
                             static_cast<long long>(audio_->samplesQueued()), audio_->peak());
                audio_->Stop();
            }
            ::PostQuitMessage(exitCode_);
            hwnd_ = nullptr;
            return 0;
        default:
            return ::DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

bool PlayerWindow::OnCreate() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font_.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    auto make = [&](const wchar_t* cls, const std::string& label, DWORD style, int id) {
        HWND w = ::CreateWindowExW(
            0, cls, mrv::win::Widen(label).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10,
            hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
        return w;
    };
    playButton_ = make(L"BUTTON", text::kPlayerPlay, BS_PUSHBUTTON | WS_TABSTOP, kIdPlay);
    timeLabel_ = make(L"STATIC", "", SS_CENTER | SS_CENTERIMAGE, kIdTime);
    bar_ = make(TRACKBAR_CLASSW, "", TBS_HORZ | TBS_NOTICKS | WS_TABSTOP, kIdBar);
    fullButton_ = make(L"BUTTON", text::kPlayerFullScreen, BS_PUSHBUTTON | WS_TABSTOP, kIdFull);
    closeButton_ = make(L"BUTTON", text::kPlayerClose, BS_PUSHBUTTON | WS_TABSTOP, kIdClose);
    SetBarRange();

    // The stored picture plus the cursor and clicks are composed off screen at full size.
    mrv::win::WindowDC screen(nullptr);
    frameDC_.reset(::CreateCompatibleDC(screen.get()));
    frameBitmap_.reset(::CreateCompatibleBitmap(screen.get(), reader_.geometry().width,
                                                reader_.geometry().height));
    if (!frameDC_ || !frameBitmap_) {
        exitCode_ = 1;
        hooks_.Write("message no picture memory");
        ::MessageBoxW(nullptr, mrv::win::Widen(text::kPlayerOutOfMemory).c_str(),
                      mrv::win::Widen(text::kAppTitle).c_str(), MB_OK | MB_ICONERROR);
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
        ShowPosition(timeline_.MsOfTick(hooks_.startPausedAtTick));
    } else if (startNotice_) {
        ShowPosition(0);  // playing starts once the notice has been read
    } else {
        TogglePlay();
        ShowPosition(0);
    }
    if (startNotice_) ::PostMessageW(hwnd_, kMsgStartNotice, 0, 0);
#ifdef MRV_PLAYER_TEST_HOOKS
    if (!hooks_.dropPath.empty()) PostTestDrop(hooks_.dropPath);
#endif
    created_ = true;
    return true;
}

void PlayerWindow::SetBarRange() {
    barScale_ = BarScale(playback_.totalMs());
    ::SendMessageW(bar_, TBM_SETRANGEMIN, FALSE, 0);
    ::SendMessageW(bar_, TBM_SETRANGEMAX, TRUE, barScale_.maxPosition());
    ::SendMessageW(bar_, TBM_SETPAGESIZE, 0, barScale_.pageSize());
}

void PlayerWindow::OnSize() {
    RECT rc;
    ::GetClientRect(hwnd_, &rc);
    const int barTop = rc.bottom - kBarHeight;
    const Size fit = FitInto({reader_.geometry().width, reader_.geometry().height},
                             {rc.right, std::max(barTop, 0)});
    picture_.left = (rc.right - fit.width) / 2;
    picture_.top = std::max(0, (barTop - fit.height) / 2);
    picture_.right = picture_.left + fit.width;
    picture_.bottom = picture_.top + fit.height;

    const int y = barTop + 4;
    const int h = kBarHeight - 8;
    int x = 4;
    ::MoveWindow(playButton_, x, y, 64, h, TRUE);
    x += 68;
    ::MoveWindow(timeLabel_, x, y, 140, h, TRUE);
    x += 144;
    const int right = rc.right - 4 - 56 - 4 - 72 - 4;
    ::MoveWindow(bar_, x, y, std::max(right - x, 40), h, TRUE);
    ::MoveWindow(fullButton_, rc.right - 4 - 56 - 4 - 72, y, 72, h, TRUE);
    ::MoveWindow(closeButton_, rc.right - 4 - 56, y, 56, h, TRUE);
    ::InvalidateRect(hwnd_, nullptr, FALSE);

    POINT origin{picture_.left, picture_.top};
    ::ClientToScreen(hwnd_, &origin);
    hooks_.Write("picture %ld %ld %ld %ld", origin.x, origin.y, picture_.right - picture_.left,
                 picture_.bottom - picture_.top);
    if (hooks_.log) LogControls();
}

void PlayerWindow::LogControls() {
    auto centre = [](HWND w) {
        RECT r;
        ::GetWindowRect(w, &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    const POINT play = centre(playButton_), full = centre(fullButton_),
                close = centre(closeButton_);
    RECT thumb{}, channel{};
    ::SendMessageW(bar_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    ::SendMessageW(bar_, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    POINT t{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    POINT c0{channel.left, 0}, c1{channel.right, 0};
    ::ClientToScreen(bar_, &t);
    ::ClientToScreen(bar_, &c0);
    ::ClientToScreen(bar_, &c1);
    hooks_.Write("controls play %ld %ld full %ld %ld close %ld %ld thumb %ld %ld channel %ld %ld",
                 play.x, play.y, full.x, full.y, close.x, close.y, t.x, t.y, c0.x, c1.x);
}

void PlayerWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd_, &ps);
    RECT rc;
    ::GetClientRect(hwnd_, &rc);
    // Black around the picture; the bar below keeps the system's face colour.
    RECT bar = rc;
    bar.top = rc.bottom - kBarHeight;
    ::FillRect(dc, &bar, ::GetSysColorBrush(COLOR_BTNFACE));
    const HBRUSH black = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    RECT above{0, 0, rc.right, picture_.top};
    RECT left{0, picture_.top, picture_.left, picture_.bottom};
    RECT right{picture_.right, picture_.top, rc.right, picture_.bottom};
    RECT below{0, picture_.bottom, rc.right, bar.top};
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

int64_t PlayerWindow::Elapsed() {
    if (audio_) return audio_->PlayedMs();
    return static_cast<int64_t>(::GetTickCount64() - clockStart_);
}

bool PlayerWindow::AudioStalled(int64_t elapsedMs) {
    const DWORD now = ::GetTickCount();
    if (elapsedMs != lastAudioMs_) {
        lastAudioMs_ = elapsedMs;
        lastAudioChange_ = now;
        return false;
    }
    return now - lastAudioChange_ > kAudioStallMs;
}

void PlayerWindow::RestartClock() {
    clockStart_ = ::GetTickCount64();
    lastAudioMs_ = -1;
    lastAudioChange_ = ::GetTickCount();
    if (!audio_) return;
    if (playback_.playing()) {
        audio_->Start(audioTimeline_.SampleAtMs(playback_.base()));
    } else {
        audio_->Stop();
    }
}

void PlayerWindow::TogglePlay() {
    playback_.Toggle(Elapsed());
    RestartClock();
    ::SetWindowTextW(
        playButton_,
        mrv::win::Widen(playback_.playing() ? text::kPlayerPause : text::kPlayerPlay).c_str());
    hooks_.Write("state %s %lld", playback_.playing() ? "playing" : "paused",
                 static_cast<long long>(playback_.base()));
    if (hooks_.log) LogControls();  // the thumb has moved since the window was sized
}

void PlayerWindow::SeekTo(int64_t ms) {
    playback_.Seek(ms);
    hooks_.Write("seek %lld", static_cast<long long>(playback_.base()));
    RestartClock();
    ShowPosition(playback_.base());
}

void PlayerWindow::OnTimer() {
    if (exitCode_ != 0 || noticeOpen_ || damagePending_) return;
    if (audio_) audio_->Pump();
    // While the thumb is held the picture shows where it is, not where playing has got to.
    if (!playback_.playing() || dragging_) return;
    const int64_t elapsed = Elapsed();
    if (audio_ && AudioStalled(elapsed)) {
        // A device that takes the sound but never plays it must not freeze the pictures.
        hooks_.Write("sound stalled at %lld", static_cast<long long>(elapsed));
        playback_.Pause(elapsed);
        audio_.reset();
        playback_.Play();
        RestartClock();
        return;
    }
    const int64_t position = playback_.Position(elapsed);
    if (playback_.Ended(elapsed)) {
        ReachEnd(position);
        return;
    }
    ShowPosition(position);
}

void PlayerWindow::ReachEnd(int64_t position) {
    playback_.StopAtEnd();
    RestartClock();
    ::SetWindowTextW(playButton_, mrv::win::Widen(text::kPlayerPlay).c_str());
    ShowPosition(position);
    hooks_.Write("ended %lld", static_cast<long long>(position));
    if (hooks_.exitAtEnd) ::PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void PlayerWindow::ShowPosition(int64_t ms, bool moveBar) {
    if (damagePending_) return;
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
    if (moveBar) ::SendMessageW(bar_, TBM_SETPOS, TRUE, barScale_.PositionOf(ms));
    UpdateLabels(ms);
}

bool PlayerWindow::ComposeRecord(int32_t record, int32_t clickRecord) {
    if (reader_.recordIndex() != record + 1) {
        if (!seeker_.GoTo(record)) {
            if (!damagePending_) ::PostMessageW(hwnd_, kMsgDamagedRecord, 0, 0);
            damagePending_ = true;
            return false;
        }
    }
    const FrameGeometry& g = reader_.geometry();
    HDC dc = frameDC_.get();
    ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(g.width), static_cast<DWORD>(g.height), 0, 0,
                        0, static_cast<UINT>(g.height), reader_.image().data(),
                        reinterpret_cast<const BITMAPINFO*>(bitmapInfo_.data()), DIB_RGB_COLORS);
    const RecordEntry& e = timeline_.records()[static_cast<size_t>(record)];
    if (clickRecord >= 0) {
        // A ring at the press: red for the left button, blue for the right.
        const RecordEntry& c = timeline_.records()[static_cast<size_t>(clickRecord)];
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
    const std::string label = PositionText(ms, playback_.totalMs());
    ::SetWindowTextW(timeLabel_, mrv::win::Widen(label).c_str());
    hooks_.Write("time %s", label.c_str());
}

void PlayerWindow::OnCommand(int id) {
    switch (id) {
        case kIdPlay:
            TogglePlay();
            break;
        case kIdFull:
            ToggleFullScreen();
            break;
        case kIdClose:
            ::DestroyWindow(hwnd_);
            break;
        default:
            break;
    }
}

void PlayerWindow::OnHScroll(WPARAM wp) {
    const int64_t ms = barScale_.MsOf(::SendMessageW(bar_, TBM_GETPOS, 0, 0));
    switch (LOWORD(wp)) {
        case TB_THUMBTRACK:
            // While dragging only the picture follows; the sound restarts on release.
            dragging_ = true;
            ShowPosition(ms, false);
            break;
        case TB_ENDTRACK:
            dragging_ = false;
            SeekTo(ms);
            break;
        default:
            break;
    }
}

void PlayerWindow::OnKeyDown(WPARAM key) {
    switch (key) {
        case VK_SPACE:
            TogglePlay();
            break;
        case VK_F11:
            ToggleFullScreen();
            break;
        case VK_ESCAPE:
            if (fullScreen_) ToggleFullScreen();
            break;
        default:
            break;
    }
}

void PlayerWindow::ToggleFullScreen() {
    if (!fullScreen_) {
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
        fullScreen_ = true;
    } else {
        ::SetWindowLongPtrW(hwnd_, GWL_STYLE, windowedStyle_);
        ::SetWindowPlacement(hwnd_, &windowed_);
        ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        fullScreen_ = false;
    }
    hooks_.Write("full screen %d", fullScreen_ ? 1 : 0);
    ::SetWindowTextW(
        fullButton_,
        mrv::win::Widen(fullScreen_ ? text::kPlayerWindowed : text::kPlayerFullScreen).c_str());
}

void PlayerWindow::Fail() {
    if (exitCode_ != 0) return;
    exitCode_ = 1;
    ::KillTimer(hwnd_, kTimerId);
    if (audio_) audio_->Stop();
    hooks_.Write("message damaged: %s", reader_.error().c_str());
    ::MessageBoxW(hwnd_, mrv::win::Widen(text::kPlayerDamaged).c_str(),
                  mrv::win::Widen(text::kAppTitle).c_str(), MB_OK | MB_ICONERROR);
    ::DestroyWindow(hwnd_);
}

void PlayerWindow::OnStartNotice() {
    ShowNotice(startNotice_, startNoticeDetail_);
    if (hwnd_ && hooks_.startPausedAtTick < 0 && !playback_.playing()) TogglePlay();
}

// What came before a damaged record stays playable: the recording now ends where it starts.
void PlayerWindow::OnDamagedRecord() {
    const std::string why = reader_.error();
    if (!timeline_.CutAt(reader_.recordIndex())) {
        damagePending_ = false;
        Fail();  // the first record: nothing to show
        return;
    }
    if (audio_) audio_->Stop();
    playback_.EndAt(timeline_.pacing().totalMs);
    if (audio_) audioTimeline_.Build(timeline_, audioTimeline_.sampleRate());
    SetBarRange();
    dragging_ = false;
    shownLabelSeconds_ = -1;  // the length has changed
    ShowNotice(text::kPlayerDamagedNotice, "damaged: " + why);
    damagePending_ = false;
    if (hwnd_) ReachEnd(playback_.totalMs());
}

void PlayerWindow::ShowNotice(const char* message, const std::string& detail) {
    incomplete_ = true;
    hooks_.Write("notice %s", detail.c_str());
    noticeOpen_ = true;
    ::MessageBoxW(hwnd_, mrv::win::Widen(message).c_str(), mrv::win::Widen(text::kAppTitle).c_str(),
                  MB_OK | MB_ICONINFORMATION);
    noticeOpen_ = false;
}

void PlayerWindow::OnDropFiles(HDROP drop) {
    std::wstring path(::DragQueryFileW(drop, 0, nullptr, 0), L'\0');
    if (!path.empty()) ::DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size() + 1));
    ::DragFinish(drop);
    if (path.empty() || !onDrop_) return;
    const bool wasPlaying = playback_.playing();
    if (wasPlaying) TogglePlay();
    Opening refusal;
    if (onDrop_(path, refusal)) {
        hooks_.Write("dropped recording opens");
        ::DestroyWindow(hwnd_);  // the dropped recording plays in a window of its own
        return;
    }
    hooks_.Write("message %s", refusal.detail.c_str());
    ::MessageBoxW(hwnd_, mrv::win::Widen(refusal.message).c_str(),
                  mrv::win::Widen(text::kAppTitle).c_str(), MB_OK | MB_ICONERROR);
    if (wasPlaying && hwnd_) TogglePlay();
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

void PlayerWindow::OutOfMemory() {
    if (exitCode_ != 0) return;
    exitCode_ = 1;
    if (hwnd_) ::KillTimer(hwnd_, kTimerId);
    if (audio_) audio_->Stop();
    hooks_.Write("message out of memory");
    ::MessageBoxW(hwnd_, mrv::win::Widen(text::kPlayerOutOfMemory).c_str(),
                  mrv::win::Widen(text::kAppTitle).c_str(), MB_OK | MB_ICONERROR);
    if (hwnd_ && created_) ::DestroyWindow(hwnd_);
}

}  // namespace mrv::player::win
