#include "ui/widgets/panel_window.h"

#include "ui/widgets/ctrl_factory.h"
#include "ui/widgets/ctrl_id.h"
#include "ui/widgets/skin_paint.h"

#include <QDebug>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <set>

namespace ui {
namespace {

// Outlines of the controls that have no window; controls sharing one place
// are labelled once, with all their names.
struct Placeholders {
    bool draw = false;
    std::set<const FCPanelItemBase*> created;
    std::vector<std::pair<QRect, QString>> labels;

    void Add(const QRect& rect, const QString& label)
    {
        for (auto& [placed, text] : labels)
            if (placed == rect) {
                text += " / " + label;
                return;
            }
        labels.emplace_back(rect, label);
    }
    void Paint(QPainter& painter) const
    {
        QFont font = FCSkinFont(FCFontCache::Instance().GetDefaultFont());
        font.setPixelSize(10);
        painter.setFont(font);
        for (const auto& [rect, label] : labels) {
            painter.setPen(QPen(QColor(96, 102, 116), 1, Qt::DashLine));
            painter.drawRect(rect.adjusted(0, 0, -1, -1));
            painter.setPen(QColor(110, 116, 130));
            const QRect inner = rect.adjusted(4, 1, -4, -1);
            painter.drawText(inner, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             QFontMetrics(font).elidedText(label, Qt::ElideRight, inner.width()));
        }
    }
};

void DrawItemTree(QPainter& painter, FCPanelItemBase& item, Placeholders& placeholders)
{
    if (!item.IsVisible())
        return;
    const QRect rect = FCToQRect(item.GetAbsoluteRect());
    if (auto* panel = dynamic_cast<FCPanelItemPanel*>(&item)) {
        FCDrawFill(painter, rect, panel->fill, panel->GetColorScheme());
        FCDrawBorder(painter, rect, panel->border, panel->GetColorScheme());
    } else if (auto* text = dynamic_cast<FCPanelItemText*>(&item)) {
        painter.setFont(FCSkinFont(text->GetFont()));
        FCDrawSkinText(painter, rect, text->text, FCItemState::kNormal, text->GetColorScheme());
    } else if (auto* ctrl = dynamic_cast<FCPanelItemWIN32Ctrl*>(&item);
               ctrl && placeholders.draw && !placeholders.created.count(ctrl)) {
        placeholders.Add(rect, QString("%1 %2").arg(QString::fromStdString(ctrl->ctrlName)).arg(ctrl->ctrlId));
    }
    for (FCPanelItemBase* child : item.GetChildren())
        DrawItemTree(painter, *child, placeholders);
}

// The deepest visible item under the point that has a command, the last
// drawn first.
FCPanelItemBase* FindCommandItem(FCPanelItemBase& item, const QPoint& point)
{
    if (!item.IsVisible() || !FCToQRect(item.GetAbsoluteRect()).contains(point))
        return nullptr;
    const auto& children = item.GetChildren();
    for (std::size_t i = children.PCL_GetObjectCount(); i-- > 0;)
        if (FCPanelItemBase* found = FindCommandItem(*children.PCL_GetObject(i), point))
            return found;
    return item.GetCommandId() != 0 ? &item : nullptr;
}

}  // namespace

class FCPanelWindow::MessageWindow : public platform::Window {
public:
    explicit MessageWindow(FCPanelWindow& owner) : owner_(owner) { Create(); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        return owner_.WindowProc(msg, wParam, lParam);
    }

private:
    FCPanelWindow& owner_;
};

FCPanelWindow::FCPanelWindow(QWidget* parent)
    : QWidget(parent), messages_(std::make_unique<MessageWindow>(*this)), skin_(std::make_unique<SkinState>())
{
    setMouseTracking(true);
    if (!parent)
        setWindowFlag(Qt::FramelessWindowHint);
}

FCPanelWindow::~FCPanelWindow()
{
    messages_->Destroy();
}

bool FCPanelWindow::LoadSkin(const std::string& path)
{
    pressedItem_ = nullptr;
    DeleteSkinWindows();
    skin_ = std::make_unique<SkinState>();
    const FCSkinLoadResult result = skin_->top.LoadSkin(path);
    if (!result.ok) {
        qWarning().noquote() << "skinned window:" << QString::fromStdString(result.error)
                             << "- the window stays empty";
        update();
        return false;
    }
    CreateCtrls();
    const FCSize minSize = skin_->top.GetMinSize();
    setMinimumSize(std::max(0, minSize.cx), std::max(0, minSize.cy));
    const FCSize initSize = skin_->top.GetInitSize();
    resize(std::max(initSize.cx, minimumWidth()), std::max(initSize.cy, minimumHeight()));
    Relayout();
    return true;
}

// The windows of a replaced skin go with it (DetachSkin keeps them); later,
// since a click on one of them may be what replaces the skin.
void FCPanelWindow::DeleteSkinWindows()
{
    for (const auto& [item, window] : skin_->ctrls)
        if (window) {
            window->hide();
            window->deleteLater();
        }
}

void FCPanelWindow::CreateCtrls()
{
    for (FCPanelItemWIN32Ctrl* item : skin_->top.GetCtrlItems()) {
        const QRect rect = FCToQRect(item->GetAbsoluteRect());
        QWidget* window = FCCreateCtrl(item->GetElement(), rect, this, item->ctrlName);
        if (!window)
            continue;
        SetCtrlId(window, item->ctrlId);
        window->setFont(FCSkinFont(item->GetFont()));
        skin_->ctrls.emplace_back(item, window);
    }
}

FCPanelItemTop& FCPanelWindow::GetTopItem()
{
    return skin_->top;
}

FCPanelItemWIN32Ctrl* FCPanelWindow::HostWindow(int panelCommandId, QWidget* window, int ctrlId, const FCRect& rect)
{
    FCPanelItemBase* panel = skin_->top.FindByCommandId(panelCommandId);
    if (!panel || !window)
        return nullptr;
    auto* item = new FCPanelItemWIN32Ctrl;
    item->ctrlId = ctrlId;
    item->SetRect(rect);
    item->SetLayoutModes(FCLayoutModes{1, 1, 0, 0});
    panel->AddChild(item);
    SetCtrlId(window, ctrlId);
    skin_->ctrls.emplace_back(item, window);
    window->setGeometry(FCToQRect(item->GetAbsoluteRect()));
    return item;
}

void FCPanelWindow::UnhostWindow(QWidget* window)
{
    for (auto it = skin_->ctrls.begin(); it != skin_->ctrls.end(); ++it) {
        if (it->second != window)
            continue;
        FCPanelItemWIN32Ctrl* item = it->first;
        skin_->ctrls.erase(it);
        if (item->GetParent())
            item->GetParent()->DeleteChild(item);
        return;
    }
}

QWidget* FCPanelWindow::GetCtrl(int ctrlId) const
{
    for (const auto& [item, window] : skin_->ctrls)
        if (item->ctrlId == ctrlId && window)
            return window;
    return nullptr;
}

HWND FCPanelWindow::GetSafeHwnd() const
{
    return messages_->GetSafeHwnd();
}

void FCPanelWindow::DeliverCommand(int commandId)
{
    platform::SendMessage(GetSafeHwnd(), WM_COMMAND, static_cast<WPARAM>(commandId), 0);
}

LRESULT FCPanelWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_COMMAND && commandHandler_)
        commandHandler_(static_cast<int>(wParam & 0xFFFF));
    return 0;
}

