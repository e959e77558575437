#include "shell/settings/records_ops.h"

#include "common/app_folder.h"
#include "common/md5.h"
#include "delivery/flv_cache.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

template <typename Record, typename Field>
int IndexOfKey(const PCL_Interface_Composite<Record>& list, Field Record::*field, const std::string& key)
{
    int index = 0;
    for (const Record* record : list) {
        if (record->*field == key)
            return index;
        ++index;
    }
    return -1;
}

void RemoveFile(const std::string& path)
{
    std::error_code ignored;
    if (!path.empty())
        fs::remove(path, ignored);
}

void RemoveVideoAt(CAppSetting& setting, std::size_t index)
{
    DeleteCacheFile(*setting.playList.PCL_GetObject(index));
    setting.playList.PCL_DeleteObject(index);
}

// Copies through a sibling file, so that a failed copy (full disk) never
// leaves a truncated video under the favorite's name.
bool CopyToFavoriteFile(const std::string& source, const std::string& target)
{
    std::error_code ec;
    fs::create_directories(GetFavoriteFolder(), ec);
    const std::string part = target + ".part";
    if (!fs::copy_file(source, part, fs::copy_options::overwrite_existing, ec) || ec) {
        RemoveFile(part);
        return false;
    }
    fs::rename(part, target, ec);
    if (ec) {
        RemoveFile(part);
        return false;
    }
    return true;
}

}  // namespace

InfoVideo* FindVideo(const CAppSetting& setting, const std::string& key)
{
    const int index = IndexOfKey(setting.playList, &InfoVideo::a2, key);
    return index < 0 ? nullptr : setting.playList.PCL_GetObject(static_cast<std::size_t>(index));
}

bool RemoveVideo(CAppSetting& setting, const std::string& key)
{
    const int index = IndexOfKey(setting.playList, &InfoVideo::a2, key);
    if (index < 0)
        return false;
    RemoveVideoAt(setting, static_cast<std::size_t>(index));
    return true;
}

void RemovePreviewOnlyVideos(CAppSetting& setting)
{
    for (std::size_t i = setting.playList.PCL_GetObjectCount(); i-- > 0;) {
        if (setting.playList.PCL_GetObject(i)->a0 == "3")
            RemoveVideoAt(setting, i);
    }
}

void ClearPlayList(CAppSetting& setting)
{
    ClearCache();
    setting.playList.PCL_DeleteAllObjects();
}

std::string FormatViewTime(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%.2d-%.2d", local.tm_mon + 1, local.tm_mday);
    return text;
}

bool AddHistory(CAppSetting& setting, const std::string& title, const std::string& key, std::time_t now)
{
    if (key.find(' ') != std::string::npos || FindHistory(setting, key))
        return false;
    while (setting.history.PCL_GetObjectCount() > kHistoryLimit)
        setting.history.PCL_DeleteObject(std::size_t{0});
    auto* entry = new InfoHistory;
    entry->view_time = FormatViewTime(now);
    entry->title = title;
    entry->url = key;
    setting.history.PCL_PushObject(entry);
    return true;
}

InfoHistory* FindHistory(const CAppSetting& setting, const std::string& key)
{
    const int index = IndexOfKey(setting.history, &InfoHistory::url, key);
    return index < 0 ? nullptr : setting.history.PCL_GetObject(static_cast<std::size_t>(index));
}

bool RemoveHistory(CAppSetting& setting, const std::string& key)
{
    const int index = IndexOfKey(setting.history, &InfoHistory::url, key);
    return index >= 0 && setting.history.PCL_DeleteObject(static_cast<std::size_t>(index));
}

void ClearHistory(CAppSetting& setting)
{
    setting.history.PCL_DeleteAllObjects();
}

std::string GetFavoriteFolder()
{
    return GetUserFolders().data + "favorite/";
}

std::string GetFavoritePath(const std::string& key)
{
    return GetFavoriteFolder() + Md5Hex(key);
}

InfoFavorite* FindFavorite(const CAppSetting& setting, const std::string& key)
{
    const int index = IndexOfKey(setting.favorites, &InfoFavorite::url, key);
    return index < 0 ? nullptr : setting.favorites.PCL_GetObject(static_cast<std::size_t>(index));
}

bool AddFavorite(CAppSetting& setting, const std::string& key)
{
    if (FindFavorite(setting, key))
        return false;
    const InfoVideo* video = FindVideo(setting, key);
    if (!video || !IsComplete(*video))
        return false;
    // A favorite without its copy could never be played, so the entry is
    // added only once the copy is in place.
    if (!CopyToFavoriteFile(GetCachePath(*video), GetFavoritePath(key)))
        return false;
    auto* favorite = new InfoFavorite;
    favorite->title = video->a1;
    favorite->url = key;
    setting.favorites.PCL_PushObject(favorite);
    return true;
}

bool RemoveFavorite(CAppSetting& setting, const std::string& key)
{
    const int index = IndexOfKey(setting.favorites, &InfoFavorite::url, key);
    if (index < 0)
        return false;
    RemoveFile(GetFavoritePath(key));
    setting.favorites.PCL_DeleteObject(static_cast<std::size_t>(index));
    return true;
}

void ClearFavorites(CAppSetting& setting)
{
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(GetFavoriteFolder(), ec)) {
        std::error_code ignored;
        if (entry.is_regular_file(ignored))
            fs::remove(entry.path(), ignored);
    }
    setting.favorites.PCL_DeleteAllObjects();
}
