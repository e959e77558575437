#pragma once
// Every program file and folder is found relative to the executable; the
// user's files ("setting.xml", "favorite/", "sseting/" and the cache
// "temp/") beside it too, unless the program is installed.
#include <string>

// The folder of the running executable with a trailing "/".
std::string GetAppFolder();
// Tests point the program folder elsewhere; an empty text restores the
// executable's folder. The user's files then live there too.
void SetAppFolderForTesting(const std::string& folder);

// The file the install writes beside the executable.
inline constexpr const char* kInstalledMarker = "quelt.installed";

// Where the user's files live, each with a trailing "/".
struct UserFolders {
    std::string data;   // "setting.xml", "favorite/", "sseting/"
    std::string cache;  // "temp/"
};
// A portable program (a build folder, or any folder of its own the user
// can write) keeps them in its folder. An installed one (the marker file
// beside it, or a folder the user cannot write) keeps them in "quelt/"
// under the user's data and cache homes.
UserFolders DecideUserFolders(const std::string& programFolder, const std::string& dataHome,
                              const std::string& cacheHome);
// The decision for this program, taken once.
UserFolders GetUserFolders();
