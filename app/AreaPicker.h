// The picker's rules: drawing, adjusting and confirming the area to record, or taking a window
// or a monitor whole. All points are virtual-screen pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "recorder/CaptureArea.h"

namespace mrv::app {

enum class PickMode { Region, Window };

enum class PickerKey { Left, Up, Right, Down, Enter, Escape, Space, Digit };

struct PickerSetup {
    PickMode mode = PickMode::Region;
    mrv::Rect virtualScreen;
    std::vector<Monitor> monitors;
    // The visible frames of the top-level windows, the topmost first.
    std::vector<mrv::Rect> windows;
    std::optional<mrv::Rect> lastRegion;
    int bitsPerPixel = 32;
};

inline constexpr int32_t kHandleSize = 7;
// A press that moves less than this is a click.
inline constexpr int32_t kDragThreshold = 4;

class AreaPicker {
  public:
    enum class State { Choosing, Pressed, Dragging, Adjusting, Resizing, Moving, Done, Cancelled };

    explicit AreaPicker(PickerSetup setup);

    void MouseDown(Point p);  // the left button
    void MouseMove(Point p);
    void MouseUp(Point p);
    void DoubleClick(Point p);
    // `digit` for PickerKey::Digit; Shift takes 10 pixels a step, Ctrl resizes.
    void Key(PickerKey key, int digit = 0, bool shift = false, bool ctrl = false);

    State state() const { return state_; }
    PickMode mode() const { return setup_.mode; }
    // The primary monitor's rectangle (the virtual screen without monitors), for the hint.
    mrv::Rect primaryBounds() const;
    bool finished() const { return state_ == State::Done || state_ == State::Cancelled; }
    // The rectangle on show, while drawing and after; none before.
    const std::optional<mrv::Rect>& selection() const { return selection_; }
    // The window that a click would take.
    const std::optional<mrv::Rect>& highlight() const { return highlight_; }
    // What is recorded, once Done: the selection brought into the recordable range.
    mrv::Rect result() const;
    // The selection's size as recorded, for the label beside it ("640 × 480").
    std::string SizeText() const;
    // Where a label of `width` x `height` goes: below the selection, else above, else inside.
    Point LabelPlace(int32_t width, int32_t height) const;
    // The eight handles from the top-left corner clockwise; empty unless adjusting.
    std::vector<mrv::Rect> Handles() const;
    // The handle under `p` (index into Handles()), or -1.
    int HandleAt(Point p) const;

  private:
    std::optional<mrv::Rect> WindowAt(Point p) const;
    void Take(const mrv::Rect& area);
    void ClickAt(Point p);
    void Nudge(PickerKey key, int32_t step, bool resize);
    mrv::Rect Inside(mrv::Rect r) const;

    PickerSetup setup_;
    State state_ = State::Choosing;
    std::optional<mrv::Rect> selection_;
    std::optional<mrv::Rect> highlight_;
    Point anchor_;
    mrv::Rect grabbed_;  // the selection when a resize or move began
    int handle_ = -1;
    State before_ = State::Choosing;  // what a press that stays a click returns to
};

}  // namespace mrv::app
