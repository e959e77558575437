#include "ui/tab_band/wnd_tab_band.h"

#include "platform/window.h"
#include "ui/toolkit/skin_values.h"
#include "ui/widgets/ctrl_id.h"
#include "ui/widgets/panel_window.h"
#include "ui/widgets/resource_image.h"
#include "ui/widgets/skin_paint.h"
#include "ui/widgets/ui_text.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace ui {
namespace {

// The band's own "left button press" that SelectButton posts to itself.
class SelectAtEvent : public QEvent {
public:
    static QEvent::Type EventType()
    {
        static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    explicit SelectAtEvent(const QPoint& at) : QEvent(EventType()), at(at) {}
    QPoint at;
};

const QColor kBandBackground(0x1A, 0x1B, 0x20);
const QColor kBandLine(0x2A, 0x2C, 0x33);
const QColor kTextNormal(0xA8, 0xAD, 0xB8);
const QColor kTextHover(0xE6, 0xE8, 0xEE);
const QColor kTextSelected(0xFF, 0xFF, 0xFF);
const QColor kFrameLight(0xFF, 0xFF, 0xFF);
const QColor kFrameShadow(0x9E, 0x9E, 0x9E);

}  // namespace

CWndTabBand::CWndTabBand(const pugi::xml_node& element, QWidget* parent)
    : QWidget(parent),
      ctrlId_(ReadSkinInt(element, "ctrl_id", 0)),
      maxItemWidth_(ReadSkinInt(element, "max_itemwidth", 150)),
      minItemWidth_(ReadSkinInt(element, "min_itemwidth", 60)),
      tabButtonImage_(ReadSkinImagePath(element, "tab_button")),
      closeButtonImage_(ReadSkinImagePath(element, "close_button"))
{
    setMouseTracking(true);
}

CWndTabBand::~CWndTabBand() = default;

CTabButtonItem* CWndTabBand::FindButton(int viewId) const
{
    for (const auto& button : buttons_)
        if (button->GetViewId() == viewId)
            return button.get();
    return nullptr;
}

int CWndTabBand::GetSelectedViewId() const
{
    for (const auto& button : buttons_)
        if (button->IsSelected())
            return button->GetViewId();
    return -1;
}

void CWndTabBand::AddButton(int viewId, bool closable)
{
    auto button = std::make_unique<CTabButtonItem>(viewId, closable);
    auto selected = std::find_if(buttons_.begin(), buttons_.end(), [](const auto& b) { return b->IsSelected(); });
    if (selected == buttons_.end())
        buttons_.push_back(std::move(button));
    else
        buttons_.insert(selected + 1, std::move(button));
    LayoutButtons();
    if (isVisible())
        SelectButton(viewId);
}

void CWndTabBand::RemoveButton(int viewId)
{
    auto it = std::find_if(buttons_.begin(), buttons_.end(), [viewId](const auto& b) { return b->GetViewId() == viewId; });
    if (it == buttons_.end())
        return;
    const std::size_t index = static_cast<std::size_t>(it - buttons_.begin());
    buttons_.erase(it);
    if (pressedViewId_ == viewId)
        pressedViewId_ = -1;
    LayoutButtons();
    if (!buttons_.empty())
        SelectButton(buttons_[index == 0 ? 0 : index - 1]->GetViewId());
}

void CWndTabBand::SelectButton(int viewId)
{
    if (const CTabButtonItem* button = FindButton(viewId)) {
        const FCRect& rect = button->GetRect();
        QApplication::postEvent(this, new SelectAtEvent(QPoint(rect.x, rect.y)));
    }
}

void CWndTabBand::SetButtonText(int viewId, const std::string& text)
{
    if (CTabButtonItem* button = FindButton(viewId)) {
        button->SetText(text);
        update();
    }
}

void CWndTabBand::LayoutButtons()
{
    CTabButtonLayout::Layout(buttons_, width(), height(), minItemWidth_, maxItemWidth_);
    update();
}

CTabButtonItem* CWndTabBand::ButtonAt(const QPoint& point) const
{
    for (const auto& button : buttons_)
        if (button->GetRect().Contains(point.x(), point.y()))
            return button.get();
    return nullptr;
}

void CWndTabBand::SelectAt(const QPoint& point)
{
    CTabButtonItem* pressed = ButtonAt(point);
    if (!pressed)
        return;
    for (const auto& button : buttons_)
        button->SetSelected(button.get() == pressed);
    // A selection posted before the band was hidden arrives afterwards: the
    // views stay hidden with the band, and this one is shown with it again.
    if (isVisible())
        ShowSelectedView();
    else
        lastSelectedViewId_ = pressed->GetViewId();
    update();
}

void CWndTabBand::ShowSelectedView()
{
    QWidget* main = MainWindow();
    for (const auto& button : buttons_)
        if (QWidget* view = FindCtrlWindow(main, button->GetViewId()))
            view->setVisible(button->IsSelected());
}

QWidget* CWndTabBand::MainWindow() const
{
    QWidget* self = const_cast<CWndTabBand*>(this);
    if (FCPanelWindow* owner = FCFindOwnerWindow(self))
        return owner;
    return self->window();
}

HWND CWndTabBand::MainWindowHandle() const
{
    FCPanelWindow* owner = FCFindOwnerWindow(const_cast<CWndTabBand*>(this));
    return owner ? owner->GetSafeHwnd() : 0;
}

QMenu* CWndTabBand::CreateBandMenu()
{
    auto* menu = new QMenu(this);
    QAction* closeAll = menu->addAction(Tr("关闭全部页面(&C)"));
    closeAll->setData(kCloseAllCommand);
    const QImage image = FCResourceImage(kCloseAllImage);
    if (!image.isNull())
        closeAll->setIcon(QIcon(QPixmap::fromImage(image)));
    const HWND target = MainWindowHandle();
    connect(closeAll, &QAction::triggered, this,
            [target] { platform::PostMessage(target, WM_COMMAND, kCloseAllCommand, 0); });
    return menu;
}

bool CWndTabBand::event(QEvent* event)
{
    if (event->type() == SelectAtEvent::EventType()) {
        SelectAt(static_cast<SelectAtEvent*>(event)->at);
        return true;
    }
    return QWidget::event(event);
}

void CWndTabBand::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutButtons();
}

