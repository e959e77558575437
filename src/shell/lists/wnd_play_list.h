#pragma once
// The play list view (209 of the main skin): an item per play-list video
// with its title, the buffered share and two buttons (preview, save). It
// never changes the play list itself: clicks, keys and menu 151 become
// messages to the main window (0x8215-0x8218) that carry keys, and the view
// is rebuilt when the main window broadcasts that the list changed.
#include "common/event_window.h"
#include "shell/lists/play_list_model.h"

#include <QWidget>

#include <functional>
#include <memory>

class CAppSetting;
class QScrollBar;

class CWndPlayList : public QWidget {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 46;

    CWndPlayList(CAppSetting& settings, HWND mainWindow, QWidget* parent);
    ~CWndPlayList() override;

    CPlayListModel& Model() { return model_; }
    // Rebuilds the items, selecting the key's item and bringing it into view.
    void Rebuild(const std::string& selectKey);
    // The buffered share of a video grew.
    void Progress(const InfoVideo& video);
    // Runs a command of menu 151 on the selection.
    void RunMenuCommand(int command);
    // Where "查看视频来源" writes its text (one file per process).
    static std::string SourcesFilePath();
    // Puts the title into the search box; the main window searches (20032).
    std::function<void(const std::string& title)> onSearch;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    class Events;
    // The item at a point of the view, if any, and the point in its frame.
    std::optional<std::size_t> ItemAt(const QPoint& point, QPoint* inItem = nullptr) const;
    QRect ItemRect(std::size_t index) const;
    void ShowMenu(const QPoint& where);
    void ShowSources();
    void RemoveSelected();
    void UpdateScrollRange();

    CAppSetting& settings_;
    HWND mainWindow_;
    CPlayListModel model_;
    std::unique_ptr<Events> events_;
    QScrollBar* scroll_;
    QPoint lastMouse_{-1, -1};
};