void FCPanelWindow::Relayout()
{
    skin_->top.SetWindowSize({width(), height()});
    PlaceCtrls();
    update();
}

void FCPanelWindow::PlaceCtrls()
{
    for (const auto& [item, window] : skin_->ctrls)
        if (window)
            window->setGeometry(FCToQRect(item->GetAbsoluteRect()));
}

void FCPanelWindow::SetDrawPlaceholders(bool draw)
{
    drawPlaceholders_ = draw;
    update();
}

std::unique_ptr<FCPanelWindow::SkinState> FCPanelWindow::DetachSkin()
{
    pressedItem_ = nullptr;
    auto detached = std::move(skin_);
    // Still children of this window: out of sight, so that they neither
    // cover the next skin nor send it their commands.
    for (const auto& [item, window] : detached->ctrls)
        if (window && !window->isHidden()) {
            window->hide();
            detached->hiddenWhileDetached.emplace_back(window);
        }
    skin_ = std::make_unique<SkinState>();
    update();
    return detached;
}

void FCPanelWindow::AttachSkin(std::unique_ptr<SkinState> skin)
{
    if (!skin)
        return;
    pressedItem_ = nullptr;
    DeleteSkinWindows();
    skin_ = std::move(skin);
    Relayout();
    for (const QPointer<QWidget>& window : std::exchange(skin_->hiddenWhileDetached, {}))
        if (window)
            window->show();
}

void FCPanelWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Placeholders placeholders;
    placeholders.draw = drawPlaceholders_;
    for (const auto& [item, window] : skin_->ctrls)
        if (window)
            placeholders.created.insert(item);
    DrawItemTree(painter, skin_->top, placeholders);
    placeholders.Paint(painter);
}

void FCPanelWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Relayout();
}

FCPanelItemBase* FCPanelWindow::CommandItemAt(const QPoint& point)
{
    return FindCommandItem(skin_->top, point);
}

Qt::Edges FCPanelWindow::ResizeEdgesAt(const QPoint& point) const
{
    constexpr int kReach = 4;
    if (!isWindow() || isMaximized() || isFullScreen() || minimumSize() == maximumSize())
        return {};
    Qt::Edges edges;
    if (point.x() < kReach)
        edges |= Qt::LeftEdge;
    if (point.x() >= width() - kReach)
        edges |= Qt::RightEdge;
    if (point.y() < kReach)
        edges |= Qt::TopEdge;
    if (point.y() >= height() - kReach)
        edges |= Qt::BottomEdge;
    return edges;
}

// The window manager moves or resizes the window where it can; a move it
// cannot make the window makes itself, following the mouse.
void FCPanelWindow::StartMoveOrResize(QMouseEvent* event)
{
    QWindow* handle = windowHandle();
    if (const Qt::Edges edges = ResizeEdgesAt(event->position().toPoint())) {
        if (handle)
            handle->startSystemResize(edges);
        return;
    }
    if (handle && handle->startSystemMove())
        return;
    moveOffset_ = event->globalPosition().toPoint() - pos();
}

void FCPanelWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        pressedItem_ = CommandItemAt(event->position().toPoint());
        if (!pressedItem_ && isWindow() && !isMaximized() && !isFullScreen())
            StartMoveOrResize(event);
    }
    QWidget::mousePressEvent(event);
}

void FCPanelWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        moveOffset_.reset();
    FCPanelItemBase* pressed = std::exchange(pressedItem_, nullptr);
    if (event->button() == Qt::LeftButton && pressed && pressed == CommandItemAt(event->position().toPoint()))
        DeliverCommand(pressed->GetCommandId());
    QWidget::mouseReleaseEvent(event);
}

void FCPanelWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (moveOffset_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *moveOffset_);
        return;
    }
    moveOffset_.reset();
    const QPoint at = event->position().toPoint();
    const Qt::Edges edges = ResizeEdgesAt(at);
    if ((edges & (Qt::LeftEdge | Qt::TopEdge)) == (Qt::LeftEdge | Qt::TopEdge)
        || (edges & (Qt::RightEdge | Qt::BottomEdge)) == (Qt::RightEdge | Qt::BottomEdge))
        setCursor(Qt::SizeFDiagCursor);
    else if (edges & (Qt::LeftEdge | Qt::RightEdge) && edges & (Qt::TopEdge | Qt::BottomEdge))
        setCursor(Qt::SizeBDiagCursor);
    else if (edges & (Qt::LeftEdge | Qt::RightEdge))
        setCursor(Qt::SizeHorCursor);
    else if (edges)
        setCursor(Qt::SizeVerCursor);
    else
        setCursor(CommandItemAt(at) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QWidget::mouseMoveEvent(event);
}

FCPanelWindow* FCFindOwnerWindow(QWidget* from)
{
    for (QWidget* up = from ? from->parentWidget() : nullptr; up; up = up->parentWidget())
        if (auto* window = qobject_cast<FCPanelWindow*>(up))
            return window;
    return nullptr;
}

void FCSendCommandToOwner(QWidget* from, int commandId)
{
    if (FCPanelWindow* owner = FCFindOwnerWindow(from))
        owner->DeliverCommand(commandId);
}

}  // namespace ui
