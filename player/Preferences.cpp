// The player's remembered settings as text values. They come back from a store anyone in the
// user's session can edit, and from a machine whose monitors may have changed since, so nothing
// read is trusted: each value is checked and falls back to what the player does without it.
#include "player/Preferences.h"

#include <algorithm>
#include <charconv>

namespace mrv::player {

namespace {

constexpr char kVolume[] = "Volume";
constexpr char kMute[] = "Mute";
constexpr char kSpeed[] = "Speed";
constexpr char kWindowLeft[] = "WindowLeft";
constexpr char kWindowTop[] = "WindowTop";
constexpr char kWindowRight[] = "WindowRight";
constexpr char kWindowBottom[] = "WindowBottom";
constexpr char kWindowState[] = "WindowState";
constexpr char kFfmpeg[] = "Ffmpeg";

// Longest path the wide file APIs accept.
constexpr size_t kMaxPathChars = 32767;

std::optional<int64_t> ReadInt(const PreferenceValues& values, const char* name) {
    const auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    const std::string& text = it->second;
    int64_t v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return v;
}

std::string ReadText(const PreferenceValues& values, const char* name) {
    const auto it = values.find(name);
    return it == values.end() ? std::string{} : it->second;
}

const char* StateName(WindowState s) {
    switch (s) {
        case WindowState::Maximized:
            return "maximized";
        case WindowState::FullScreen:
            return "fullscreen";
        case WindowState::Normal:
            break;
    }
    return "normal";
}

WindowState ParseState(const std::string& text) {
    if (text == "maximized") return WindowState::Maximized;
    if (text == "fullscreen") return WindowState::FullScreen;
    return WindowState::Normal;
}

int64_t Area(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    return right > left && bottom > top ? (right - left) * (bottom - top) : 0;
}

// Work areas do not overlap, so the parts of the window on each add up to what can be seen.
bool MostlyVisible(const ScreenRect& r, std::span<const ScreenRect> workAreas) {
    const int64_t whole = Area(r.left, r.top, r.right, r.bottom);
    int64_t seen = 0;
    for (const ScreenRect& w : workAreas) {
        seen += Area(std::max(r.left, w.left), std::max(r.top, w.top), std::min(r.right, w.right),
                     std::min(r.bottom, w.bottom));
    }
    return whole > 0 && seen * 2 >= whole;
}

std::optional<WindowPlace> ParseWindow(const PreferenceValues& values,
                                       std::span<const ScreenRect> workAreas) {
    const auto left = ReadInt(values, kWindowLeft);
    const auto top = ReadInt(values, kWindowTop);
    const auto right = ReadInt(values, kWindowRight);
    const auto bottom = ReadInt(values, kWindowBottom);
    if (!left || !top || !right || !bottom) return std::nullopt;
    auto coordinate = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
    };
    WindowPlace place;
    place.normal = {coordinate(*left), coordinate(*top), coordinate(*right), coordinate(*bottom)};
    if (!MostlyVisible(place.normal, workAreas)) return std::nullopt;
    place.state = ParseState(ReadText(values, kWindowState));
    return place;
}

// Only a path that names its drive or server: a relative one would be looked up from the
// folder of whatever recording is being played, which may be one received from anyone.
bool IsAbsoluteWindowsPath(const std::string& p) {
    if (p.empty() || p.size() > kMaxPathChars * 3 || p.find('\0') != std::string::npos) {
        return false;
    }
    const auto slash = [](char c) { return c == '\\' || c == '/'; };
    const bool drive = p.size() >= 3 &&
                       ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) &&
                       p[1] == ':' && slash(p[2]);
    const bool unc = p.size() >= 3 && slash(p[0]) && slash(p[1]) && !slash(p[2]);
    return drive || unc;
}

}  // namespace

const std::vector<std::string>& PreferenceNames() {
    static const std::vector<std::string> names = {kVolume,       kMute,        kSpeed,
                                                   kWindowLeft,   kWindowTop,   kWindowRight,
                                                   kWindowBottom, kWindowState, kFfmpeg};
    return names;
}

PreferenceValues SerialisePreferences(const PlayerPreferences& prefs) {
    PreferenceValues v;
    v[kVolume] = std::to_string(prefs.volume);
    v[kMute] = prefs.muted ? "1" : "0";
    v[kSpeed] = std::to_string(static_cast<int32_t>(prefs.speed) * 50);
    // Every name is written, empty when unset, so that a place forgotten is not read back
    // from an earlier run.
    const auto number = [&](int32_t n) { return prefs.window ? std::to_string(n) : std::string{}; };
    const ScreenRect r = prefs.window ? prefs.window->normal : ScreenRect{};
    v[kWindowLeft] = number(r.left);
    v[kWindowTop] = number(r.top);
    v[kWindowRight] = number(r.right);
    v[kWindowBottom] = number(r.bottom);
    v[kWindowState] = prefs.window ? StateName(prefs.window->state) : "";
    v[kFfmpeg] = prefs.ffmpeg;
    return v;
}

PlayerPreferences ParsePreferences(const PreferenceValues& values,
                                   std::span<const ScreenRect> workAreas) {
    PlayerPreferences prefs;
    if (const auto volume = ReadInt(values, kVolume)) {
        prefs.volume = static_cast<int32_t>(std::clamp<int64_t>(*volume, 0, 100));
    }
    prefs.muted = ReadText(values, kMute) == "1";
    if (const auto percent = ReadInt(values, kSpeed)) {
        // Only the four steps the player offers.
        if (*percent == 50 || *percent == 100 || *percent == 150 || *percent == 200) {
            prefs.speed = static_cast<Speed>(*percent / 50);
        }
    }
    prefs.window = ParseWindow(values, workAreas);
    const std::string ffmpeg = ReadText(values, kFfmpeg);
    if (IsAbsoluteWindowsPath(ffmpeg)) prefs.ffmpeg = ffmpeg;
    return prefs;
}

PreferenceValues FolderPreferenceValues(PreferenceValues values) {
    values.erase(kFfmpeg);
    return values;
}

}  // namespace mrv::player
