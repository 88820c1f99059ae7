// The part of a recording that Save As saves: a start and an end marked on the position bar.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mrv::player {

// Recording time, [fromMs, toMs).
struct TimeRange {
    int64_t fromMs = 0;
    int64_t toMs = 0;
    bool operator==(const TimeRange&) const = default;
};

class Selection {
  public:
    explicit Selection(int64_t totalMs) : totalMs_(totalMs < 0 ? 0 : totalMs) {}

    // Each returns false when the mark was refused (nothing would be left to save).
    bool SetStart(int64_t ms);
    bool SetEnd(int64_t ms);
    void Clear() { start_.reset(), end_.reset(); }
    // The recording was cut short: marks past its new end go.
    void SetTotal(int64_t totalMs);

    bool marked() const { return start_ || end_; }
    const std::optional<int64_t>& start() const { return start_; }
    const std::optional<int64_t>& end() const { return end_; }
    // What is saved: from the start mark (or the beginning) to the end mark (or the end).
    TimeRange range() const { return {start_.value_or(0), end_.value_or(totalMs_)}; }

  private:
    int64_t totalMs_;
    std::optional<int64_t> start_;
    std::optional<int64_t> end_;
};

// The time label's tooltip line for the selection; empty when nothing is marked.
std::string SelectionTip(const Selection& selection);

// The position bar's right-click menu, in its order.
enum class BarCommand { MarkStart, MarkEnd, ClearSelection };
struct BarMenuItem {
    BarCommand command;
    const char* text;
    bool enabled;
};
std::vector<BarMenuItem> BarMenu(const Selection& selection, int64_t positionMs, int64_t totalMs);

}  // namespace mrv::player
