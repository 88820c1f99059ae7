// What the player remembers for each user between runs (volume, mute, speed, window, the ffmpeg
// the user located), as text values, with the rules that make stored values safe to use.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "playback/TimeStretch.h"

namespace mrv::player {

using playback::Speed;

// In screen coordinates, right and bottom exclusive.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};

enum class WindowState { Normal, Maximized, FullScreen };

struct WindowPlace {
    ScreenRect normal;  // the window's rectangle when neither maximised nor full screen
    WindowState state = WindowState::Normal;
    bool operator==(const WindowPlace&) const = default;
};

struct PlayerPreferences {
    int32_t volume = 100;  // percent
    bool muted = false;
    Speed speed = Speed::Normal;
    std::optional<WindowPlace> window;  // none: the player's own default size and place
    std::string ffmpeg;                 // UTF-8; empty: the user has not located one
    bool operator==(const PlayerPreferences&) const = default;
};

using PreferenceValues = std::map<std::string, std::string>;

// The value names, in the order they are written.
const std::vector<std::string>& PreferenceNames();

PreferenceValues SerialisePreferences(const PlayerPreferences& prefs);

// Missing or unreadable values take their defaults, numbers out of range are clamped, a speed
// other than the four steps is Normal, an ffmpeg path that is not absolute is forgotten, and a
// window rectangle lying mostly outside every one of `workAreas` (a monitor since removed, a
// lower resolution) is dropped so that the player opens where it can be seen.
PlayerPreferences ParsePreferences(const PreferenceValues& values,
                                   std::span<const ScreenRect> workAreas);

// The values of a preference file lying in the player's folder (a portable copy's): anyone who
// handed over the folder wrote them, so the program to run for MP4 is not taken from them.
PreferenceValues FolderPreferenceValues(PreferenceValues values);

}  // namespace mrv::player
