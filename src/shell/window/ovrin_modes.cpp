// The main window's modes: mini mode (the mini skin around the same
// player), the player alone on the whole screen, and always on top.
#include "shell/window/ovrin_dlg.h"

#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"
#include "common/app_folder.h"
#include "ui/toolkit/panel_item.h"
#include "ui/widgets/button.h"
#include "ui/widgets/skin_paint.h"
#include "shell/window/screen_place.h"

#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>

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
        bridge_->SetPlayButton(Ctrl<ui::FCButtonBase>(command::kPlayPause));
    if (!loaded)
        return;
    resize(325, 285);
    player_->Widget()->show();
    PlacePlayer();
    ShowMiniTitle();
    CallPlayer("SetStyle", "3");
    ShowOnTopState();
}

// The mini skin's title strip shows the playing video's title, which the
// main window shows as its own.
void COvrinDlg::ShowMiniTitle()
{
    if (!IsMiniMode())
        return;
    if (auto* title = dynamic_cast<ui::FCPanelItemText*>(GetTopItem().FindByCommandId(control::kMiniTitle))) {
        title->text.text = windowTitle().toStdString();
        update();
    }
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
        bridge_->SetPlayButton(Ctrl<ui::FCButtonBase>(command::kPlayPause));
    const auto minimum = GetTopItem().GetMinSize();
    setMinimumSize(std::max(0, minimum.cx), std::max(0, minimum.cy));
    // The place it had, where the screen still shows it.
    const QScreen* screen = this->screen();
    setGeometry(screen ? KeepOnScreen(mainPlace_, screen->availableGeometry()) : mainPlace_);
    PlacePlayer();
    // The pin may have been used in mini mode.
    ShowOnTopState();
    CallPlayer("SetStyle", "2");
}

// The player sits in the mini skin's area in mini mode; else in the large
// area with the player tab and in the small one beside any other tab, so
// that it plays on while the user browses. Full screen keeps it where it is.
void COvrinDlg::PlacePlayer()
{
    if (!player_ || player_->Widget()->isWindow())
        return;
    const int area = IsMiniMode()                        ? control::kPlayer
                     : mainTab_ == command::kPlayerTab ? control::kLargePlayerArea
                                                       : control::kSmallPlayerArea;
    if (ui::FCPanelItemBase* item = GetTopItem().FindByCommandId(area)) {
        player_->Widget()->setGeometry(ui::FCToQRect(item->GetAbsoluteRect()));
        player_->Widget()->raise();
    }
}

void COvrinDlg::resizeEvent(QResizeEvent* event)
{
    FCPanelWindow::resizeEvent(event);
    PlacePlayer();
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

// The pin buttons of whichever skin shows (main or mini) show
// whether the window stays on top.
void COvrinDlg::ShowOnTopState()
{
    const bool onTop = windowFlags() & Qt::WindowStaysOnTopHint;
    for (const int button : {command::kOnTop, command::kMiniOnTop})
        if (auto* check = Ctrl<ui::FCButtonBase>(button))
            check->SetCheck(onTop);
}

// The keys of full screen: Ctrl+Enter and Alt+Enter anywhere in the main
// window; in the full-screen player the same keys and Esc, only while it
// fills the screen.
void COvrinDlg::CreateFullScreenKeys()
{
    if (!player_)
        return;
    QWidget* view = player_->Widget();
    const QKeySequence toggles[] = {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter),
                                    QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)};
    for (const QKeySequence& keys : toggles) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] { ToggleFullScreen(); });
        fullScreenKeys_.push_back(new QShortcut(keys, view));
    }
    fullScreenKeys_.push_back(new QShortcut(QKeySequence(Qt::Key_Escape), view));
    for (QShortcut* shortcut : fullScreenKeys_) {
        shortcut->setEnabled(false);
        // Later: the key's own handling must not see the view change windows.
        connect(shortcut, &QShortcut::activated, this, [this] { ToggleFullScreen(); }, Qt::QueuedConnection);
    }
}

// The player alone covers the screen of the main window, frameless and
// above every other window, with the keyboard's focus; its place in the
// window is kept for the way back.
void COvrinDlg::ToggleFullScreen()
{
    if (!player_)
        return;
    QWidget* view = player_->Widget();
    if (view->isWindow()) {
        for (QShortcut* shortcut : fullScreenKeys_)
            shortcut->setEnabled(false);
        view->setParent(this, Qt::Widget);
        view->setGeometry(playerPlace_);
        view->show();
        CallPlayer("SetStyle", IsMiniMode() ? "3" : "2");
        activateWindow();
        return;
    }
    playerPlace_ = view->geometry();
    const QScreen* screen = this->screen();
    view->setParent(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    if (screen)
        view->setGeometry(screen->geometry());
    view->showFullScreen();
    view->raise();
    view->activateWindow();
    view->setFocus(Qt::OtherFocusReason);
    for (QShortcut* shortcut : fullScreenKeys_)
        shortcut->setEnabled(true);
    CallPlayer("SetStyle", "3");
}
