#pragma once
// The play list view (209 of the main skin): an item per play-list video
// with its title, the buffered share and two buttons (preview, save). It
// never changes the play list itself: clicks, keys and menu 151 become
// messages to the main window (0x8215-0x8218) that carry keys, and the view
// is rebuilt when the main window broadcasts that the list changed.
#include "shell/lists/play_list_model.h"
#include "shell/lists/record_list_view.h"
#include "platform/window_types.h"

#include <functional>
#include <memory>

class CAppSetting;
class InfoVideo;

class CWndPlayList : public CRecordListView {
    Q_OBJECT
public:
    void FillMenu(QMenu& menu) override;
    CWndPlayList(CAppSetting& settings, HWND mainWindow, QWidget* parent);
    ~CWndPlayList() override;

    CPlayListModel& Model() { return model_; }
    CListSelection& Selection() override { return model_; }
    // The buffered share of a video grew.
    void Progress(const InfoVideo& video);
    // Runs a command of menu 151 on the selection.
    void RunMenuCommand(int command);
    // Where "查看视频来源" writes its text.
    static std::string SourcesFilePath();
    // Puts the title into the search box; the main window searches (20032).
    std::function<void(const std::string& title)> onSearch;
    // The download figures the tips show: a video's speed in bytes per
    // second, and how many downloads run.
    std::function<int(const InfoVideo& video)> speedOf;
    std::function<int()> runningDownloads;

protected:
    std::optional<std::size_t> RebuildItems(const std::string& revealKey) override;
    ItemLook Look(std::size_t index) const override;
    int ButtonCount() const override { return 2; }
    QString ButtonTip(int button) const override;
    QString ItemTip(std::size_t index) const override;
    QString ListTip() const override;
    void OnButton(std::size_t index, int button) override;
    void OnDoubleClick(std::size_t index) override;
    void OnDeleteKey() override;
    void showEvent(QShowEvent* event) override;

private:
    class Events;
    CAppSetting& settings_;
    HWND mainWindow_;
    CPlayListModel model_;
    std::unique_ptr<Events> events_;
};
