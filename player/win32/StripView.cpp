// The strip's controls: made once, laid out by the portable layout, showing what the form says.
#include "player/win32/StripView.h"

#include <cstdio>

#include "common/Texts.h"
#include "common/win32/WinText.h"
#include "player/Strip.h"
#include "player/win32/SaveAsUi.h"

namespace mrv::player::win {

namespace {
using mrv::win::Widen;
constexpr const wchar_t* kSpeedLabels[] = {L"0.5×", L"1×", L"1.5×", L"2×"};
}  // namespace

void StripView::Create(HWND parent, int dpi, SUBCLASSPROC barProc, DWORD_PTR barData) {
    parent_ = parent;
    font_ = MakeStripFont(dpi);
    black_.reset(::CreateSolidBrush(RGB(0, 0, 0)));
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    auto make = [&](const wchar_t* cls, const std::string& label, DWORD style, int id) {
        HWND w = ::CreateWindowExW(
            0, cls, Widen(label).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
        return w;
    };
    playButton_ = make(L"BUTTON", text::kPlayerPlay, BS_PUSHBUTTON | WS_TABSTOP, kIdPlay);
    // SS_NOTIFY: the label takes the mouse, so that its tooltip shows.
    timeLabel_ = make(L"STATIC", "", SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY, kIdTime);
    bar_ =
        make(TRACKBAR_CLASSW, "", TBS_HORZ | TBS_BOTTOM | TBS_ENABLESELRANGE | WS_TABSTOP, kIdBar);
    ::SetWindowSubclass(bar_, barProc, 1, barData);
    muteButton_ =
        make(L"BUTTON", text::kPlayerMute, BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP, kIdMute);
    volumeBar_ = make(TRACKBAR_CLASSW, "", TBS_HORZ | TBS_NOTICKS | WS_TABSTOP, kIdVolume);
    ::SendMessageW(volumeBar_, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
    ::SendMessageW(volumeBar_, TBM_SETPAGESIZE, 0, 10);
    speedBox_ = make(WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kIdSpeed);
    for (const wchar_t* label : kSpeedLabels) {
        ::SendMessageW(speedBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
    }
    saveButton_ = make(L"BUTTON", text::kPlayerSaveAs, BS_PUSHBUTTON | WS_TABSTOP, kIdSave);
    fullButton_ = make(L"BUTTON", text::kPlayerFullScreen, BS_PUSHBUTTON | WS_TABSTOP, kIdFull);
    closeButton_ = make(L"BUTTON", text::kPlayerClose, BS_PUSHBUTTON | WS_TABSTOP, kIdClose);

    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent,
                                 nullptr, instance, nullptr);
    auto tip = [&](HWND control, const std::string& label) {
        const std::wstring wide = Widen(label);
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = parent;
        info.uId = reinterpret_cast<UINT_PTR>(control);
        info.lpszText = const_cast<wchar_t*>(wide.c_str());
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    };
    tip(timeLabel_, text::kPlayerShownOneToOne);
    // The selection's line goes below the scale's.
    ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600);
    tip(volumeBar_, text::kPlayerVolumeTip);
    tip(muteButton_, text::kPlayerVolumeTip);
    tip(speedBox_, text::kPlayerSpeedTip);
}

void StripView::SetDpi(int dpi) {
    font_ = MakeStripFont(dpi);
    for (HWND c : {playButton_, timeLabel_, muteButton_, speedBox_, saveButton_, fullButton_,
                   closeButton_}) {
        ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    }
}

void StripView::Layout(int width, int top, int dpi) {
    const StripLayout layout = LayoutStrip(width, top, dpi);
    const HWND controls[kStripControls] = {playButton_, timeLabel_,  bar_,
                                           muteButton_, volumeBar_,  speedBox_,
                                           saveButton_, fullButton_, closeButton_};
    for (int i = 0; i < kStripControls; ++i) {
        const Extent& r = layout[static_cast<size_t>(i)];
        // A drop-down list's height includes its list.
        const int height = controls[i] == speedBox_ ? r.height * 6 : r.height;
        ::MoveWindow(controls[i], r.left, r.top, r.width, height, TRUE);
    }
}

void StripView::SetScaleTip(const std::string& tip) {
    scaleTip_ = Widen(tip);
    UpdateLabelTip();
}

// Drawn by the strip itself: a themed trackbar (Wine's among them) leaves its own selection
// range undrawn.
void StripView::ShowSelection(const BarScale& scale, const Selection& selection) {
    const TimeRange r = selection.range();
    selectionFrom_ = selection.marked() ? scale.PositionOf(r.fromMs) : -1;
    selectionTo_ = selection.marked() ? scale.PositionOf(r.toMs) : -1;
    ::InvalidateRect(bar_, nullptr, TRUE);
    selectionTip_ = Widen(SelectionTip(selection));
    UpdateLabelTip();
}

LRESULT StripView::CustomDraw(const NMCUSTOMDRAW& draw) const {
    if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.dwItemSpec != TBCD_CHANNEL) return CDRF_DODEFAULT;
    if (draw.dwDrawStage == CDDS_ITEMPREPAINT) return CDRF_NOTIFYPOSTPAINT;
    if (draw.dwDrawStage != CDDS_ITEMPOSTPAINT || selectionFrom_ < 0) return CDRF_DODEFAULT;
    RECT thumb{};
    ::SendMessageW(bar_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int half = (thumb.right - thumb.left) / 2;
    const int32_t max = static_cast<int32_t>(::SendMessageW(bar_, TBM_GETRANGEMAX, 0, 0));
    const int left = draw.rc.left + half, right = draw.rc.right - half;
    // A band a little taller than the thin channel, in the system's selection colour.
    RECT band{BarXOf(selectionFrom_, left, right, max), draw.rc.top - 2,
              BarXOf(selectionTo_, left, right, max) + 1, draw.rc.bottom + 2};
    ::FillRect(draw.hdc, &band, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    return CDRF_DODEFAULT;
}

void StripView::UpdateLabelTip() {
    labelTip_ = selectionTip_.empty() ? scaleTip_ : scaleTip_ + L"\r\n" + selectionTip_;
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = parent_;
    info.uId = reinterpret_cast<UINT_PTR>(timeLabel_);
    info.lpszText = labelTip_.data();
    ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void StripView::SetBarRange(const BarScale& scale, const std::vector<int64_t>& markers) {
    ::SendMessageW(bar_, TBM_SETRANGEMIN, FALSE, 0);
    ::SendMessageW(bar_, TBM_SETRANGEMAX, FALSE, scale.maxPosition());
    ::SendMessageW(bar_, TBM_SETPAGESIZE, 0, scale.pageSize());
    ::SendMessageW(bar_, TBM_CLEARTICS, FALSE, 0);
    for (int64_t ms : markers) ::SendMessageW(bar_, TBM_SETTIC, 0, scale.PositionOf(ms));
    ::InvalidateRect(bar_, nullptr, TRUE);
}

void StripView::SetBarPosition(int32_t position) {
    ::SendMessageW(bar_, TBM_SETPOS, TRUE, position);
}

int32_t StripView::BarPosition() const {
    return static_cast<int32_t>(::SendMessageW(bar_, TBM_GETPOS, 0, 0));
}

int32_t StripView::Volume() const {
    return static_cast<int32_t>(::SendMessageW(volumeBar_, TBM_GETPOS, 0, 0));
}

int32_t StripView::SpeedIndex() const {
    return static_cast<int32_t>(::SendMessageW(speedBox_, CB_GETCURSEL, 0, 0));
}

void StripView::ShowPlaying(bool playing) {
    ::SetWindowTextW(playButton_, Widen(playing ? text::kPlayerPause : text::kPlayerPlay).c_str());
}

void StripView::ShowFullScreen(bool fullScreen) {
    ::SetWindowTextW(fullButton_,
                     Widen(fullScreen ? text::kPlayerWindowed : text::kPlayerFullScreen).c_str());
}

void StripView::ShowSound(const SoundSettings& sound) {
    ::SendMessageW(muteButton_, BM_SETCHECK, sound.muted ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageW(volumeBar_, TBM_SETPOS, TRUE, sound.volumePercent);
    ::SendMessageW(speedBox_, CB_SETCURSEL, static_cast<WPARAM>(static_cast<int>(sound.speed) - 1),
                   0);
}

void StripView::ShowTime(const std::string& text) {
    ::SetWindowTextW(timeLabel_, Widen(text).c_str());
}

HBRUSH StripView::ColorStatic(HDC dc, HWND control) const {
    if (control != timeLabel_) return nullptr;
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetBkColor(dc, RGB(0, 0, 0));
    return black_.get();
}

std::string StripView::Places(int stripHeight) const {
    auto centre = [](HWND w) {
        RECT r;
        ::GetWindowRect(w, &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    const POINT play = centre(playButton_), full = centre(fullButton_),
                close = centre(closeButton_), save = centre(saveButton_);
    RECT thumb{}, channel{}, client{};
    ::SendMessageW(bar_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    ::SendMessageW(bar_, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    POINT t{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    POINT c0{channel.left, 0}, c1{channel.right, 0};
    ::ClientToScreen(bar_, &t);
    ::ClientToScreen(bar_, &c0);
    ::ClientToScreen(bar_, &c1);
    ::GetClientRect(parent_, &client);
    POINT s0{0, client.bottom - stripHeight};
    ::ClientToScreen(parent_, &s0);
    char out[256];
    std::snprintf(out, sizeof out,
                  "controls play %ld %ld full %ld %ld close %ld %ld thumb %ld %ld channel %ld %ld "
                  "save %ld %ld strip %ld %ld %ld %d",
                  play.x, play.y, full.x, full.y, close.x, close.y, t.x, t.y, c0.x, c1.x, save.x,
                  save.y, s0.x, s0.y, client.right, stripHeight);
    return out;
}

}  // namespace mrv::player::win
