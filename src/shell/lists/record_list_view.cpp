#include "shell/lists/record_list_view.h"

#include "common/lang/translate.h"
#include "ui/widgets/skin_paint.h"

#include <QDir>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

// 0x00BBGGRR colours of the skin's palette.
constexpr std::uint32_t kText = 14208713;
constexpr std::uint32_t kDimText = 10522762;
constexpr std::uint32_t kAccent = 16747852;
constexpr std::uint32_t kTrack = 2367261;
constexpr std::uint32_t kBackground = 2169883;

}  // namespace

CRecordListView::CRecordListView(IListHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    scroll_ = new QScrollBar(Qt::Vertical, this);
    connect(scroll_, &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
}

CRecordListView::~CRecordListView() = default;

void CRecordListView::Rebuild(const std::string& revealKey)
{
    const std::optional<std::size_t> reveal = RebuildItems(revealKey);
    UpdateScrollRange();
    if (reveal)
        Reveal(*reveal);
    update();
}

void CRecordListView::SelectAndReveal(std::size_t index)
{
    Selection().SelectOnly(index);
    if (const auto first = Selection().FirstSelected())
        Reveal(*first);
    update();
}

void CRecordListView::Reveal(std::size_t index)
{
    const int top = static_cast<int>(index) * kItemHeight;
    if (top < scroll_->value())
        scroll_->setValue(top);
    else if (top + kItemHeight > scroll_->value() + height())
        scroll_->setValue(top + kItemHeight - height());
}

void CRecordListView::UpdateKey(const std::string& key)
{
    for (std::size_t i = 0; i < Selection().Count(); ++i)
        if (Selection().KeyAt(i) == key)
            update(ItemRect(i));
}

void CRecordListView::ShowSources(const std::string& menuText, const std::string& text)
{
    ShowSourcesFile(SourcesFilePath(menuText), text, [view = QPointer<CRecordListView>(this)](const std::string& line) {
        if (view)
            view->Host().ShowStatus(line);
    });
}

QRect CRecordListView::ItemRect(std::size_t index) const
{
    const int width = scroll_->isVisible() ? this->width() - scroll_->width() : this->width();
    return QRect(0, static_cast<int>(index) * kItemHeight - scroll_->value(), width, kItemHeight);
}

std::optional<std::size_t> CRecordListView::ItemAt(const QPoint& point, QPoint* inItem)
{
    if (point.y() < 0)
        return std::nullopt;
    const auto index = static_cast<std::size_t>((point.y() + scroll_->value()) / kItemHeight);
    if (index >= Selection().Count() || point.x() >= ItemRect(index).width())
        return std::nullopt;
    if (inItem)
        *inItem = point - ItemRect(index).topLeft();
    return index;
}

void CRecordListView::UpdateScrollRange()
{
    const int content = static_cast<int>(Selection().Count()) * kItemHeight;
    scroll_->setRange(0, std::max(0, content - height()));
    scroll_->setPageStep(height());
    scroll_->setSingleStep(kItemHeight / 2);
    scroll_->setVisible(content > height());
    scroll_->setGeometry(width() - 10, 0, 10, height());
}

void CRecordListView::resizeEvent(QResizeEvent*)
{
    UpdateScrollRange();
}

void CRecordListView::DrawButton(QPainter& painter, const QRect& item, int button, bool lit) const
{
    const QRectF box(item.right() + 1 - 22 - button * 23, item.top() + 12, 18, 18);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ui::FCSkinColour(lit ? kAccent : kDimText, 1));
    if (button == 1) {  // preview: a play triangle
        const QPointF shape[] = {box.topLeft() + QPointF(4, 3), box.bottomLeft() + QPointF(4, -3),
                                 QPointF(box.right() - 3, box.center().y())};
        painter.drawPolygon(shape, 3);
        return;
    }
    // save: an arrow down onto a line
    painter.drawRect(QRectF(box.center().x() - 1.5, box.top() + 2, 3, 9));
    const QPointF arrow[] = {QPointF(box.left() + 4, box.top() + 9), QPointF(box.right() - 4, box.top() + 9),
                             QPointF(box.center().x(), box.top() + 14)};
    painter.drawPolygon(arrow, 3);
    painter.drawRect(QRectF(box.left() + 3, box.bottom() - 3, box.width() - 6, 2));
}

QFont CRecordListView::DetailFont() const
{
    constexpr double kShare = 0.85;
    QFont small = font();
    // A font set in pixels has no point size (-1): scaling that gave a
    // negative size, which Qt refused, so the line kept the full size.
    if (small.pixelSize() > 0)
        small.setPixelSize(std::max(1, static_cast<int>(std::lround(small.pixelSize() * kShare))));
    else
        small.setPointSizeF(small.pointSizeF() * kShare);
    return small;
}

