#pragma once
// Operations on the record lists of the settings object: the play list, the
// view history and the favorites with their files in "favorite/". They run
// on the user-interface thread and, like the rest of the program, fail
// silently: a copy or delete that fails is not reported.
#include "shell/settings/app_setting.h"

#include <ctime>
#include <string>

// The most history entries kept before a new one is added; the history
// holds at most one more.
inline constexpr std::size_t kHistoryLimit = 1000;

// Play list (keys compare as exact text).
InfoVideo* FindVideo(const CAppSetting& setting, const std::string& key);
// Removes the first record with this key and deletes its cache file; the
// caller stops whatever shows or downloads it first. False when not listed.
bool RemoveVideo(CAppSetting& setting, const std::string& key);
// Removes the preview-only records (a0 "3") with their cache files; run at exit.
void RemovePreviewOnlyVideos(CAppSetting& setting);
// Empties the cache folder and the play list (the exit option).
void ClearPlayList(CAppSetting& setting);

// View history.
// "MM-DD" of the local date of when.
std::string FormatViewTime(std::time_t when);
// Appends an entry unless the key holds a blank (a segment of a video) or is
// already listed; drops the oldest entries first so that at most
// kHistoryLimit + 1 remain. True when an entry was added.
bool AddHistory(CAppSetting& setting, const std::string& title, const std::string& key,
                std::time_t now = std::time(nullptr));
InfoHistory* FindHistory(const CAppSetting& setting, const std::string& key);
bool RemoveHistory(CAppSetting& setting, const std::string& key);
// Clears the list only; favorites and their files are left alone.
void ClearHistory(CAppSetting& setting);

// Favorites.
std::string GetFavoriteFolder();  // GetUserFolders().data + "favorite/"
// The favorite's copy of the video: the folder + MD5 of the key.
std::string GetFavoritePath(const std::string& key);
InfoFavorite* FindFavorite(const CAppSetting& setting, const std::string& key);
// Adds the play-list video with this key when its cache file is complete and
// it is not a favorite yet, copying the cache file to the favorite file
// (replacing one that is there). When the copy fails nothing is added.
// True when the favorite was added.
bool AddFavorite(CAppSetting& setting, const std::string& key);
// Deletes the favorite file and the entry. False when not listed.
bool RemoveFavorite(CAppSetting& setting, const std::string& key);
// Deletes every file in the favorite folder and clears the list.
void ClearFavorites(CAppSetting& setting);
