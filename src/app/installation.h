#pragma once
// An installed Quelt (scripts/install.sh, or cmake --install): the install
// writes the marker file beside the executable, listing the files it put
// outside the program folder (the command in bin/, the menu entry, the
// icon), one absolute path a line.
#include <string>

// "quelt --menu-entry": the install asks the program for its menu entry,
// written where XDG_DATA_HOME points.
inline constexpr const char* kMenuEntryArgument = "--menu-entry";

// Removes the files the marker of the installation in programFolder lists,
// then the program folder itself. The user's files (XDG data and cache)
// stay. False, doing nothing, when the folder holds no installation.
bool RemoveInstallation(const std::string& programFolder);
