#include "shell/lists/record_kinds.h"

#include "common/lang/translate.h"
#include "shell/lists/list_host.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"

#include <filesystem>

namespace {

bool FileIsThere(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool IsPlaying(const CAppSetting& settings, const std::string& key)
{
    return settings.nowPlaying && settings.nowPlaying->key == key;
}

}  // namespace

// History ------------------------------------------------------------------

std::vector<CHistoryItem> HistoryKind::Items(const CAppSetting& settings)
{
    std::vector<CHistoryItem> items;
    for (const InfoHistory* entry : settings.history)
        items.push_back({entry->view_time, entry->title, entry->url});
    return items;
}

RecordLook HistoryKind::Look(const Item& item, const CAppSetting& settings)
{
    return {item.title.empty() ? item.url : item.title, item.viewTime + "  " + item.url, IsPlaying(settings, item.url)};
}

void HistoryKind::Play(IListHost& host, const Item& item)
{
    host.PlayVideo(item.title, item.url);
}

void HistoryKind::Remove(CAppSetting& settings, const std::string& key)
{
    while (RemoveHistory(settings, key)) {
    }
}

void HistoryKind::Clear(CAppSetting& settings)
{
    ClearHistory(settings);
}

// Favorites ----------------------------------------------------------------

std::vector<CFavoriteItem> FavoriteKind::Items(const CAppSetting& settings)
{
    std::vector<CFavoriteItem> items;
    for (const InfoFavorite* favorite : settings.favorites)
        items.push_back({favorite->title, favorite->url});
    return items;
}

RecordLook FavoriteKind::Look(const Item& item, const CAppSetting& settings)
{
    const std::string path = GetFavoritePath(item.url);
    // A favorite plays from its own file.
    return {item.title.empty() ? item.url : item.title, FileIsThere(path) ? item.url : lang::Tr("视频文件已不在收藏夹中"),
            IsPlaying(settings, path)};
}

bool FavoriteKind::CanPlay(const Item& item)
{
    return FileIsThere(GetFavoritePath(item.url));
}

void FavoriteKind::Play(IListHost& host, const Item& item)
{
    if (CanPlay(item))
        host.PlayFile(GetFavoritePath(item.url));
}

void FavoriteKind::Save(IListHost& host, const Item& item)
{
    if (CanPlay(item))
        host.SaveFile(GetFavoritePath(item.url), item.title);
}

void FavoriteKind::Remove(CAppSetting& settings, const std::string& key)
{
    RemoveFavorite(settings, key);
}

void FavoriteKind::Clear(CAppSetting& settings)
{
    ClearFavorites(settings);
}
