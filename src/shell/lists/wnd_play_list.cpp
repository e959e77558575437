#include "shell/lists/wnd_play_list.h"

#include "common/string_table.h"
#include "delivery/flv_cache.h"
#include "delivery/flv_download_manager.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"
#include "shell/window/main_messages.h"
#include "ui/widgets/skin_paint.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QUrl>

#include <cstdio>
#include <fstream>

namespace {

constexpr int IDS_BUFFERED = 30070;
constexpr int IDS_PREVIEW_TIP = 30074;
constexpr int IDS_SAVE_TIP = 30075;
// 0x00BBGGRR colours of the skin's palette.
constexpr std::uint32_t kText = 14208713;
constexpr std::uint32_t kDimText = 10522762;
constexpr std::uint32_t kSelected = 3353642;
constexpr std::uint32_t kAccent = 16747852;
constexpr std::uint32_t kTrack = 2367261;
constexpr std::uint32_t kBackground = 2169883;

struct MenuEntry {
    int command;
    const char* text;
};
constexpr MenuEntry kMenu[] = {
    {20500, "播放(&P)"},        {20501, "预览(&V)"},         {20502, "保存视频文件(&S)..."},
    {20503, "删除视频(&D)"},    {20505, "查看视频来源"},      {20506, "加到我的收藏"},
    {20507, "搜索本视频(&S)"},
};

std::string BufferedText(const InfoVideo& video)
{
    const CacheSizes sizes = GetCacheSizes(video);
    const int percent = sizes.total > 0 ? static_cast<int>(static_cast<double>(sizes.cached) * 100.0 / sizes.total) : 0;
    char text[160];
    std::snprintf(text, sizeof text, LoadString(IDS_BUFFERED).c_str(), std::min(percent, 100),
                  static_cast<double>(sizes.total) / 1048576.0);
    std::string line = text;
    if (const std::size_t end = line.find("\r\n"); end != std::string::npos)
        line.replace(end, 2, "  ");
    return line;
}

}  // namespace

// The view's ear for the broadcasts.
class CWndPlayList::Events : public CEventWindowBaseT<CWnd> {
public:
    explicit Events(CWndPlayList& view) : view_(view) { Create(); }

protected:
    void OnEventFlvDownloadProgress(InfoVideo* video) override
    {
        if (video)
            view_.Progress(*video);
    }
    void OnEventVideoUpdated(const std::string& key) override { view_.Rebuild(key); }

private:
    CWndPlayList& view_;
};

CWndPlayList::CWndPlayList(CAppSetting& settings, HWND mainWindow, QWidget* parent)
    : QWidget(parent), settings_(settings), mainWindow_(mainWindow), model_(settings)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    scroll_ = new QScrollBar(Qt::Vertical, this);
    connect(scroll_, &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    events_ = std::make_unique<Events>(*this);
    Rebuild({});
}

// The sources file lives as long as the view that wrote it.
CWndPlayList::~CWndPlayList()
{
    std::remove(SourcesFilePath().c_str());
}

void CWndPlayList::Rebuild(const std::string& selectKey)
{
    const std::optional<std::size_t> reveal = model_.Rebuild(selectKey);
    UpdateScrollRange();
    if (reveal) {
        const QRect item = ItemRect(*reveal).translated(0, scroll_->value());
        if (item.top() < scroll_->value())
            scroll_->setValue(item.top());
        else if (item.bottom() > scroll_->value() + height())
            scroll_->setValue(item.bottom() - height() + 1);
    }
    update();
}

void CWndPlayList::Progress(const InfoVideo& video)
{
    for (std::size_t i = 0; i < model_.Count(); ++i)
        if (model_.KeyAt(i) == video.a2)
            update(ItemRect(i));
}

QRect CWndPlayList::ItemRect(std::size_t index) const
{
    const int width = scroll_->isVisible() ? this->width() - scroll_->width() : this->width();
    return QRect(0, static_cast<int>(index) * kItemHeight - scroll_->value(), width, kItemHeight);
}

std::optional<std::size_t> CWndPlayList::ItemAt(const QPoint& point, QPoint* inItem) const
{
    if (point.y() < 0)
        return std::nullopt;
    const auto index = static_cast<std::size_t>((point.y() + scroll_->value()) / kItemHeight);
    if (index >= model_.Count() || point.x() >= ItemRect(index).width())
        return std::nullopt;
    if (inItem)
        *inItem = point - ItemRect(index).topLeft();
    return index;
}

