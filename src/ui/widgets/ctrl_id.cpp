#include "ui/widgets/ctrl_id.h"

#include <QVariant>
#include <QWidget>

namespace ui {
namespace {
constexpr const char* kCtrlIdProperty = "quelt_ctrl_id";
}

void SetCtrlId(QWidget* window, int ctrlId)
{
    if (window)
        window->setProperty(kCtrlIdProperty, ctrlId);
}

int GetCtrlId(const QWidget* window)
{
    return window ? window->property(kCtrlIdProperty).toInt() : 0;
}

QWidget* FindCtrlWindow(const QWidget* parent, int ctrlId)
{
    if (!parent || ctrlId == 0)
        return nullptr;
    for (QWidget* child : parent->findChildren<QWidget*>())
        if (GetCtrlId(child) == ctrlId)
            return child;
    return nullptr;
}

}  // namespace ui
