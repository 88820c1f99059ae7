// The INI file beside the program, through the profile functions.
#pragma once

#include <string>

#include "app/Settings.h"

namespace mrv::win {

class IniFile final : public app::IniStore {
  public:
    explicit IniFile(std::wstring path) : path_(std::move(path)) {}
    std::optional<std::string> Read(const std::string& section, const std::string& key) override;
    bool Write(const std::string& section, const std::string& key,
               const std::string& value) override;
    std::string Path() const override;

  private:
    std::wstring path_;
};

// The program's path with its extension replaced by ".ini".
std::wstring IniPathBesideProgram();

}  // namespace mrv::win
