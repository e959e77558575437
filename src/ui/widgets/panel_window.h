#pragma once
// A window whose content is a skin: it reads the skin file, creates the
// child windows the skin names, lays everything out on every resize, draws
// the fills, frames and texts, and turns clicks on items with a command id
// (and on the skin's buttons) into WM_COMMAND messages.
//
// As a top-level window it has no frame of the window manager's: the skin
// draws its title bar. A drag on the skin where it has no command is the
// caption's and moves the window; a resizable window is resized from its
// outer edges.
//
// Its message side is a platform window: GetSafeHwnd() is the handle other
// parts post to (for example WM_TAB_CLOSE), and every message, commands
// included, reaches the virtual WindowProc on the user-interface thread.
#include "platform/window.h"
#include "ui/toolkit/panel_item_top.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ui {

class FCPanelWindow : public QWidget {
    Q_OBJECT
public:
    explicit FCPanelWindow(QWidget* parent = nullptr);
    ~FCPanelWindow() override;

    // Builds the window from the skin file; the window is resized to the
    // skin's initial size and gets its minimum size. A file that cannot be
    // read leaves an empty window and one log line; false then. The child
    // windows of the skin it replaces are deleted (detach a skin to keep it).
    bool LoadSkin(const std::string& path);

    FCPanelItemTop& GetTopItem();
    // A child window the current skin created, by its control id.
    QWidget* GetCtrl(int ctrlId) const;

    HWND GetSafeHwnd() const;
    // Called for WM_COMMAND by the default WindowProc.
    void SetCommandHandler(std::function<void(int commandId)> handler) { commandHandler_ = std::move(handler); }
    // Sends WM_COMMAND(commandId) to this window. It arrives while the
    // clicked item or button is still handling its mouse event, so a handler
    // that ends the window does so with deleteLater() or close().
    void DeliverCommand(int commandId);

    // Hosts a window of the program in the panel with the item id: a new
    // window item (rect relative to the panel, following the panel's
    // size) is appended to the panel, so the window is laid out with it and
    // found by GetCtrl. Null when the skin has no such panel.
    FCPanelItemWIN32Ctrl* HostWindow(int panelCommandId, QWidget* window, int ctrlId, const FCRect& rect);
    // Takes the window's item out of the tree; the window itself stays.
    void UnhostWindow(QWidget* window);

    // Places the child windows where the tree says (after the owner moved
    // or hid items) and repaints.
    void Relayout();

    // Outlines the places of controls no factory could create, with their
    // names: for looking at skins before every control exists.
    void SetDrawPlaceholders(bool draw);

    // Swapping whole skins (mini mode): the detached skin keeps its tree and
    // child windows, hidden meanwhile, and comes back as it was; attaching
    // over a skin deletes that skin's windows, as loading over it does.
    struct SkinState;
    std::unique_ptr<SkinState> DetachSkin();
    void AttachSkin(std::unique_ptr<SkinState> skin);

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    class MessageWindow;
    // The window's edges within reach of the point, for resizing; none for
    // a window of fixed size or one that fills the screen.
    Qt::Edges ResizeEdgesAt(const QPoint& point) const;
    void StartMoveOrResize(QMouseEvent* event);
    void CreateCtrls();
    void DeleteSkinWindows();
    void PlaceCtrls();
    FCPanelItemBase* CommandItemAt(const QPoint& point);

    std::unique_ptr<MessageWindow> messages_;
    std::unique_ptr<SkinState> skin_;
    std::function<void(int)> commandHandler_;
    FCPanelItemBase* pressedItem_ = nullptr;
    // A move without the window manager's help (none, or it declined): the
    // mouse's global position minus the window's while the button is held.
    std::optional<QPoint> moveOffset_;
    bool drawPlaceholders_ = false;
};

struct FCPanelWindow::SkinState {
    FCPanelItemTop top;
    std::vector<std::pair<FCPanelItemWIN32Ctrl*, QPointer<QWidget>>> ctrls;
    // The windows DetachSkin hid, shown again by AttachSkin.
    std::vector<QPointer<QWidget>> hiddenWhileDetached;
};

// Sends a command to the skinned window that holds the widget (what a
// button does when it is clicked); nothing when there is none.
void FCSendCommandToOwner(QWidget* from, int commandId);
FCPanelWindow* FCFindOwnerWindow(QWidget* from);

}  // namespace ui
