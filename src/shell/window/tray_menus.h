#pragma once
// The main window's tray icon and its pop-up menus: the main menu (the menu
// button and the tray icon's right click) and the player menu (a right click on
// the player while the player tab shows). A chosen entry comes back as its
// command id.
#include <functional>
#include <memory>

class QPoint;
class QString;
class QSystemTrayIcon;
class QWidget;

class CTrayAndMenus {
public:
    using CommandSink = std::function<void(int commandId)>;

    // The tray icon shows at once where the desktop has a tray; a left
    // click on it calls restore.
    CTrayAndMenus(QWidget* window, CommandSink command, std::function<void()> restore);
    ~CTrayAndMenus();

    void ShowMainMenu(const QPoint& where);
    void ShowPlayerMenu(const QPoint& where);
    // The tray icon's tip ("Quelt").
    QString TrayToolTip() const;
    bool HasTrayIcon() const;
    // An information balloon on the tray icon for 30 s (where there is one).
    void ShowBalloon(const QString& title, const QString& text);

private:
    QWidget* window_;
    CommandSink command_;
    std::unique_ptr<QSystemTrayIcon> tray_;
};
