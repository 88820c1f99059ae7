// Where the INI file and the default recordings live: beside the program while its folder can be
// written, else in the user's own folders.
#pragma once

#include <optional>
#include <string>

#include "app/Settings.h"

namespace mrv::app {

// What the choice asks of the file system; paths are UTF-8, folders without a trailing separator
// unless they are a drive root.
class SettingsFolders {
  public:
    virtual ~SettingsFolders() = default;
    virtual bool FileExists(const std::string& path) = 0;
    // An existing file that may be opened for writing (it is not changed).
    virtual bool CanWriteFile(const std::string& path) = 0;
    // A new file can be created in the folder (a trial file is made and removed).
    virtual bool CanCreateIn(const std::string& folder) = 0;
    // The user's roaming application data and Videos folders; empty when unknown.
    virtual std::string AppDataFolder() = 0;
    virtual std::string VideosFolder() = 0;
    // Creates the folder with any missing parents; true when it exists afterwards.
    virtual bool MakeFolders(const std::string& path) = 0;
};

struct SettingsPlace {
    std::string iniPath;           // where the options are read and written
    std::string seedIniPath;       // an INI beside the program that is still read; may be empty
    std::string recordingsFolder;  // the default for new recordings; empty: the program's folder
    bool operator==(const SettingsPlace&) const = default;
};

inline constexpr char kUserFolderName[] = "Morvanta";

// `programFolder` ends with its separator; `iniName` is the INI file's name beside the program.
SettingsPlace ChooseSettingsPlace(SettingsFolders& folders, const std::string& programFolder,
                                  const std::string& iniName);

// An INI file read with another behind it: a key the first lacks is read from the second, and
// everything is written to the first, which so takes over key by key.
class LayeredIni final : public IniStore {
  public:
    LayeredIni(IniStore& primary, IniStore* seed) : primary_(primary), seed_(seed) {}
    std::optional<std::string> Read(const std::string& section, const std::string& key) override;
    bool Write(const std::string& section, const std::string& key,
               const std::string& value) override;
    std::string Path() const override { return primary_.Path(); }

  private:
    IniStore& primary_;
    IniStore* seed_;
};

}  // namespace mrv::app