void CWndTabBand::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const QPoint point = event->position().toPoint();
    const CTabButtonItem* button = ButtonAt(point);
    pressedViewId_ = button ? button->GetViewId() : -1;
    SelectAt(point);
}

void CWndTabBand::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    const int viewId = std::exchange(pressedViewId_, -1);
    const CTabButtonItem* button = viewId >= 0 ? FindButton(viewId) : nullptr;
    const QPoint point = event->position().toPoint();
    update();
    if (!button || !button->GetCloseBoxRect().Contains(point.x(), point.y()))
        return;
    const HWND target = MainWindowHandle();
    if (platform::IsWindow(target))
        platform::PostMessage(target, WM_TAB_CLOSE, static_cast<WPARAM>(ctrlId_), static_cast<LPARAM>(viewId));
}

void CWndTabBand::mouseMoveEvent(QMouseEvent* event)
{
    hoverPoint_ = event->position().toPoint();
    update();
    QWidget::mouseMoveEvent(event);
}

void CWndTabBand::leaveEvent(QEvent* event)
{
    hoverPoint_ = QPoint(-1, -1);
    update();
    QWidget::leaveEvent(event);
}

void CWndTabBand::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = CreateBandMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CWndTabBand::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous() || buttons_.empty())
        return;
    const int viewId = FindButton(lastSelectedViewId_) ? lastSelectedViewId_ : buttons_.front()->GetViewId();
    SelectButton(viewId);
}

void CWndTabBand::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    QWidget* main = MainWindow();
    for (const auto& button : buttons_)
        if (QWidget* view = FindCtrlWindow(main, button->GetViewId()))
            view->hide();
    if (GetSelectedViewId() >= 0)
        lastSelectedViewId_ = GetSelectedViewId();
}

