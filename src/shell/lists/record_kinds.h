#pragma once
// The record kinds that CWndRecordList shows: per kind its row item (a copy
// of the record, so a row outlives its record until the next rebuild), its
// context menu and commands, and what playing, saving, removing and
// clearing do. A new record list is a new kind here and one alias.
#include "common/ids/command_ids.h"
#include "common/ids/string_ids.h"

#include <string>
#include <vector>

class CAppSetting;
class IListHost;

// The commands of a record list's menu by role; 0 where a kind has none.
struct RecordListCommands {
    int play;
    int save;            // also the item's save button
    int removeSelected;  // also the Delete key
    int clear;
    int sources;
};

struct RecordMenuEntry {
    int command;
    const char* text;
};

// What a row shows.
struct RecordLook {
    std::string title;
    std::string detail;
    bool playing = false;  // the main player's video
};

// A history entry: watched when, its title and page key.
struct CHistoryItem {
    std::string viewTime;
    std::string title;
    std::string url;
};

// A favorite: its title and page key; its file is GetFavoritePath(url).
struct CFavoriteItem {
    std::string title;
    std::string url;
};

// History: menu 154; a double click plays the page again.
struct HistoryKind {
    using Item = CHistoryItem;
    static constexpr RecordListCommands kCommands{command::kHistoryPlay, 0, command::kHistoryDelete,
                                                  command::kHistoryClear, command::kHistorySources};
    static constexpr RecordMenuEntry kMenu[] = {{command::kHistoryPlay, "播放"},
                                                {command::kHistoryDelete, "删除选中记录"},
                                                {command::kHistoryClear, "清空所有记录"},
                                                {command::kHistorySources, "查看视频来源"}};
    static constexpr int kClearQuestion = IDS_CLEAR_HISTORY_CONFIRM;

    static std::vector<Item> Items(const CAppSetting& settings);
    static RecordLook Look(const Item& item, const CAppSetting& settings);
    static bool CanPlay(const Item&) { return true; }
    static void Play(IListHost& host, const Item& item);
    static void Save(IListHost&, const Item&) {}
    // Every entry of the page goes.
    static void Remove(CAppSetting& settings, const std::string& key);
    static void Clear(CAppSetting& settings);
};

// Favorites: menu 156; they play and save from their kept file, which may
// have been deleted outside the program: then neither.
struct FavoriteKind {
    using Item = CFavoriteItem;
    static constexpr RecordListCommands kCommands{command::kFavoritePlay, command::kFavoriteSave,
                                                  command::kFavoriteDelete, command::kFavoriteClear,
                                                  command::kFavoriteSources};
    static constexpr RecordMenuEntry kMenu[] = {{command::kFavoritePlay, "播放"},
                                                {command::kFavoriteSave, "保存视频文件..."},
                                                {command::kFavoriteDelete, "删除选中收藏"},
                                                {command::kFavoriteClear, "清空所有收藏"},
                                                {command::kFavoriteSources, "查看视频来源"}};
    static constexpr int kClearQuestion = IDS_CLEAR_FAVORITES_CONFIRM;

    static std::vector<Item> Items(const CAppSetting& settings);
    static RecordLook Look(const Item& item, const CAppSetting& settings);
    // Its file is still there.
    static bool CanPlay(const Item& item);
    static void Play(IListHost& host, const Item& item);
    static void Save(IListHost& host, const Item& item);
    // The entry and its file go.
    static void Remove(CAppSetting& settings, const std::string& key);
    // Every file of the favorite folder goes too.
    static void Clear(CAppSetting& settings);
};
