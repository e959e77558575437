#include "ui/widgets/edit_combo.h"

#include "ui/toolkit/controllers.h"
#include "ui/toolkit/skin_values.h"
#include "ui/widgets/skin_paint.h"

namespace ui {
namespace {

constexpr int kEsCenter = 0x1;
constexpr int kEsRight = 0x2;
constexpr int kEsPassword = 0x20;
constexpr int kEsReadOnly = 0x800;

// The frame from the border controller; without one, a thin frame in the
// dark skin's line colour.
QString FrameStyle(const pugi::xml_node& element, int colorScheme)
{
    FCController_Border border;
    border.Read(element);
    const int width = border.border > 0 ? border.border : 1;
    const QColor colour =
        border.border > 0 ? FCSkinColour(border.colourLeftTop, colorScheme) : QColor(0x3a, 0x3d, 0x46);
    return QString("border: %1px solid %2; border-radius: 4px;").arg(width).arg(colour.name());
}

}  // namespace

FCCtrlColorEdit::FCCtrlColorEdit(const pugi::xml_node& element, QWidget* parent)
    : QLineEdit(parent), editStyle_(ReadSkinInt(element, "edit_style", 0))
{
    const int colorScheme = ReadSkinInt(element, "color_scheme", 1);
    if (editStyle_ & kEsCenter)
        setAlignment(Qt::AlignCenter);
    else if (editStyle_ & kEsRight)
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (editStyle_ & kEsPassword)
        setEchoMode(QLineEdit::Password);
    setReadOnly((editStyle_ & kEsReadOnly) != 0);
    setStyleSheet(QString("QLineEdit { background: #23252b; color: #e6e8ee; padding: 0 6px; %1 }")
                      .arg(FrameStyle(element, colorScheme)));
}

FCCtrlCombobox::FCCtrlCombobox(const pugi::xml_node& element, QWidget* parent) : QComboBox(parent)
{
    const int colorScheme = ReadSkinInt(element, "color_scheme", 1);
    background_.Read(element);
    setStyleSheet(QString("QComboBox { background: #23252b; color: #e6e8ee; padding: 0 6px; %1 }")
                      .arg(FrameStyle(element, colorScheme)));
}

}  // namespace ui
