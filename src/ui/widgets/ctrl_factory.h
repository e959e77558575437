#pragma once
// The control factory: makes the real child window named by a "win32_ctrl"
// element of a skin. The application's factory is asked first, the
// toolkit's generic one after it.
#include <pugixml.hpp>

#include <QRect>

#include <string>

class QWidget;

namespace ui {

class FCCtrlFactory {
public:
    virtual ~FCCtrlFactory() = default;
    // The created window (a child of parent at rect), or null when the name
    // is not one of this factory's.
    virtual QWidget* CreateCtrl(const pugi::xml_node& element, const QRect& rect, QWidget* parent,
                                const std::string& ctrlName) = 0;
};

// "uis_button", "uis_check", "uis_edit" and "uis_combobox".
class FCGenericCtrlFactory : public FCCtrlFactory {
public:
    QWidget* CreateCtrl(const pugi::xml_node& element, const QRect& rect, QWidget* parent,
                        const std::string& ctrlName) override;
};

// The program registers its factory at start-up; null removes it.
void FCSetApplicationCtrlFactory(FCCtrlFactory* factory);
FCCtrlFactory* FCGetApplicationCtrlFactory();

// Asks the application's factory, then the generic one; null when neither
// knows the name.
QWidget* FCCreateCtrl(const pugi::xml_node& element, const QRect& rect, QWidget* parent,
                      const std::string& ctrlName);

}  // namespace ui