void CWndPlayList::UpdateScrollRange()
{
    const int content = static_cast<int>(model_.Count()) * kItemHeight;
    scroll_->setRange(0, std::max(0, content - height()));
    scroll_->setPageStep(height());
    scroll_->setSingleStep(kItemHeight / 2);
    scroll_->setVisible(content > height());
    scroll_->setGeometry(width() - 10, 0, 10, height());
}

void CWndPlayList::resizeEvent(QResizeEvent*)
{
    UpdateScrollRange();
}

void CWndPlayList::showEvent(QShowEvent*)
{
    Rebuild({});
}

void CWndPlayList::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), ui::FCSkinColour(kBackground));
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.85);
    for (std::size_t i = 0; i < model_.Count(); ++i) {
        const QRect item = ItemRect(i);
        if (item.bottom() < 0 || item.top() > height())
            continue;
        const InfoVideo* video = FindVideo(settings_, model_.KeyAt(i));
        if (!video)
            continue;
        if (model_.IsSelected(i))
            painter.fillRect(item, ui::FCSkinColour(kSelected));
        const QString title = QString::fromStdString(video->a1.empty() ? video->a2 : video->a1);
        painter.setPen(ui::FCSkinColour(kText));
        painter.setFont(font());
        const QRect titleRect(item.left() + 10, item.top() + 4, item.width() - 60, 20);
        painter.drawText(titleRect, Qt::AlignVCenter | Qt::AlignLeft,
                         painter.fontMetrics().elidedText(title, Qt::ElideRight, titleRect.width()));
        painter.setPen(ui::FCSkinColour(kDimText));
        painter.setFont(small);
        painter.drawText(QRect(item.left() + 10, item.top() + 22, item.width() - 60, 16), Qt::AlignVCenter,
                         QString::fromStdString(BufferedText(*video)));
        // The buffered share as a line along the item's foot.
        const CacheSizes sizes = GetCacheSizes(*video);
        const double share = sizes.total > 0 ? std::min(1.0, static_cast<double>(sizes.cached) / sizes.total) : 0.0;
        painter.fillRect(QRect(item.left() + 10, item.bottom() - 4, item.width() - 20, 2), ui::FCSkinColour(kTrack));
        painter.fillRect(QRect(item.left() + 10, item.bottom() - 4, static_cast<int>((item.width() - 20) * share), 2),
                         ui::FCSkinColour(kAccent));
        // The two buttons, lit while the mouse is over them.
        QPoint inItem;
        const bool hovered = ItemAt(lastMouse_, &inItem) == i;
        const auto lit = hovered ? CPlayListModel::ButtonAt(inItem.x(), item.width()) : CPlayListModel::Button::None;
        const auto drawButton = [&](int left, CPlayListModel::Button which, bool triangle) {
            const QRectF box(item.left() + item.width() - left, item.top() + 12, 18, 18);
            painter.setPen(Qt::NoPen);
            painter.setBrush(ui::FCSkinColour(lit == which ? kAccent : kDimText));
            if (triangle) {
                const QPointF shape[] = {box.topLeft() + QPointF(4, 3), box.bottomLeft() + QPointF(4, -3),
                                         QPointF(box.right() - 3, box.center().y())};
                painter.drawPolygon(shape, 3);
            } else {
                painter.drawRect(QRectF(box.center().x() - 1.5, box.top() + 2, 3, 9));
                const QPointF arrow[] = {QPointF(box.left() + 4, box.top() + 9), QPointF(box.right() - 4, box.top() + 9),
                                         QPointF(box.center().x(), box.top() + 14)};
                painter.drawPolygon(arrow, 3);
                painter.drawRect(QRectF(box.left() + 3, box.bottom() - 3, box.width() - 6, 2));
            }
        };
        drawButton(45, CPlayListModel::Button::Preview, true);
        drawButton(22, CPlayListModel::Button::Save, false);
    }
}

void CWndPlayList::mousePressEvent(QMouseEvent* event)
{
    setFocus();
    const std::optional<std::size_t> index = ItemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        if (index)
            model_.Click(*index, event->modifiers() & Qt::ControlModifier, event->modifiers() & Qt::ShiftModifier);
        update();
    } else if (event->button() == Qt::RightButton) {
        if (index)
            model_.RightClick(*index);
        update();
        ShowMenu(event->globalPosition().toPoint());
    }
}

void CWndPlayList::mouseReleaseEvent(QMouseEvent* event)
{
    QPoint inItem;
    const std::optional<std::size_t> index = ItemAt(event->position().toPoint(), &inItem);
    if (event->button() != Qt::LeftButton || !index)
        return;
    const std::string& key = model_.KeyAt(*index);
    switch (CPlayListModel::ButtonAt(inItem.x(), ItemRect(*index).width())) {
    case CPlayListModel::Button::Preview: PostKeyMessage(mainWindow_, WM_PREVIEW_VIDEO_KEY, key); break;
    case CPlayListModel::Button::Save: PostKeysMessage(mainWindow_, WM_SAVE_VIDEO_KEY, {key}); break;
    case CPlayListModel::Button::None: break;
    }
}

