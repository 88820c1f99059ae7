// The file system as the INI file's place is chosen from it.
#pragma once

#include "app/SettingsPlace.h"

namespace mrv::win {

class Win32SettingsFolders final : public app::SettingsFolders {
  public:
    bool FileExists(const std::string& path) override;
    bool CanWriteFile(const std::string& path) override;
    bool CanCreateIn(const std::string& folder) override;
    std::string AppDataFolder() override;
    std::string VideosFolder() override;
    bool MakeFolders(const std::string& path) override;
};

// Where this program's INI file and recordings go (app::ChooseSettingsPlace).
app::SettingsPlace SettingsPlaceForProgram();

}  // namespace mrv::win
