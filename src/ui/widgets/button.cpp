#include "ui/widgets/button.h"

#include "ui/toolkit/skin_values.h"
#include "ui/widgets/ctrl_id.h"
#include "ui/widgets/panel_window.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QUrl>

namespace ui {
namespace {

constexpr int kIconTextGap = 6;

// An icon at its own size: centred when there is no text, else at the left.
QRect IconRect(const QRect& area, const QImage& icon, bool withText)
{
    const QSize size = icon.size().boundedTo(area.size());
    const int x = withText ? area.left() + kIconTextGap : area.left() + (area.width() - size.width()) / 2;
    return QRect(QPoint(x, area.top() + (area.height() - size.height()) / 2), size);
}

void DrawIconAndText(QPainter& painter, const QRect& area, const std::string& iconPath,
                     const FCController_3StateText& text, FCItemState state, int colorScheme)
{
    const QImage& icon = FCSkinImage(iconPath, colorScheme);
    QRect textArea = area;
    if (!icon.isNull()) {
        const QRect iconRect = IconRect(area, icon, !text.text.empty());
        painter.drawImage(iconRect, icon);
        if (!text.text.empty())
            textArea.setLeft(iconRect.right() + 1 + kIconTextGap);
    }
    FCDrawSkinText(painter, textArea, text, state, colorScheme);
}

const QImage& BackgroundFor(const FCController_3StateBK& background, bool checked, int colorScheme)
{
    if (checked && !background.switchImagePath.empty())
        return FCSkinImage(background.switchImagePath, colorScheme);
    return FCSkinImage(background.imagePath, colorScheme);
}

}  // namespace

FCButtonBase::FCButtonBase(const pugi::xml_node& element, QWidget* parent)
    : QWidget(parent), items_(FCListItem_Factory::CreateChildren(element))
{
    fill_.Read(element);
    colorScheme_ = ReadSkinInt(element, "color_scheme", 1);
    designSize_ = QSize(ReadSkinInt(element, "width", 0), ReadSkinInt(element, "height", 0));
    for (const auto& item : items_)
        if (!item->tooltip.empty()) {
            SetTooltipText(item->tooltip);
            break;
        }
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    StartAnimations();
}

FCButtonBase::~FCButtonBase() = default;

void FCButtonBase::SetTooltipText(const std::string& text)
{
    setToolTip(QString::fromStdString(text));
}

namespace {

// The icon of an image-and-text or a check item; none for other kinds.
FCController_Image* IconOf(FCListItem& item)
{
    if (auto* imageText = dynamic_cast<FCListItem_Button_ImageText*>(&item))
        return &imageText->image;
    if (auto* check = dynamic_cast<FCListItem_Button_Check*>(&item))
        return &check->image;
    return nullptr;
}

}  // namespace

std::string FCButtonBase::IconImage() const
{
    for (const auto& item : items_)
        if (const FCController_Image* icon = IconOf(*item))
            return icon->imagePath;
    return {};
}

void FCButtonBase::SetIconImage(const std::string& path)
{
    for (const auto& item : items_)
        if (FCController_Image* icon = IconOf(*item)) {
            if (icon->imagePath != path) {
                icon->imagePath = path;
                update();
            }
            return;
        }
}

void FCButtonBase::SetCheck(bool checked)
{
    if (checked_ == checked)
        return;
    checked_ = checked;
    update();
}

FCItemState FCButtonBase::GetState() const
{
    if (pressed_ && hover_)
        return FCItemState::kPressed;
    return hover_ ? FCItemState::kHover : FCItemState::kNormal;
}

void FCButtonBase::StartAnimations()
{
    for (const auto& item : items_) {
        auto* player = dynamic_cast<FCListItem_ImagePlayer*>(item.get());
        if (!player || player->frames.size() < 2)
            continue;
        animation_ = new QTimer(this);
        connect(animation_, &QTimer::timeout, this, [this, player] {
            frame_ = (frame_ + 1) % player->frames.size();
            animation_->setInterval(std::max(16, player->frames[frame_].delayMs));
            update();
        });
        animation_->start(std::max(16, player->frames[0].delayMs));
        return;  // one animation per button is all the skins use
    }
}

QRect FCButtonBase::ItemRect(const FCListItem& item) const
{
    if (item.rect.width == 0 || item.rect.height == 0)
        return rect();
    return FCToQRect(item.rect);
}

void FCButtonBase::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!isEnabled())
        painter.setOpacity(0.4);
    FCDrawFill(painter, rect(), fill_, colorScheme_);
    for (const auto& item : items_)
        DrawItem(painter, *item, isEnabled() ? GetState() : FCItemState::kNormal);
}