void CWndTabBand::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBandBackground);
    painter.fillRect(QRect(0, height() - 1, width(), 1), kBandLine);
    painter.setFont(font());
    for (const auto& button : buttons_)
        DrawButton(painter, *button);
}

// "tab_button" holds two rows (normal, selected) of three equal parts: the
// left end, the middle that is stretched, the right end.
void CWndTabBand::DrawButton(QPainter& painter, const CTabButtonItem& button)
{
    const QRect rect = FCToQRect(button.GetRect());
    const bool hover = rect.contains(hoverPoint_);
    const QImage& image = FCSkinImage(tabButtonImage_, 1);
    if (!image.isNull()) {
        const int part = image.width() / 3;
        const int row = image.height() / 2;
        const int top = button.IsSelected() ? row : 0;
        const int end = std::min(part, rect.width() / 2);
        painter.drawImage(QRect(rect.left(), rect.top(), end, rect.height()), image, QRect(0, top, part, row));
        painter.drawImage(QRect(rect.left() + end, rect.top(), rect.width() - 2 * end, rect.height()), image,
                          QRect(part, top, part, row));
        painter.drawImage(QRect(rect.right() + 1 - end, rect.top(), end, rect.height()), image,
                          QRect(2 * part, top, part, row));
    } else {
        painter.fillRect(rect.adjusted(1, 3, -1, 0), button.IsSelected() ? QColor(0x2f, 0x6f, 0xeb) : QColor(0x2a, 0x2c, 0x33));
    }
    if (hover && !button.IsSelected())
        painter.fillRect(rect.adjusted(2, 3, -2, 0), QColor(255, 255, 255, 18));

    QRect textRect = rect.adjusted(8, 0, -8, 0);
    if (button.IsClosable())
        textRect.setRight(FCToQRect(button.GetCloseBoxRect()).left() - 4);
    painter.setPen(button.IsSelected() ? kTextSelected : hover ? kTextHover : kTextNormal);
    const QString text = QFontMetrics(painter.font())
                             .elidedText(QString::fromStdString(button.GetText()), Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, text);
    if (button.IsClosable())
        DrawCloseBox(painter, button);
}

// "close_button" holds the close box for the selected state (left half)
// and the normal state (right half).
void CWndTabBand::DrawCloseBox(QPainter& painter, const CTabButtonItem& button)
{
    const QRect box = FCToQRect(button.GetCloseBoxRect());
    const QImage& image = FCSkinImage(closeButtonImage_, 1);
    if (!image.isNull()) {
        const int half = image.width() / 2;
        painter.drawImage(box, image, QRect(button.IsSelected() ? 0 : half, 0, half, image.height()));
    } else {
        painter.setPen(QPen(button.IsSelected() ? kTextSelected : kTextNormal, 1.5));
        painter.drawLine(box.adjusted(3, 3, -3, -3).topLeft(), box.adjusted(3, 3, -3, -3).bottomRight());
        painter.drawLine(box.adjusted(3, 3, -3, -3).topRight(), box.adjusted(3, 3, -3, -3).bottomLeft());
    }
    if (!box.contains(hoverPoint_))
        return;
    // A raised frame under the pointer, a pressed one while the button is held.
    const bool held = pressedViewId_ == button.GetViewId() && (QApplication::mouseButtons() & Qt::LeftButton);
    const QColor& leftTop = held ? kFrameShadow : kFrameLight;
    const QColor& rightBottom = held ? kFrameLight : kFrameShadow;
    painter.fillRect(QRect(box.left(), box.top(), box.width(), 1), leftTop);
    painter.fillRect(QRect(box.left(), box.top(), 1, box.height()), leftTop);
    painter.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), rightBottom);
    painter.fillRect(QRect(box.right(), box.top(), 1, box.height()), rightBottom);
}

}  // namespace ui