void CRecordListView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), ui::FCSkinColour(kBackground, 1));
    const QFont small = DetailFont();
    QPoint inItem;
    const std::optional<std::size_t> hovered = ItemAt(lastMouse_, &inItem);
    for (std::size_t i = 0; i < Selection().Count(); ++i) {
        const QRect item = ItemRect(i);
        if (item.bottom() < 0 || item.top() > height())
            continue;
        const ItemLook look = Look(i);
        // The selection in the accent's colour, seen at a glance; the
        // playing video with an accent bar at its left and its title in
        // the accent.
        const QColor accent = ui::FCSkinColour(kAccent, 1);
        if (Selection().IsSelected(i)) {
            QColor fill = accent;
            fill.setAlpha(96);
            painter.fillRect(item, fill);
        }
        if (look.playing)
            painter.fillRect(QRect(item.left(), item.top() + 4, 3, item.height() - 8), accent);
        const int textWidth = item.width() - 14 - ButtonCount() * 23;
        painter.setPen(look.playing ? accent.lighter(130) : ui::FCSkinColour(kText, 1));
        painter.setFont(font());
        painter.drawText(QRect(item.left() + 10, item.top() + 4, textWidth, 20), Qt::AlignVCenter | Qt::AlignLeft,
                         painter.fontMetrics().elidedText(look.title, Qt::ElideRight, textWidth));
        painter.setPen(ui::FCSkinColour(kDimText, 1));
        painter.setFont(small);
        painter.drawText(QRect(item.left() + 10, item.top() + 22, textWidth, 16), Qt::AlignVCenter, look.detail);
        if (look.share >= 0) {
            const QRect bar(item.left() + 10, item.bottom() - 4, item.width() - 20, 2);
            painter.fillRect(bar, ui::FCSkinColour(kTrack, 1));
            painter.fillRect(QRect(bar.left(), bar.top(), static_cast<int>(bar.width() * std::min(1.0, look.share)), 2),
                             ui::FCSkinColour(kAccent, 1));
        }
        const int lit = hovered == i ? ItemButtonAt(inItem.x(), item.width(), ButtonCount()) : -1;
        for (int button = 0; button < ButtonCount(); ++button)
            DrawButton(painter, item, button, button == lit);
    }
}

void CRecordListView::mousePressEvent(QMouseEvent* event)
{
    setFocus();
    const std::optional<std::size_t> index = ItemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        if (index)
            Selection().Click(*index, event->modifiers() & Qt::ControlModifier, event->modifiers() & Qt::ShiftModifier);
        update();
    } else if (event->button() == Qt::RightButton) {
        if (index)
            Selection().RightClick(*index);
        update();
        QMenu menu(this);
        FillMenu(menu);
        if (!menu.isEmpty())
            menu.exec(event->globalPosition().toPoint());
    }
}

void CRecordListView::mouseReleaseEvent(QMouseEvent* event)
{
    QPoint inItem;
    const std::optional<std::size_t> index = ItemAt(event->position().toPoint(), &inItem);
    if (event->button() != Qt::LeftButton || !index)
        return;
    const int button = ItemButtonAt(inItem.x(), ItemRect(*index).width(), ButtonCount());
    if (button >= 0)
        OnButton(*index, button);
}

void CRecordListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPoint inItem;
    const std::optional<std::size_t> index = ItemAt(event->position().toPoint(), &inItem);
    if (event->button() == Qt::LeftButton && index && ItemButtonAt(inItem.x(), ItemRect(*index).width(), ButtonCount()) < 0)
        OnDoubleClick(*index);
}

// An item repaints when the mouse enters or leaves one of its buttons.
void CRecordListView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint now = event->position().toPoint();
    for (const QPoint& point : {lastMouse_, now}) {
        QPoint inItem;
        if (const auto index = ItemAt(point, &inItem);
            index && ItemButtonAt(inItem.x(), ItemRect(*index).width(), ButtonCount()) >= 0)
            update(ItemRect(*index));
    }
    lastMouse_ = now;
}

void CRecordListView::leaveEvent(QEvent*)
{
    lastMouse_ = QPoint(-1, -1);
    update();
}

void CRecordListView::wheelEvent(QWheelEvent* event)
{
    scroll_->setValue(scroll_->value() - event->angleDelta().y() / 120 * kItemHeight);
}

void CRecordListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete)
        OnDeleteKey();
    else
        QWidget::keyPressEvent(event);
}

bool CRecordListView::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    QPoint inItem;
    const auto index = ItemAt(help->pos(), &inItem);
    const int button = index ? ItemButtonAt(inItem.x(), ItemRect(*index).width(), ButtonCount()) : -1;
    const QString tip = button >= 0 ? ButtonTip(button) : index ? ItemTip(*index) : ListTip();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, this);
    return true;
}

std::string SourcesFilePath(const std::string& menuText)
{
    return QDir::tempPath().toStdString() + "/quelt-" + std::to_string(::getuid()) + "/" + menuText + ".txt";
}

void ShowSourcesFile(const std::string& path, const std::string& text,
                     const std::function<void(const std::string&)>& showStatus)
{
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    std::remove(path.c_str());
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    // xdg-open as QDesktopServices would start it, but watched: it fails
    // (or is missing) where the desktop has no program for text files.
    const std::string told = lang::Fill(lang::Tr("没有可以显示文本文件的程序，视频来源已写入 %1"), {path});
    auto* opener = new QProcess;
    QObject::connect(opener, &QProcess::finished, opener, [opener, showStatus, told](int code, QProcess::ExitStatus how) {
        if ((code != 0 || how != QProcess::NormalExit) && showStatus)
            showStatus(told);
        opener->deleteLater();
    });
    QObject::connect(opener, &QProcess::errorOccurred, opener, [opener, showStatus, told](QProcess::ProcessError what) {
        if (what != QProcess::FailedToStart)
            return;
        if (showStatus)
            showStatus(told);
        opener->deleteLater();
    });
    opener->start(QStringLiteral("xdg-open"), {QString::fromStdString(path)});
}
