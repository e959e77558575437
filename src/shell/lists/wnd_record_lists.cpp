#include "shell/lists/wnd_record_lists.h"

#include "common/string_table.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"

#include <QMenu>

#include <filesystem>

namespace {


struct MenuEntry {
    int command;
    const char* text;
};
constexpr MenuEntry kHistoryMenu[] = {
    {20600, "播放"}, {20601, "删除选中记录"}, {20602, "清空所有记录"}, {20603, "查看视频来源"}};
constexpr MenuEntry kFavoriteMenu[] = {{20610, "播放"},         {20611, "保存视频文件..."}, {20612, "删除选中收藏"},
                                       {20613, "清空所有收藏"}, {20614, "查看视频来源"}};

template <std::size_t N, typename View>
void Fill(QMenu& menu, const MenuEntry (&entries)[N], View& view)
{
    for (const MenuEntry& entry : entries) {
        QAction* action = menu.addAction(QString::fromUtf8(entry.text));
        action->setEnabled(view.IsEnabled(entry.command));
        QObject::connect(action, &QAction::triggered, &view, [&view, command = entry.command] { view.RunCommand(command); });
    }
}

bool FileIsThere(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// Title, key and the closing empty lines of each selected record.
template <typename List>
std::string SourcesOf(const List& list, const std::vector<std::string>& keys)
{
    std::string text;
    for (const std::string& key : keys)
        for (const auto* record : list)
            if (record->url == key) {
                text += record->title + "\r\n" + record->url + "\r\n\r\n\r\n";
                break;
            }
    return text;
}

}  // namespace

// History ------------------------------------------------------------------

CWndHistoryList::CWndHistoryList(CAppSetting& settings, RecordListHandlers handlers, QWidget* parent)
    : CRecordListView(parent), settings_(settings), handlers_(std::move(handlers))
{
    Rebuild({});
}

void CWndHistoryList::showEvent(QShowEvent*)
{
    Rebuild({});
}

std::optional<std::size_t> CWndHistoryList::RebuildItems(const std::string& revealKey)
{
    std::vector<std::string> keys;
    for (const InfoHistory* entry : settings_.history)
        keys.push_back(entry->url);
    return selection_.Reset(std::move(keys), revealKey);
}

CRecordListView::ItemLook CWndHistoryList::Look(std::size_t index) const
{
    ItemLook look;
    if (const InfoHistory* entry = FindHistory(settings_, selection_.KeyAt(index))) {
        look.title = QString::fromStdString(entry->title.empty() ? entry->url : entry->title);
        look.detail = QString::fromStdString(entry->view_time + "  " + entry->url);
        look.playing = settings_.nowPlaying && settings_.nowPlaying->key == entry->url;
    }
    return look;
}

bool CWndHistoryList::IsEnabled(int command) const
{
    const std::size_t selected = selection_.SelectedCount();
    switch (command) {
    case 20600: return selected == 1;
    case 20601:
    case 20603: return selected > 0;
    default: return true;
    }
}

void CWndHistoryList::FillMenu(QMenu& menu)
{
    Fill(menu, kHistoryMenu, *this);
}

void CWndHistoryList::RunCommand(int command)
{
    const std::vector<std::string> keys = selection_.SelectedKeys();
    switch (command) {
    case 20600:
        if (keys.size() == 1 && handlers_.play)
            if (const InfoHistory* entry = FindHistory(settings_, keys.front()))
                handlers_.play(entry->title, entry->url);
        break;
    case 20601: {
        const std::optional<std::size_t> first = selection_.FirstSelected();
        if (!first)
            break;
        for (const std::string& key : keys)
            while (RemoveHistory(settings_, key)) {
            }
        Rebuild({});
        SelectAndReveal(*first);
        break;
    }
    case 20602:
        if (handlers_.confirm && handlers_.confirm(LoadString(IDS_CLEAR_HISTORY_CONFIRM))) {
            ClearHistory(settings_);
            Rebuild({});
        }
        break;
    case 20603:
        if (!keys.empty())
            ShowSourcesFile(SourcesFilePath("查看视频来源"), SourcesOf(settings_.history, keys), showStatus);
        break;
    default: break;
    }
}

// Favorites ----------------------------------------------------------------

CWndFavoriteList::CWndFavoriteList(CAppSetting& settings, RecordListHandlers handlers, QWidget* parent)
    : CRecordListView(parent), settings_(settings), handlers_(std::move(handlers))
{
    Rebuild({});
}

void CWndFavoriteList::showEvent(QShowEvent*)
{
    Rebuild({});
}

std::optional<std::size_t> CWndFavoriteList::RebuildItems(const std::string& revealKey)
{
    std::vector<std::string> keys;
    for (const InfoFavorite* favorite : settings_.favorites)
        keys.push_back(favorite->url);
    return selection_.Reset(std::move(keys), revealKey);
}

CRecordListView::ItemLook CWndFavoriteList::Look(std::size_t index) const
{
    ItemLook look;
    const std::string& key = selection_.KeyAt(index);
    if (const InfoFavorite* favorite = FindFavorite(settings_, key)) {
        look.title = QString::fromStdString(favorite->title.empty() ? favorite->url : favorite->title);
        look.detail = FileIsThere(GetFavoritePath(key)) ? QString::fromStdString(favorite->url)
                                                        : QStringLiteral("视频文件已不在收藏夹中");
        // A favorite plays from its own file.
        look.playing = settings_.nowPlaying && settings_.nowPlaying->key == GetFavoritePath(key);
    }
    return look;
}

QString CWndFavoriteList::ButtonTip(int) const
{
    return QString::fromStdString(LoadString(IDS_SAVE_TIP));
}

std::string CWndFavoriteList::FirstFileThere() const
{
    const std::optional<std::size_t> first = selection_.FirstSelected();
    if (!first)
        return {};
    const std::string path = GetFavoritePath(selection_.KeyAt(*first));
    return FileIsThere(path) ? path : std::string();
}

bool CWndFavoriteList::IsEnabled(int command) const
{
    const std::size_t selected = selection_.SelectedCount();
    switch (command) {
    case 20610: return selected == 1 && !FirstFileThere().empty();
    case 20611: return selected > 0 && !FirstFileThere().empty();
    case 20612:
    case 20614: return selected > 0;
    default: return true;
    }
}

void CWndFavoriteList::FillMenu(QMenu& menu)
{
    Fill(menu, kFavoriteMenu, *this);
}

void CWndFavoriteList::Save(std::size_t index)
{
    const std::string& key = selection_.KeyAt(index);
    const std::string path = GetFavoritePath(key);
    const InfoFavorite* favorite = FindFavorite(settings_, key);
    if (favorite && FileIsThere(path) && handlers_.save)
        handlers_.save(path, favorite->title);
}

void CWndFavoriteList::OnButton(std::size_t index, int)
{
    Save(index);
}

void CWndFavoriteList::RunCommand(int command)
{
    const std::vector<std::string> keys = selection_.SelectedKeys();
    const std::optional<std::size_t> first = selection_.FirstSelected();
    switch (command) {
    case 20610:
        if (keys.size() == 1 && !FirstFileThere().empty() && handlers_.playFile)
            handlers_.playFile(FirstFileThere());
        break;
    case 20611:
        if (first && !FirstFileThere().empty())
            Save(*first);
        break;
    case 20612:
        if (!first)
            break;
        for (const std::string& key : keys)
            RemoveFavorite(settings_, key);
        Rebuild({});
        SelectAndReveal(*first);
        break;
    case 20613:
        if (handlers_.confirm && handlers_.confirm(LoadString(IDS_CLEAR_FAVORITES_CONFIRM))) {
            ClearFavorites(settings_);
            Rebuild({});
        }
        break;
    case 20614:
        if (!keys.empty())
            ShowSourcesFile(SourcesFilePath("查看视频来源"), SourcesOf(settings_.favorites, keys), showStatus);
        break;
    default: break;
    }
}
