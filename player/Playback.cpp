// Playback state machine and picture fitting.
#include "player/Playback.h"

#include <algorithm>

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
