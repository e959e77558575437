#pragma once
// What the side-panel lists (play list, favorites, history) share: a column
// of items with a title, a line below it and an optional share bar, up to
// two small buttons at an item's right end that light up under the mouse,
// the selection gestures, scrolling, Delete and a context menu. Each list
// says what its items show and what its clicks do; all of them reach the
// window that holds them through its IListHost.
#include "shell/lists/list_host.h"
#include "shell/lists/list_selection.h"

#include <QWidget>

#include <functional>
#include <string>

class QMenu;
class QScrollBar;

class CRecordListView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 46;

    CRecordListView(IListHost& host, QWidget* parent);
    ~CRecordListView() override;

    virtual CListSelection& Selection() = 0;
    // Rebuilds from the records, keeping the user's selection, and reveals
    // the key's item (without selecting it: only a click selects).
    void Rebuild(const std::string& revealKey);
    // Selects the item at index (or the last) and reveals it.
    void SelectAndReveal(std::size_t index);
    // Fills the context menu for the selection; an empty menu is not shown.
    virtual void FillMenu(QMenu& /*menu*/) {}
    // The smaller font of each row's second line: 85 % of the view's,
    // whether the view's font is set in pixels (the skin's) or in points.
    QFont DetailFont() const;

protected:
    struct ItemLook {
        QString title;
        QString detail;
        double share = -1;  // 0..1 for a bar, below 0 for none
        bool playing = false;  // the main player's video: marked
    };
    virtual std::optional<std::size_t> RebuildItems(const std::string& revealKey) = 0;
    virtual ItemLook Look(std::size_t index) const = 0;
    virtual int ButtonCount() const { return 0; }
    virtual QString ButtonTip(int /*button*/) const { return {}; }
    // The tip of an item itself, and of the empty space below the items.
    virtual QString ItemTip(std::size_t /*index*/) const { return {}; }
    virtual QString ListTip() const { return {}; }
    virtual void OnButton(std::size_t /*index*/, int /*button*/) {}
    virtual void OnDoubleClick(std::size_t /*index*/) {}
    virtual void OnDeleteKey() {}
    // Repaints the items of a key.
    void UpdateKey(const std::string& key);
    IListHost& Host() const { return host_; }
    // Writes the text into the sources file of this menu entry and opens it;
    // a failure to open it is told in the host's status line while this
    // view lives.
    void ShowSources(const std::string& menuText, const std::string& text);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    std::optional<std::size_t> ItemAt(const QPoint& point, QPoint* inItem = nullptr);
    QRect ItemRect(std::size_t index) const;
    void Reveal(std::size_t index);
    void UpdateScrollRange();
    void DrawButton(QPainter& painter, const QRect& item, int button, bool lit) const;

    IListHost& host_;
    QScrollBar* scroll_;
    QPoint lastMouse_{-1, -1};
};

// Writes the sources text into the file named after a menu entry (one file
// per user, replaced each time) and opens it in the desktop's viewer; when
// the desktop has none (or no opener), showStatus says where the file is.
void ShowSourcesFile(const std::string& path, const std::string& text,
                     const std::function<void(const std::string&)>& showStatus);
// The path of that file: "quelt-<uid>/" in the temporary folder, the
// entry's text, ".txt".
std::string SourcesFilePath(const std::string& menuText);
