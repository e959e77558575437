#pragma once
// Opens a list view's context menu with the right button, as a user does,
// notes its entries and clicks the chosen one (a disabled entry does
// nothing, as for a user; the menu is then closed).
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

// The entries of the menu opened at `at`, a disabled one marked " (off)";
// empty when no menu opened.
inline std::vector<std::string> ChooseFromMenu(QWidget* view, const QPoint& at, const QString& choice = {})
{
    std::vector<std::string> entries;
    QTimer inMenu;  // runs inside the menu's own event loop
    inMenu.setSingleShot(true);
    QObject::connect(&inMenu, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            entries.push_back(action->text().toStdString() + (action->isEnabled() ? "" : " (off)"));
            if (action->text() == choice)
                chosen = action;
        }
        if (chosen)
            QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(chosen).center());
        if (menu->isVisible())
            menu->close();
    });
    inMenu.start(0);
    QTest::mousePress(view, Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseRelease(view, Qt::RightButton, Qt::NoModifier, at);
    return entries;
}
