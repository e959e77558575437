// The main window's modes: mini mode (the mini skin around the same
// player), the player alone on the whole screen, and always on top.
#include "shell/window/ovrin_dlg.h"

#include "common/app_folder.h"
#include "ui/widgets/button.h"
#include "ui/widgets/skin_paint.h"
#include "shell/window/screen_place.h"

#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>

namespace {
constexpr int kPlayerArea = 600;  // the mini skin's panel for the player
}

void COvrinDlg::EnterMiniMode()
{
    if (mainSkin_ || !player_)
        return;
    if (isMinimized() || isMaximized())
        showNormal();
    mainPlace_ = geometry();
    if (bridge_)
        bridge_->SetPlayButton(nullptr);
    mainSkin_ = DetachSkin();
    const bool loaded = LoadSkin(GetAppFolder() + "skin/mini/skin.xml");
    if (!loaded)
        AttachSkin(std::move(mainSkin_));
    // The play button of whichever skin shows now.
    if (bridge_)
        bridge_->SetPlayButton(Ctrl<ui::FCButtonBase>(20000));
    if (!loaded)
        return;
    resize(325, 285);
    player_->Widget()->show();
    PlaceMiniPlayer();
    CallPlayer("SetStyle", "3");
    ShowOnTopState();
}

void COvrinDlg::LeaveMiniMode()
{
    if (!mainSkin_)
        return;
    // The mini skin's widgets go with it.
    if (bridge_)
        bridge_->SetPlayButton(nullptr);
    AttachSkin(std::move(mainSkin_));
    if (bridge_)
        bridge_->SetPlayButton(Ctrl<ui::FCButtonBase>(20000));
    const auto minimum = GetTopItem().GetMinSize();
    setMinimumSize(std::max(0, minimum.cx), std::max(0, minimum.cy));
    // The place it had, where the screen still shows it.
    const QScreen* screen = this->screen();
    setGeometry(screen ? KeepOnScreen(mainPlace_, screen->availableGeometry()) : mainPlace_);
    // The pin may have been used in mini mode.
    ShowOnTopState();
    CallPlayer("SetStyle", "2");
}

void COvrinDlg::PlaceMiniPlayer()
{
    if (!mainSkin_ || !player_)
        return;
    if (ui::FCPanelItemBase* area = GetTopItem().FindByCommandId(kPlayerArea)) {
        player_->Widget()->setGeometry(ui::FCToQRect(area->GetAbsoluteRect()));
        player_->Widget()->raise();
    }
}

void COvrinDlg::resizeEvent(QResizeEvent* event)
{
    FCPanelWindow::resizeEvent(event);
    PlaceMiniPlayer();
}

void COvrinDlg::ToggleOnTop()
{
    const bool onTop = !(windowFlags() & Qt::WindowStaysOnTopHint);
    // Changing the flag makes the window anew, hidden; it comes back where it was.
    const QPoint place = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    move(place);
    show();
    ShowOnTopState();
}

// The pin buttons of whichever skin shows (20021 main, 20051 mini) show
// whether the window stays on top.
void COvrinDlg::ShowOnTopState()
{
    const bool onTop = windowFlags() & Qt::WindowStaysOnTopHint;
    for (const int button : {20021, 20051})
        if (auto* check = Ctrl<ui::FCButtonBase>(button))
            check->SetCheck(onTop);
}

// The player alone fills the screen; Esc (or the same keys) brings it back.
void COvrinDlg::ToggleFullScreen()
{
    if (!player_)
        return;
    QWidget* view = player_->Widget();
    if (view->isWindow()) {
        view->setParent(this);
        view->setGeometry(playerPlace_);
        view->show();
        CallPlayer("SetStyle", "2");
        return;
    }
    playerPlace_ = view->geometry();
    view->setParent(nullptr);
    view->showFullScreen();
    CallPlayer("SetStyle", "3");
    auto* leave = new QShortcut(QKeySequence(Qt::Key_Escape), view);
    connect(leave, &QShortcut::activated, this, [this, leave] {
        leave->deleteLater();
        ToggleFullScreen();
    });
}
