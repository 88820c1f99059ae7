// The player's per-user preferences in the registry (HKCU), never in a file beside a recording;
// a portable copy's in the INI file it brings.
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
    // `subKey` under HKEY_CURRENT_USER, or the [Player] section of `iniFile` when one is named.
    explicit PreferenceStore(std::wstring subKey = kPreferenceKey, std::wstring iniFile = {})
        : subKey_(std::move(subKey)), iniFile_(std::move(iniFile)) {}

    // Defaults for whatever cannot be read; never fails.
    PlayerPreferences Load(std::span<const ScreenRect> workAreas) const;
    // False when the key or a value could not be written; the player carries on either way.
    bool Save(const PlayerPreferences& prefs) const;

  private:
    std::wstring subKey_;
    std::wstring iniFile_;
};

inline constexpr wchar_t kPortablePreferenceFile[] = L"MorvantaPlayer.ini";

// The portable copy's preference file in the player's own folder; empty when there is none.
std::wstring PortablePreferenceFile();

// The work areas of the monitors attached now, for Load.
std::vector<ScreenRect> MonitorWorkAreas();

}  // namespace mrv::player::win
