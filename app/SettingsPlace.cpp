// The INI file's place: beside the program when it can be written there, else %APPDATA%.
#include "app/SettingsPlace.h"

namespace mrv::app {

namespace {

std::string Joined(const std::string& folder, const std::string& name) {
    const bool hasSeparator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    return folder + (hasSeparator ? "" : "\\") + name;
}

// The program's folder as the system names it for a trial file: without the trailing separator,
// except a drive root, which needs it.
std::string FolderOf(const std::string& programFolder) {
    std::string folder = programFolder;
    if (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

}  // namespace

SettingsPlace ChooseSettingsPlace(SettingsFolders& folders, const std::string& programFolder,
                                  const std::string& iniName) {
    const std::string beside = programFolder + iniName;
    const bool besideExists = folders.FileExists(beside);
    // A portable copy or a per-user install keeps today's INI file beside the program.
    if (besideExists ? folders.CanWriteFile(beside) : folders.CanCreateIn(FolderOf(programFolder)))
        return {beside, "", ""};

    const std::string appData = folders.AppDataFolder();
    if (appData.empty()) return {beside, "", ""};  // nowhere better: writes fail as they did
    const std::string userFolder = Joined(appData, kUserFolderName);
    // Without its folder the INI file cannot be written anywhere; the save then reports it.
    folders.MakeFolders(userFolder);
    SettingsPlace place;
    place.iniPath = Joined(userFolder, iniName);
    // What the user set in the INI file beside the program is not lost: it is read until the
    // copy in the user's folder has its own value.
    if (besideExists) place.seedIniPath = beside;
    const std::string videos = folders.VideosFolder();
    place.recordingsFolder = videos.empty() ? userFolder : Joined(videos, kUserFolderName);
    return place;
}

std::optional<std::string> LayeredIni::Read(const std::string& section, const std::string& key) {
    if (std::optional<std::string> value = primary_.Read(section, key)) return value;
    return seed_ != nullptr ? seed_->Read(section, key) : std::nullopt;
}

bool LayeredIni::Write(const std::string& section, const std::string& key,
                       const std::string& value) {
    return primary_.Write(section, key, value);
}

}  // namespace mrv::app
