#pragma once
// Mouse input and message capture for the widget tests.
#include "ui/widgets/panel_window.h"

#include <QApplication>
#include <QMouseEvent>

#include <vector>

namespace ui_test {

inline void Press(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(widget->mapToGlobal(at)), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

inline void Release(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(widget->mapToGlobal(at)), button,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

inline void Click(QWidget* widget, QPoint at)
{
    Press(widget, at);
    Release(widget, at);
}

struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// A skinned window that records every message its message side receives.
class RecordingWindow : public ui::FCPanelWindow {
public:
    std::vector<Message> messages;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        messages.push_back({msg, wParam, lParam});
        return ui::FCPanelWindow::WindowProc(msg, wParam, lParam);
    }
};

}  // namespace ui_test
