#pragma once
// The play list view (209 of the main skin): an item per play-list video
// with its title, the buffered share and two buttons (preview, save). It
// never changes the play list itself: clicks, keys and menu 151 become
// requests to its host that carry keys (the main window posts them to
// itself as 0x8215-0x8218), and the view is rebuilt when the main window
// broadcasts that the list changed.
#include "shell/lists/play_list_layout.h"
#include "shell/lists/record_list_view.h"

#include <memory>

class CAppSetting;
class InfoVideo;

class CWndPlayList : public CRecordListView {
    Q_OBJECT
public:
    void FillMenu(QMenu& menu) override;
    CWndPlayList(CAppSetting& settings, IListHost& host, QWidget* parent);
    ~CWndPlayList() override;

    CPlayListLayout& Layout() { return layout_; }
    CListSelection& Selection() override { return layout_; }
    // The buffered share of a video grew.
    void Progress(const InfoVideo& video);
    // Runs a command of menu 151 on the selection.
    void RunMenuCommand(int id);
    // Where "查看视频来源" writes its text.
    static std::string SourcesFilePath();

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
    CPlayListLayout layout_;
    std::unique_ptr<Events> events_;
};