void CWndPlayList::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPoint inItem;
    const std::optional<std::size_t> index = ItemAt(event->position().toPoint(), &inItem);
    if (event->button() == Qt::LeftButton && index
        && CPlayListModel::ButtonAt(inItem.x(), ItemRect(*index).width()) == CPlayListModel::Button::None)
        PostKeyMessage(mainWindow_, WM_PLAY_VIDEO_KEY, model_.KeyAt(*index));
}

// An item repaints when the mouse enters or leaves one of its buttons.
void CWndPlayList::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint now = event->position().toPoint();
    for (const QPoint& point : {lastMouse_, now}) {
        QPoint inItem;
        if (const auto index = ItemAt(point, &inItem);
            index && CPlayListModel::ButtonAt(inItem.x(), ItemRect(*index).width()) != CPlayListModel::Button::None)
            update(ItemRect(*index));
    }
    lastMouse_ = now;
}

void CWndPlayList::leaveEvent(QEvent*)
{
    lastMouse_ = QPoint(-1, -1);
    update();
}

void CWndPlayList::wheelEvent(QWheelEvent* event)
{
    scroll_->setValue(scroll_->value() - event->angleDelta().y() / 120 * kItemHeight);
}

void CWndPlayList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete)
        RemoveSelected();
    else
        QWidget::keyPressEvent(event);
}

bool CWndPlayList::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QPoint inItem;
        const auto index = ItemAt(help->pos(), &inItem);
        const auto button = index ? CPlayListModel::ButtonAt(inItem.x(), ItemRect(*index).width())
                                  : CPlayListModel::Button::None;
        if (button == CPlayListModel::Button::None)
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(),
                               QString::fromStdString(LoadString(button == CPlayListModel::Button::Preview ? IDS_PREVIEW_TIP
                                                                                                         : IDS_SAVE_TIP)),
                               this);
        return true;
    }
    return QWidget::event(event);
}

void CWndPlayList::RemoveSelected()
{
    for (const std::string& key : model_.SelectedKeys())
        PostKeyMessage(mainWindow_, WM_REMOVE_VIDEO_KEY, key);
}

void CWndPlayList::ShowMenu(const QPoint& where)
{
    if (model_.SelectedCount() == 0)
        return;
    const CPlayListModel::MenuState state = model_.Menu();
    QMenu menu(this);
    for (const MenuEntry& entry : kMenu) {
        if ((entry.command == 20500 || entry.command == 20501) && !state.playAndPreview)
            continue;
        QAction* action = menu.addAction(QString::fromUtf8(entry.text));
        if (entry.command == 20502 || entry.command == 20506)
            action->setEnabled(state.saveAndFavorite);
        if (entry.command == 20507)
            action->setEnabled(state.search);
        connect(action, &QAction::triggered, this, [this, command = entry.command] { RunMenuCommand(command); });
    }
    menu.exec(where);
}

void CWndPlayList::RunMenuCommand(int command)
{
    const std::vector<std::string> keys = model_.SelectedKeys();
    if (keys.empty())
        return;
    switch (command) {
    case 20500: PostKeyMessage(mainWindow_, WM_PLAY_VIDEO_KEY, keys.front()); break;
    case 20501: PostKeyMessage(mainWindow_, WM_PREVIEW_VIDEO_KEY, keys.front()); break;
    case 20502: PostKeysMessage(mainWindow_, WM_SAVE_VIDEO_KEY, keys); break;
    case 20503: RemoveSelected(); break;
    case 20505: ShowSources(); break;
    case 20506: {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        for (const std::string& key : keys)
            AddFavorite(settings_, key);
        QApplication::restoreOverrideCursor();
        break;
    }
    case 20507:
        if (const InfoVideo* video = FindVideo(settings_, keys.front()); video && keys.size() == 1 && onSearch)
            onSearch(video->a1);
        break;
    default: break;
    }
}

std::string CWndPlayList::SourcesFilePath()
{
    return QDir::tempPath().toStdString() + "/查看视频来源...  -";
}

// The text goes into a file of its own, opened in the desktop's text viewer.
void CWndPlayList::ShowSources()
{
    const std::string path = SourcesFilePath();
    std::remove(path.c_str());
    {
        std::ofstream out(path, std::ios::binary);
        out << model_.SourcesText();
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}
