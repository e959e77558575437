#include "shell/window/tray_menus.h"

#include "common/app_folder.h"
#include "common/ids/command_ids.h"
#include "ui/widgets/ui_text.h"

#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include <utility>

namespace {

struct MenuEntry {
    int command;        // 0: a separator
    const char* text;
};

constexpr MenuEntry kMainMenu[] = {
    {command::kOpenFile, "播放视频文件(&O)..."},
    {command::kOpenPages, "播放视频网页(&U)..."},
    {command::kColourScheme, "界面颜色(&C)..."},
    {command::kSettings, "设置(&S)..."},
    {0, nullptr},
    {command::kHomePage, "访问Quelt网站"},
    {command::kFeedbackPage, "意见与反馈"},
    {command::kAboutBox, "关于(&A)..."},
    {0, nullptr},
    {command::kExit, "退出(&X)"},
};
constexpr MenuEntry kPlayerMenu[] = {{command::kCapture, "截图(&C)..."}, {command::kFullScreen, "全屏播放(&F)"}};

template <std::size_t N>
void Fill(QMenu& menu, const MenuEntry (&entries)[N], const CTrayAndMenus::CommandSink& command)
{
    for (const MenuEntry& entry : entries) {
        if (!entry.text) {
            menu.addSeparator();
            continue;
        }
        const int id = entry.command;
        QObject::connect(menu.addAction(ui::Tr(entry.text)), &QAction::triggered, &menu,
                         [command, id] { command(id); });
    }
}

}  // namespace

CTrayAndMenus::CTrayAndMenus(QWidget* window, CommandSink command, std::function<void()> restore)
    : window_(window), command_(std::move(command))
{
    tray_ = std::make_unique<QSystemTrayIcon>(QIcon(QString::fromStdString(GetAppFolder() + "skin/images/logo.png")));
    tray_->setToolTip(window->windowTitle().left(128));
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated, window,
                     [this, restore = std::move(restore)](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger)
                             restore();
                         else if (reason == QSystemTrayIcon::Context)
                             ShowMainMenu(QCursor::pos());
                     });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        tray_->show();
}

CTrayAndMenus::~CTrayAndMenus() = default;

bool CTrayAndMenus::HasTrayIcon() const
{
    return tray_->isVisible();
}

void CTrayAndMenus::ShowMainMenu(const QPoint& where)
{
    QMenu menu(window_);
    Fill(menu, kMainMenu, command_);
    menu.exec(where);
}

void CTrayAndMenus::ShowBalloon(const QString& title, const QString& text)
{
    if (tray_)
        tray_->showMessage(title, text, QSystemTrayIcon::Information, 30000);
}

QString CTrayAndMenus::TrayToolTip() const
{
    return tray_->toolTip();
}

void CTrayAndMenus::ShowPlayerMenu(const QPoint& where)
{
    QMenu menu(window_);
    Fill(menu, kPlayerMenu, command_);
    menu.exec(where);
}
