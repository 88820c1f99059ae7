// The selection's rules: a mark that would leave nothing selected is refused, and a mark
// placed beyond the other one drops the other, as in video editors.
#include "player/Selection.h"

#include <algorithm>
#include <cstdio>

#include "common/Texts.h"

namespace mrv::player {

namespace {
// "hh:mm:ss.t", the time label's form with tenths: marks fall between its whole seconds.
std::string TimeText(int64_t ms) {
    ms = std::max<int64_t>(ms, 0);
    char out[64];
    std::snprintf(
        out, sizeof out, "%.2lld:%.2lld:%.2lld.%lld", static_cast<long long>(ms / 3600000),
        static_cast<long long>(ms % 3600000 / 60000), static_cast<long long>(ms % 60000 / 1000),
        static_cast<long long>(ms % 1000 / 100));
    return out;
}
}  // namespace

bool Selection::SetStart(int64_t ms) {
    ms = std::max<int64_t>(ms, 0);
    if (ms >= totalMs_) return false;
    if (end_ && *end_ <= ms) end_.reset();
    start_ = ms;
    return true;
}

bool Selection::SetEnd(int64_t ms) {
    ms = std::min(ms, totalMs_);
    if (ms <= 0) return false;
    if (start_ && *start_ >= ms) start_.reset();
    end_ = ms;
    return true;
}

void Selection::SetTotal(int64_t totalMs) {
    totalMs_ = std::max<int64_t>(totalMs, 0);
    if (start_ && *start_ >= totalMs_) start_.reset();
    if (end_ && *end_ > totalMs_) end_.reset();
}

std::string SelectionTip(const Selection& selection) {
    if (!selection.marked()) return {};
    const TimeRange r = selection.range();
    char out[256];
    std::snprintf(out, sizeof out, text::kPlayerSelectionTip, TimeText(r.fromMs).c_str(),
                  TimeText(r.toMs).c_str(), TimeText(r.toMs - r.fromMs).c_str());
    return out;
}

std::vector<BarMenuItem> BarMenu(const Selection& selection, int64_t positionMs, int64_t totalMs) {
    return {{BarCommand::MarkStart, text::kPlayerMarkStart, positionMs < totalMs},
            {BarCommand::MarkEnd, text::kPlayerMarkEnd, positionMs > 0},
            {BarCommand::ClearSelection, text::kPlayerClearSelection, selection.marked()}};
}

}  // namespace mrv::player
