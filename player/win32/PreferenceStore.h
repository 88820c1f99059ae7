// The player's per-user preferences in the registry (HKCU), never in a file beside a recording.
#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "player/Preferences.h"

namespace mrv::player::win {

inline constexpr wchar_t kPreferenceKey[] = L"Software\\Morvanta\\Player";

class PreferenceStore {
  public:
    // `subKey` under HKEY_CURRENT_USER.
    explicit PreferenceStore(std::wstring subKey = kPreferenceKey) : subKey_(std::move(subKey)) {}

    // Defaults for whatever cannot be read; never fails.
    PlayerPreferences Load(std::span<const ScreenRect> workAreas) const;
    // False when the key or a value could not be written; the player carries on either way.
    bool Save(const PlayerPreferences& prefs) const;

  private:
    std::wstring subKey_;
};

// The work areas of the monitors attached now, for Load.
std::vector<ScreenRect> MonitorWorkAreas();

}  // namespace mrv::player::win
