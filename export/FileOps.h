// The few file operations an export needs, over the platform's own calls and by UTF-8 names:
// std::filesystem would bring over half a megabyte of locale code into the player that every
// recording carries.
// Failures are errno values (ENOSPC for a full disk), 0 for success.
#pragma once

#include <cstdio>
#include <string>

namespace mrv::exporting::files {

bool IsFile(const std::string& path);
// Both name the same existing file.
bool Same(const std::string& a, const std::string& b);
// Replaces `to` if it exists; EBUSY while another program holds it.
int Rename(const std::string& from, const std::string& to);
void Remove(const std::string& path);
// A new staged (hidden) folder; EEXIST when it exists.
int MakeFolder(const std::string& path);
// A folder and the files in it.
void RemoveFolder(const std::string& path);
// A new (staged, so hidden where the system hides files) file for writing (null with errno set,
// EEXIST when it exists), or one for reading.
std::FILE* CreateNew(const std::string& path);
std::FILE* OpenRead(const std::string& path);

}  // namespace mrv::exporting::files
