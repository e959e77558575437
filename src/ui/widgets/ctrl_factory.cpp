#include "ui/widgets/ctrl_factory.h"

#include "ui/widgets/button.h"
#include "ui/widgets/edit_combo.h"

namespace ui {
namespace {
FCCtrlFactory* g_applicationFactory = nullptr;
}

QWidget* FCGenericCtrlFactory::CreateCtrl(const pugi::xml_node& element, const QRect& rect, QWidget* parent,
                                          const std::string& ctrlName)
{
    QWidget* window = nullptr;
    if (ctrlName == "uis_button")
        window = new FCButtonBase(element, parent);
    else if (ctrlName == "uis_check")
        window = new FCButtonCheck(element, parent);
    else if (ctrlName == "uis_edit")
        window = new FCCtrlColorEdit(element, parent);
    else if (ctrlName == "uis_combobox")
        window = new FCCtrlCombobox(element, parent);
    if (!window)
        return nullptr;
    window->setGeometry(rect);
    window->setFocusPolicy(Qt::TabFocus);
    window->show();
    return window;
}

void FCSetApplicationCtrlFactory(FCCtrlFactory* factory)
{
    g_applicationFactory = factory;
}

FCCtrlFactory* FCGetApplicationCtrlFactory()
{
    return g_applicationFactory;
}

QWidget* FCCreateCtrl(const pugi::xml_node& element, const QRect& rect, QWidget* parent,
                      const std::string& ctrlName)
{
    if (g_applicationFactory)
        if (QWidget* window = g_applicationFactory->CreateCtrl(element, rect, parent, ctrlName))
            return window;
    static FCGenericCtrlFactory generic;
    return generic.CreateCtrl(element, rect, parent, ctrlName);
}

}  // namespace ui
