// After a save: the small window with the saved file's name and size and what can be done with
// it (open it, show it in its folder, copy it for a chat or mail), and the same copy for the
// recording itself.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "export/Export.h"

namespace mrv::player {

enum class SavedAction { Open, OpenFolder, CopyFiles, Close };

// What the after-save window asks of the system and of its own window.
class AfterSaveShell {
  public:
    virtual ~AfterSaveShell() = default;
    // The file's size in bytes; -1 when it cannot be read.
    virtual int64_t FileSize(const std::string& path) = 0;
    virtual void ShowWindow(const std::string& name, const std::string& size) = 0;
    virtual void CloseWindow() = 0;
    // In the program the system opens such files with.
    virtual bool OpenFile(const std::string& path) = 0;
    // The folder in the system's file browser with `files` (all in it) selected.
    virtual bool ShowInFolder(const std::string& folder, const std::vector<std::string>& files) = 0;
    // On the clipboard as files, as Explorer's Copy puts them: a paste attaches or copies them.
    virtual bool CopyFiles(const std::vector<std::string>& files) = 0;
    virtual void ShowError(const char* text) = 0;
};

// "123 字节", "45.6 KB", "7.8 MB", "1.2 GB" (1024 to a step, one decimal below 100).
std::string SizeText(int64_t bytes);

// The name the window shows: the file's, or for a set of pictures the first one's and how
// many there are.
std::string SavedName(const std::vector<std::string>& files);

// The layout Explorer's copy puts on the clipboard and a drop hands over (CF_HDROP): a
// DROPFILES header (wide names, no point) and the names in UTF-16LE, each ended by a zero,
// the list by another.
std::vector<uint8_t> DropFileList(std::span<const std::string> files);

class AfterSave {
  public:
    explicit AfterSave(AfterSaveShell& shell) : shell_(shell) {}

    // How an export ended and the name it was asked to write: a finished one opens the window
    // (a later save's replaces an earlier one's).
    void ExportEnded(const exporting::ExportResult& result, const std::string& output);
    // A click on one of the window's buttons: a done action closes the window; a failed one
    // says so and leaves it up, for another try.
    void Clicked(SavedAction action);
    // The strip's menu: the recording itself on the clipboard.
    void CopyRecording(const std::string& recording);

    bool open() const { return !files_.empty(); }
    const std::vector<std::string>& files() const { return files_; }

  private:
    bool Copy(const std::vector<std::string>& files);

    AfterSaveShell& shell_;
    std::vector<std::string> files_;  // empty while the window is down
};

}  // namespace mrv::player
