#pragma once
// The row of tab buttons above the main window's web views. Each button
// stands for one view window (found among the main window's children by
// its id); selecting a button shows that view and hides the others, and the
// close box of a closable button asks the main window to close the tab.
#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"
#include "common/ids/message_ids.h"
#include "platform/window_types.h"
#include "ui/tab_band/tab_button_layout.h"

#include <pugixml.hpp>

#include <QImage>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QMenu;

namespace ui {

class CWndTabBand : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMenuId = menu::kTabBand;
    static constexpr int kCloseAllCommand = command::kCloseAllTabs;
    static constexpr int kCloseAllImage = 6007;

    // Reads "ctrl_id", "max_itemwidth", "min_itemwidth", "tab_button" and
    // "close_button" from the skin element.
    CWndTabBand(const pugi::xml_node& element, QWidget* parent);
    ~CWndTabBand() override;

    // A new button goes right after the selected one (at the end when none
    // is selected) and is selected when the band is visible.
    void AddButton(int viewId, bool closable);
    // Removes the button and selects the one before it (the new first one
    // when it was first).
    void RemoveButton(int viewId);
    // Posts the band a press at the button's top-left corner, handled like
    // a click; the selection happens when the event loop gets there. When
    // the band is hidden by then, no view is shown: the selected one is the
    // view shown when the band is shown again.
    void SelectButton(int viewId);
    void SetButtonText(int viewId, const std::string& text);

    const std::vector<std::unique_ptr<CTabButtonItem>>& GetButtons() const { return buttons_; }
    CTabButtonItem* FindButton(int viewId) const;
    // -1 when no button is selected.
    int GetSelectedViewId() const;
    // The view remembered when the band was last hidden (-1: none yet).
    int GetRememberedViewId() const { return lastSelectedViewId_; }
    int GetCtrlId() const { return ctrlId_; }

    // Menu 155 with its single entry 20400, posted to the main window.
    QMenu* CreateBandMenu();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void LayoutButtons();
    CTabButtonItem* ButtonAt(const QPoint& point) const;
    void SelectAt(const QPoint& point);
    void ShowSelectedView();
    QWidget* MainWindow() const;
    HWND MainWindowHandle() const;
    void DrawButton(QPainter& painter, const CTabButtonItem& button);
    void DrawCloseBox(QPainter& painter, const CTabButtonItem& button);

    int ctrlId_ = 0;
    int maxItemWidth_ = 150;
    int minItemWidth_ = 60;
    std::string tabButtonImage_;
    std::string closeButtonImage_;
    std::vector<std::unique_ptr<CTabButtonItem>> buttons_;
    int lastSelectedViewId_ = -1;
    int pressedViewId_ = -1;  // the button under a held left button
    QPoint hoverPoint_{-1, -1};
};

}  // namespace ui
