#include "shell/lists/wnd_play_list.h"

#include "common/event_window.h"
#include "common/string_table.h"
#include "delivery/flv_cache.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"
#include "shell/window/main_messages.h"

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
    {20500, "播放(&P)"},     {20501, "预览(&V)"},   {20502, "保存视频文件(&S)..."}, {20503, "删除视频(&D)"},
    {20505, kSourcesEntry}, {20506, "加到我的收藏"}, {20507, "搜索本视频(&S)"},
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

CWndPlayList::CWndPlayList(CAppSetting& settings, HWND mainWindow, QWidget* parent)
    : CRecordListView(parent), settings_(settings), mainWindow_(mainWindow), model_(settings)
{
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
    return model_.Rebuild(revealKey);
}

void CWndPlayList::showEvent(QShowEvent*)
{
    Rebuild({});
}

CRecordListView::ItemLook CWndPlayList::Look(std::size_t index) const
{
    ItemLook look;
    const InfoVideo* video = FindVideo(settings_, model_.KeyAt(index));
    if (!video)
        return look;
    look.title = QString::fromStdString(video->a1.empty() ? video->a2 : video->a1);
    const CacheSizes sizes = GetCacheSizes(*video);
    look.share = sizes.total > 0 ? static_cast<double>(sizes.cached) / static_cast<double>(sizes.total) : 0.0;
    look.detail = QString::fromStdString(BufferedLine(*video));
    look.playing = settings_.nowPlaying && settings_.nowPlaying->key == video->a2;
    return look;
}

QString CWndPlayList::ButtonTip(int button) const
{
    return QString::fromStdString(LoadString(button == kSaveButton ? IDS_SAVE_TIP : IDS_PREVIEW_TIP));
}

// 30070 and 30071: the buffered share, the length and the download speed.
QString CWndPlayList::ItemTip(std::size_t index) const
{
    const InfoVideo* video = FindVideo(settings_, model_.KeyAt(index));
    if (!video)
        return {};
    std::string tip = BufferedText(*video);
    char text[128];
    if (speedOf) {
        std::snprintf(text, sizeof text, LoadString(IDS_DOWNLOAD_SPEED).c_str(), speedOf(*video) / 1024);
        tip += std::string("\r\n") + text;
    }
    return QString::fromStdString(tip).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// 30052: the play list's length, the cache's size and the running downloads.
QString CWndPlayList::ListTip() const
{
    char text[256];
    std::snprintf(text, sizeof text, LoadString(IDS_QUEUE_SUMMARY).c_str(), static_cast<int>(settings_.playList.PCL_GetObjectCount()),
                  static_cast<int>(GetCacheFolderSize() / 1048576), runningDownloads ? runningDownloads() : 0);
    return QString::fromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void CWndPlayList::OnButton(std::size_t index, int button)
{
    if (button == kSaveButton)
        PostKeysMessage(mainWindow_, WM_SAVE_VIDEO_KEY, {model_.KeyAt(index)});
    else
        PostKeyMessage(mainWindow_, WM_PREVIEW_VIDEO_KEY, model_.KeyAt(index));
}

void CWndPlayList::OnDoubleClick(std::size_t index)
{
    PostKeyMessage(mainWindow_, WM_PLAY_VIDEO_KEY, model_.KeyAt(index));
}

void CWndPlayList::OnDeleteKey()
{
    for (const std::string& key : model_.SelectedKeys())
        PostKeyMessage(mainWindow_, WM_REMOVE_VIDEO_KEY, key);
}

void CWndPlayList::FillMenu(QMenu& menu)
{
    if (model_.SelectedCount() == 0)
        return;
    const CPlayListModel::MenuState state = model_.Menu();
    for (const MenuEntry& entry : kMenu) {
        if ((entry.command == 20500 || entry.command == 20501) && !state.playAndPreview)
            continue;
        QAction* action = menu.addAction(QString::fromUtf8(entry.text));
        if (entry.command == 20502 || entry.command == 20506)
            action->setEnabled(state.saveAndFavorite);
        if (entry.command == 20507)
            action->setEnabled(state.search);
        connect(action, &QAction::triggered, this, [this, command = entry.command] { RunMenuCommand(command); });
    }
}

void CWndPlayList::RunMenuCommand(int command)
{
    const std::vector<std::string> keys = model_.SelectedKeys();
    if (keys.empty())
        return;
    switch (command) {
    case 20500: PostKeyMessage(mainWindow_, WM_PLAY_VIDEO_KEY, keys.front()); break;
    case 20501: PostKeyMessage(mainWindow_, WM_PREVIEW_VIDEO_KEY, keys.front()); break;
    case 20502: PostKeysMessage(mainWindow_, WM_SAVE_VIDEO_KEY, keys); break;
    case 20503: OnDeleteKey(); break;
    case 20505: ShowSourcesFile(SourcesFilePath(), model_.SourcesText(), showStatus); break;
    case 20506:
        QApplication::setOverrideCursor(Qt::WaitCursor);
        for (const std::string& key : keys)
            AddFavorite(settings_, key);
        QApplication::restoreOverrideCursor();
        break;
    case 20507:
        if (const InfoVideo* video = FindVideo(settings_, keys.front()); video && keys.size() == 1 && onSearch)
            onSearch(video->a1);
        break;
    default: break;
    }
}