void FCButtonBase::DrawItem(QPainter& painter, FCListItem& item, FCItemState state)
{
    const QRect area = ItemRect(item);
    const int scheme = item.colorScheme;
    QFont font = item.ownFont ? FCSkinFont(item.ownFont) : this->font();
    if (auto* imageText = dynamic_cast<FCListItem_Button_ImageText*>(&item)) {
        FCDrawThreeState(painter, area, BackgroundFor(imageText->background, checked_, scheme), state);
        FCDrawBorder(painter, area, imageText->border, scheme);
        painter.setFont(font);
        DrawIconAndText(painter, area, imageText->image.imagePath, imageText->text, state, scheme);
    } else if (auto* threeImage = dynamic_cast<FCListItem_Button_3Image*>(&item)) {
        FCDrawThreeState(painter, area, BackgroundFor(threeImage->background, checked_, scheme), state);
        painter.setFont(font);
        FCDrawSkinText(painter, area, threeImage->text, state, scheme);
    } else if (auto* iconText = dynamic_cast<FCListItem_Button_IconText*>(&item)) {
        painter.setFont(font);
        DrawIconAndText(painter, area, iconText->image.imagePath, iconText->text, state, scheme);
    } else if (auto* link = dynamic_cast<FCListItem_Button_Hyperlink*>(&item)) {
        font.setUnderline(state != FCItemState::kNormal);
        painter.setFont(font);
        DrawIconAndText(painter, area, link->image.imagePath, link->text, state, scheme);
    } else if (auto* check = dynamic_cast<FCListItem_Button_Check*>(&item)) {
        FCDrawThreeState(painter, area, BackgroundFor(check->background, checked_, scheme), state);
        painter.setFont(font);
        DrawIconAndText(painter, area, check->image.imagePath, check->text, state, scheme);
    } else if (auto* player = dynamic_cast<FCListItem_ImagePlayer*>(&item)) {
        if (!player->frames.empty())
            FCDrawStretched(painter, area, FCSkinImage(player->frames[frame_ % player->frames.size()].imagePath, scheme));
    }
}

void FCButtonBase::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // List items follow the button as panels follow their parent.
    const FCSize oldSize{designSize_.width(), designSize_.height()};
    const FCSize newSize{width(), height()};
    if (oldSize == newSize)
        return;
    for (const auto& item : items_)
        if (item->rect.width != 0 && item->rect.height != 0)
            item->rect = LayoutRect(item->rect, item->modes, oldSize, newSize);
    designSize_ = size();
}

void FCButtonBase::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    pressed_ = true;
    update();
}

void FCButtonBase::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressed_)
        return QWidget::mouseReleaseEvent(event);
    pressed_ = false;
    update();
    if (rect().contains(event->position().toPoint()))
        Click();
}

void FCButtonBase::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        Click();
    else
        QWidget::keyPressEvent(event);
}

void FCButtonBase::Click()
{
    for (const auto& item : items_)
        if (auto* link = dynamic_cast<FCListItem_Button_Hyperlink*>(item.get()); link && !link->hyperlink.empty())
            QDesktopServices::openUrl(QUrl(QString::fromStdString(link->hyperlink)));
    FCSendCommandToOwner(this, GetCtrlId(this));
}

void FCButtonBase::enterEvent(QEnterEvent* event)
{
    hover_ = true;
    update();
    QWidget::enterEvent(event);
}

void FCButtonBase::leaveEvent(QEvent* event)
{
    hover_ = false;
    update();
    QWidget::leaveEvent(event);
}

// A hidden button hears no leave: its window may be hidden (a new skin, a
// window that comes back on top) with the pointer on it. It shows anew at
// rest, and the next enter lights it again.
void FCButtonBase::hideEvent(QHideEvent* event)
{
    hover_ = false;
    pressed_ = false;
    QWidget::hideEvent(event);
}

}  // namespace ui
