#pragma once
// Whether a video key names a file of this machine. Keys are page or stream
// addresses, or absolute paths (the command line, the file dialog, a drop
// and the favorites hand over absolute paths), so a path key starts with '/'.
#include <string>

// The key is written as a path (whether or not the file is there).
bool IsLocalPathKey(const std::string& key);
// The key is a path to a regular file that exists (links followed).
bool IsLocalFile(const std::string& key);
