// The picker's state machine: a press becomes a drag or a click, handles resize, keys move.
#include "app/AreaPicker.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "common/Texts.h"

namespace mrv::app {

namespace {

bool Contains(const mrv::Rect& r, Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

mrv::Rect Square(int32_t cx, int32_t cy) {
    const int32_t half = kHandleSize / 2;
    return {cx - half, cy - half, cx - half + kHandleSize, cy - half + kHandleSize};
}

// Which edges a handle moves: left, top, right, bottom.
struct Edges {
    bool left, top, right, bottom;
};
constexpr Edges kHandleEdges[8] = {
    {true, true, false, false},  {false, true, false, false}, {false, true, true, false},
    {false, false, true, false}, {false, false, true, true},  {false, false, false, true},
    {true, false, false, true},  {true, false, false, false},
};

}  // namespace

AreaPicker::AreaPicker(PickerSetup setup) : setup_(std::move(setup)) {}

mrv::Rect AreaPicker::Inside(mrv::Rect r) const {
    const mrv::Rect& vs = setup_.virtualScreen;
    r.left = std::max(r.left, vs.left);
    r.top = std::max(r.top, vs.top);
    r.right = std::min(r.right, vs.right);
    r.bottom = std::min(r.bottom, vs.bottom);
    return r;
}

std::optional<mrv::Rect> AreaPicker::WindowAt(Point p) const {
    for (const mrv::Rect& w : setup_.windows) {
        const mrv::Rect shown = Inside(w);
        if (shown.right > shown.left && shown.bottom > shown.top && Contains(shown, p))
            return shown;
    }
    return std::nullopt;
}

void AreaPicker::Take(const mrv::Rect& area) {
    selection_ = Inside(area);
    highlight_.reset();
    state_ = State::Adjusting;
}

void AreaPicker::ClickAt(Point p) {
    const std::optional<mrv::Rect> window = WindowAt(p);
    if (!window) {
        state_ = before_;
        return;
    }
    Take(*window);
    // In window mode the click is the choice.
    if (setup_.mode == PickMode::Window) state_ = State::Done;
}

void AreaPicker::MouseDown(Point p) {
    if (finished()) return;
    anchor_ = p;
    before_ = selection_ ? State::Adjusting : State::Choosing;
    if (setup_.mode == PickMode::Region && selection_) {
        handle_ = HandleAt(p);
        grabbed_ = *selection_;
        if (handle_ >= 0) {
            state_ = State::Resizing;
            return;
        }
        if (Contains(*selection_, p)) {
            state_ = State::Moving;
            return;
        }
    }
    state_ = State::Pressed;
}

void AreaPicker::MouseMove(Point p) {
    switch (state_) {
        case State::Choosing:
        case State::Adjusting:
            // The window a click would take; none over the selection, where a press moves it.
            highlight_ = selection_ && Contains(*selection_, p) ? std::nullopt : WindowAt(p);
            return;
        case State::Pressed:
            if (setup_.mode == PickMode::Window) return;
            if (std::abs(p.x - anchor_.x) < kDragThreshold &&
                std::abs(p.y - anchor_.y) < kDragThreshold) {
                return;
            }
            state_ = State::Dragging;
            highlight_.reset();
            [[fallthrough]];
        case State::Dragging:
            // The pixel under the pointer is part of the rectangle.
            selection_ = Inside({std::min(anchor_.x, p.x), std::min(anchor_.y, p.y),
                                 std::max(anchor_.x, p.x) + 1, std::max(anchor_.y, p.y) + 1});
            return;
        case State::Resizing: {
            const Edges e = kHandleEdges[handle_];
            const int32_t dx = p.x - anchor_.x;
            const int32_t dy = p.y - anchor_.y;
            mrv::Rect r = grabbed_;
            if (e.left) r.left += dx;
            if (e.right) r.right += dx;
            if (e.top) r.top += dy;
            if (e.bottom) r.bottom += dy;
            // A handle dragged past the opposite edge turns the rectangle over.
            selection_ = Inside(RectFromCorners({r.left, r.top}, {r.right, r.bottom}));
            return;
        }
        case State::Moving: {
            const mrv::Rect& vs = setup_.virtualScreen;
            const int32_t w = grabbed_.right - grabbed_.left;
            const int32_t h = grabbed_.bottom - grabbed_.top;
            const int32_t left = std::clamp(grabbed_.left + p.x - anchor_.x, vs.left,
                                            std::max(vs.left, vs.right - w));
            const int32_t top =
                std::clamp(grabbed_.top + p.y - anchor_.y, vs.top, std::max(vs.top, vs.bottom - h));
            selection_ = mrv::Rect{left, top, left + w, top + h};
            return;
        }
        case State::Done:
        case State::Cancelled:
            return;
    }
}

void AreaPicker::MouseUp(Point p) {
    switch (state_) {
        case State::Pressed:
            ClickAt(p);
            return;
        case State::Dragging:
        case State::Resizing:
        case State::Moving:
            state_ = State::Adjusting;
            return;
        default:
            return;
    }
}

void AreaPicker::DoubleClick(Point p) {
    if (finished()) return;
    if (selection_ && Contains(*selection_, p)) state_ = State::Done;
}

void AreaPicker::Nudge(PickerKey key, int32_t step, bool resize) {
    mrv::Rect r = *selection_;
    const mrv::Rect& vs = setup_.virtualScreen;
    int32_t dx = key == PickerKey::Left ? -step : key == PickerKey::Right ? step : 0;
    int32_t dy = key == PickerKey::Up ? -step : key == PickerKey::Down ? step : 0;
    if (resize) {
        // Ctrl moves the right and bottom edges, never below the smallest area.
        r.right = std::clamp(r.right + dx, std::min(r.left + kMinAreaSide, vs.right), vs.right);
        r.bottom = std::clamp(r.bottom + dy, std::min(r.top + kMinAreaSide, vs.bottom), vs.bottom);
    } else {
        dx = std::clamp(dx, vs.left - r.left, std::max(0, vs.right - r.right));
        dy = std::clamp(dy, vs.top - r.top, std::max(0, vs.bottom - r.bottom));
        r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    }
    selection_ = r;
}

void AreaPicker::Key(PickerKey key, int digit, bool shift, bool ctrl) {
    if (finished()) return;
    switch (key) {
        case PickerKey::Escape:
            state_ = State::Cancelled;
            return;
        case PickerKey::Enter:
            if (selection_ && state_ == State::Adjusting) state_ = State::Done;
            return;
        case PickerKey::Space:
            if (setup_.lastRegion) Take(*setup_.lastRegion);
            return;
        case PickerKey::Digit:
            if (const std::optional<Monitor> m = MonitorNumbered(setup_.monitors, digit)) {
                Take(m->bounds);
            }
            return;
        case PickerKey::Left:
        case PickerKey::Up:
        case PickerKey::Right:
        case PickerKey::Down:
            if (selection_ && state_ == State::Adjusting) Nudge(key, shift ? 10 : 1, ctrl);
            return;
    }
}

mrv::Rect AreaPicker::primaryBounds() const {
    const std::optional<Monitor> primary = PrimaryMonitor(setup_.monitors);
    return primary ? primary->bounds : setup_.virtualScreen;
}

mrv::Rect AreaPicker::result() const {
    return NormalizeArea(selection_.value_or(mrv::Rect{}), setup_.virtualScreen,
                         setup_.bitsPerPixel);
}

std::string AreaPicker::SizeText() const {
    if (!selection_) return {};
    const mrv::Rect r = result();
    char text[64];
    std::snprintf(text, sizeof text, text::kPickerSize, r.right - r.left, r.bottom - r.top);
    return text;
}

Point AreaPicker::LabelPlace(int32_t width, int32_t height) const {
    if (!selection_) return {};
    const mrv::Rect& r = *selection_;
    const mrv::Rect& vs = setup_.virtualScreen;
    constexpr int32_t kGap = 6;
    const int32_t x = std::clamp(r.left, vs.left, std::max(vs.left, vs.right - width));
    if (r.bottom + kGap + height <= vs.bottom) return {x, r.bottom + kGap};
    if (r.top - kGap - height >= vs.top) return {x, r.top - kGap - height};
    return {x + kGap, r.top + kGap};
}

std::vector<mrv::Rect> AreaPicker::Handles() const {
    if (!selection_ || state_ == State::Dragging || setup_.mode == PickMode::Window) return {};
    const mrv::Rect& r = *selection_;
    const int32_t cx = (r.left + r.right) / 2;
    const int32_t cy = (r.top + r.bottom) / 2;
    return {Square(r.left, r.top),    Square(cx, r.top),         Square(r.right, r.top),
            Square(r.right, cy),      Square(r.right, r.bottom), Square(cx, r.bottom),
            Square(r.left, r.bottom), Square(r.left, cy)};
}

int AreaPicker::HandleAt(Point p) const {
    const std::vector<mrv::Rect> handles = Handles();
    for (size_t i = 0; i < handles.size(); ++i)
        if (Contains(handles[i], p)) return static_cast<int>(i);
    return -1;
}

}  // namespace mrv::app
