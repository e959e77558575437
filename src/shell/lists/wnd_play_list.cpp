#include "shell/lists/wnd_play_list.h"

#include "common/event_window.h"
#include "common/ids/command_ids.h"
#include "common/string_table.h"
#include "delivery/flv_cache.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"
#include "ui/widgets/ui_text.h"

#include <QApplication>
#include <QMenu>

#include <cstdio>

namespace {

constexpr int kSaveButton = 0;
constexpr const char* kSourcesEntry = "查看视频来源";

struct MenuEntry {
    int command;
    const char* text;
};
constexpr MenuEntry kMenu[] = {
    {command::kListPlay, "播放(&P)"},
    {command::kListPreview, "预览(&V)"},
    {command::kListSave, "保存视频文件(&S)..."},
    {command::kListDelete, "删除视频(&D)"},
    {command::kListSources, kSourcesEntry},
    {command::kListAddFavorite, "加到我的收藏"},
    {command::kListSearchThis, "搜索本视频(&S)"},
};

}  // namespace

// The view's ear for the broadcasts.
class CWndPlayList::Events : public CEventWindowBaseT<CWnd> {
public:
    explicit Events(CWndPlayList& view) : view_(view) { Create(); }

protected:
    void OnEventFlvDownloadProgress(InfoVideo* video) override
    {
        if (video)
            view_.Progress(*video);
    }
    void OnEventVideoUpdated(const std::string& key) override { view_.Rebuild(key); }

private:
    CWndPlayList& view_;
};

CWndPlayList::CWndPlayList(CAppSetting& settings, IListHost& host, QWidget* parent)
    : CRecordListView(host, parent), settings_(settings), layout_(settings)
{
    layout_.SetHlsFigures([this](const InfoVideo& video) { return Host().HlsCache(video); });
    events_ = std::make_unique<Events>(*this);
    Rebuild({});
}

// The sources file lives as long as the view that wrote it.
CWndPlayList::~CWndPlayList()
{
    std::remove(SourcesFilePath().c_str());
}

std::string CWndPlayList::SourcesFilePath()
{
    return ::SourcesFilePath(kSourcesEntry);
}

void CWndPlayList::Progress(const InfoVideo& video)
{
    UpdateKey(video.a2);
}

std::optional<std::size_t> CWndPlayList::RebuildItems(const std::string& revealKey)
{
    return layout_.Rebuild(revealKey);
}

void CWndPlayList::showEvent(QShowEvent*)
{
    Rebuild({});
}

CRecordListView::ItemLook CWndPlayList::Look(std::size_t index) const
{
    ItemLook look;
    const std::optional<CPlayListItem> item = layout_.Item(index);
    if (!item)
        return look;
    look.title = QString::fromStdString(item->title);
    look.detail = QString::fromStdString(item->detail);
    look.share = item->share;
    look.playing = item->playing;
    return look;
}

QString CWndPlayList::ButtonTip(int button) const
{
    return ui::Text(button == kSaveButton ? IDS_SAVE_TIP : IDS_PREVIEW_TIP);
}

// 30070 (30106 for HLS) and 30071: the buffered share, the length and the download speed.
QString CWndPlayList::ItemTip(std::size_t index) const
{
    const InfoVideo* video = FindVideo(settings_, layout_.KeyAt(index));
    if (!video)
        return {};
    std::string tip = BufferedText(*video, layout_.HlsOf(*video));
    char text[128];
    std::snprintf(text, sizeof text, LoadString(IDS_DOWNLOAD_SPEED).c_str(), Host().DownloadSpeed(*video) / 1024);
    tip += std::string("\r\n") + text;
    return QString::fromStdString(tip).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// 30052: the play list's length, the cache's size and the running downloads.
QString CWndPlayList::ListTip() const
{
    char text[256];
    std::snprintf(text, sizeof text, LoadString(IDS_QUEUE_SUMMARY).c_str(), static_cast<int>(settings_.playList.PCL_GetObjectCount()),
                  static_cast<int>(GetCacheFolderSize() / 1048576), Host().RunningDownloads());
    return QString::fromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void CWndPlayList::OnButton(std::size_t index, int button)
{
    if (button == kSaveButton)
        Host().SaveKeys({layout_.KeyAt(index)});
    else
        Host().PreviewKey(layout_.KeyAt(index));
}

void CWndPlayList::OnDoubleClick(std::size_t index)
{
    Host().PlayKey(layout_.KeyAt(index));
}

void CWndPlayList::OnDeleteKey()
{
    for (const std::string& key : layout_.SelectedKeys())
        Host().RemoveKey(key);
}

void CWndPlayList::FillMenu(QMenu& menu)
{
    if (layout_.SelectedCount() == 0)
        return;
    const CPlayListLayout::MenuState state = layout_.Menu();
    for (const MenuEntry& entry : kMenu) {
        if ((entry.command == command::kListPlay || entry.command == command::kListPreview) && !state.playAndPreview)
            continue;
        QAction* action = menu.addAction(ui::Tr(entry.text));
        if (entry.command == command::kListSave || entry.command == command::kListAddFavorite)
            action->setEnabled(state.saveAndFavorite);
        if (entry.command == command::kListSearchThis)
            action->setEnabled(state.search);
        connect(action, &QAction::triggered, this, [this, id = entry.command] { RunMenuCommand(id); });
    }
}

void CWndPlayList::RunMenuCommand(int id)
{
    const std::vector<std::string> keys = layout_.SelectedKeys();
    if (keys.empty())
        return;
    switch (id) {
    case command::kListPlay: Host().PlayKey(keys.front()); break;
    case command::kListPreview: Host().PreviewKey(keys.front()); break;
    case command::kListSave: Host().SaveKeys(keys); break;
    case command::kListDelete: OnDeleteKey(); break;
    case command::kListSources: ShowSources(kSourcesEntry, layout_.SourcesText()); break;
    case command::kListAddFavorite:
        QApplication::setOverrideCursor(Qt::WaitCursor);
        for (const std::string& key : keys)
            AddFavorite(settings_, key);
        QApplication::restoreOverrideCursor();
        break;
    case command::kListSearchThis:
        if (const InfoVideo* video = FindVideo(settings_, keys.front()); video && keys.size() == 1)
            Host().SearchText(video->a1);
        break;
    default: break;
    }
}
