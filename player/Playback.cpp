// Playback state machine and picture fitting.
#include "player/Playback.h"

#include <algorithm>
#include <cstdio>

namespace mrv::player {

int64_t Playback::Position(int64_t elapsedMs) const {
    if (!playing_) return baseMs_;
    return std::clamp<int64_t>(baseMs_ + std::max<int64_t>(elapsedMs, 0), 0, totalMs_);
}

bool Playback::Play() {
    if (playing_) return false;
    if (baseMs_ >= totalMs_) baseMs_ = 0;  // play again from the start
    playing_ = true;
    return true;
}

void Playback::Pause(int64_t elapsedMs) {
    baseMs_ = Position(elapsedMs);
    playing_ = false;
}

bool Playback::Toggle(int64_t elapsedMs) {
    if (playing_) {
        Pause(elapsedMs);
        return false;
    }
    return Play();
}

bool Playback::Seek(int64_t ms) {
    baseMs_ = std::clamp<int64_t>(ms, 0, totalMs_);
    return playing_;
}

void Playback::EndAt(int64_t ms) {
    totalMs_ = std::clamp<int64_t>(ms, 0, totalMs_);
    baseMs_ = totalMs_;
    playing_ = false;
}

BarScale::BarScale(int64_t totalMs)
    : totalMs_(std::max<int64_t>(totalMs, 0)),
      unitMs_(std::max(kMinBarUnitMs, (totalMs_ + kMaxBarPositions - 1) / kMaxBarPositions)) {}

int32_t BarScale::PositionOf(int64_t ms) const {
    return static_cast<int32_t>(std::clamp<int64_t>(ms, 0, totalMs_) / unitMs_);
}

int64_t BarScale::MsOf(int64_t position) const {
    return std::min(std::clamp<int64_t>(position, 0, maxPosition()) * unitMs_, totalMs_);
}

int32_t BarScale::pageSize() const {
    return static_cast<int32_t>(std::max<int64_t>(10000 / unitMs_, 1));
}

std::string PositionText(int64_t ms, int64_t totalMs) {
    auto text = [](int64_t t) {
        t = std::max<int64_t>(t, 0);
        char out[64];
        std::snprintf(out, sizeof out, "%.2lld:%.2lld:%.2lld", static_cast<long long>(t / 3600000),
                      static_cast<long long>(t % 3600000 / 60000),
                      static_cast<long long>(t % 60000 / 1000));
        return std::string(out);
    };
    return text(ms) + " / " + text(totalMs);
}

Size FitInto(Size picture, Size area) {
    if (picture.width <= 0 || picture.height <= 0) return {0, 0};
    if (area.width <= 0 || area.height <= 0) return {1, 1};
    if (picture.width <= area.width && picture.height <= area.height) return picture;
    // Compare the ratios with integers: the smaller of area/picture per side wins.
    Size out;
    if (int64_t{area.width} * picture.height <= int64_t{area.height} * picture.width) {
        out.width = area.width;
        out.height = static_cast<int32_t>(int64_t{picture.height} * area.width / picture.width);
    } else {
        out.height = area.height;
        out.width = static_cast<int32_t>(int64_t{picture.width} * area.height / picture.height);
    }
    out.width = std::max(out.width, 1);
    out.height = std::max(out.height, 1);
    return out;
}

}  // namespace mrv::player
