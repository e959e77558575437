#pragma once
// The toolkit's skinned edit and combo box: Qt's own controls coloured and
// framed from the skin element.
#include "ui/toolkit/controllers.h"

#include <pugixml.hpp>

#include <QComboBox>
#include <QLineEdit>

namespace ui {

// "edit_style" holds the classic edit style bits; the ones with a meaning
// here are centred (0x1) or right (0x2) text, password (0x20) and read-only
// (0x800).
class FCCtrlColorEdit : public QLineEdit {
    Q_OBJECT
public:
    FCCtrlColorEdit(const pugi::xml_node& element, QWidget* parent);
    int GetEditStyle() const { return editStyle_; }

private:
    int editStyle_ = 0;
};

class FCCtrlCombobox : public QComboBox {
    Q_OBJECT
public:
    // The window style of the skin's combo boxes: visible, vertical scroll,
    // tab stop, drop-down.
    static constexpr int kStyle = 0x10210002;
    FCCtrlCombobox(const pugi::xml_node& element, QWidget* parent);
    // Kept for skins that draw their own drop-down face; the style sheet
    // draws the box today.
    const FCController_3StateBK& GetBackground() const { return background_; }

private:
    FCController_3StateBK background_;
};

}  // namespace ui
