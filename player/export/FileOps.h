// The few file operations an export needs, over the platform's own calls: std::filesystem's
// operations would bring a megabyte of locale code into the player that every recording carries.
// Failures are errno values (ENOSPC for a full disk), 0 for success.
#pragma once

#include <cstdio>
#include <filesystem>

namespace mrv::exporting::files {

bool IsFile(const std::filesystem::path& path);
// Both name the same existing file.
bool Same(const std::filesystem::path& a, const std::filesystem::path& b);
// Replaces `to` if it exists.
int Rename(const std::filesystem::path& from, const std::filesystem::path& to);
void Remove(const std::filesystem::path& path);
// EEXIST when it exists.
int MakeFolder(const std::filesystem::path& path);
// A folder and the files in it.
void RemoveFolder(const std::filesystem::path& path);
// A new file for writing (null with errno set, EEXIST when it exists), or one for reading.
std::FILE* CreateNew(const std::filesystem::path& path);
std::FILE* OpenRead(const std::filesystem::path& path);

}  // namespace mrv::exporting::files
