#include "shell/dialogs/dlg_input_video_html.h"

#include "common/ids/message_ids.h"
#include "common/ids/string_ids.h"
#include "common/string_table.h"
#include "ui/widgets/skin_paint.h"
#include "ui/widgets/ui_text.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// An edit line is read up to this many bytes.
constexpr std::size_t kMaxLineBytes = 8192;

// The first `limit` bytes of a UTF-8 text, not cutting a character apart.
std::string CutUtf8(std::string text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

}  // namespace

DlgInputVideoHtml::DlgInputVideoHtml(const QString& clipboard, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ui::Tr("播放视频网页"));
    ui::FCApplySkinPalette(this);
    edit_ = new QPlainTextEdit;
    auto* playNow = new QPushButton(ui::Tr("立即播放"));
    auto* addToList = new QPushButton(ui::Tr("加入列表"));
    auto* cancel = new QPushButton(ui::Text(IDS_BUTTON_CANCEL));
    playNow->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(playNow);
    buttons->addWidget(addToList);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_, 1);
    layout->addLayout(buttons);
    resize(440, 260);

    // The balloon: an information icon and the example text in a
    // tooltip-coloured box of its own above the dialog.
    balloon_ = new QFrame(this, Qt::ToolTip | Qt::FramelessWindowHint);
    balloon_->setFrameShape(QFrame::Box);
    balloon_->setForegroundRole(QPalette::ToolTipText);
    balloon_->setBackgroundRole(QPalette::ToolTipBase);
    balloon_->setAutoFillBackground(true);
    auto* icon = new QLabel(balloon_);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(24, 24));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(ui::Text(IDS_INPUT_PAGES_TIP).remove('\r'), balloon_);
    text->setObjectName(QStringLiteral("text"));
    text->setForegroundRole(QPalette::ToolTipText);
    auto* balloonLayout = new QHBoxLayout(balloon_);
    balloonLayout->setContentsMargins(8, 8, 8, 8);
    balloonLayout->addWidget(icon);
    balloonLayout->addWidget(text);
    balloon_->hide();
    // The balloon goes as soon as the user works in the box.
    connect(edit_, &QPlainTextEdit::textChanged, balloon_, &QWidget::hide);
    messages_.Create();

    // A clipboard that holds a web address is offered as it is.
    if (clipboard.contains(QStringLiteral("http://")) || clipboard.contains(QStringLiteral("https://"))) {
        edit_->setPlainText(clipboard);
        playNow->setFocus();
    } else {
        edit_->setFocus();
    }
    connect(playNow, &QPushButton::clicked, this, [this] { Choose(kPlayNow); });
    connect(addToList, &QPushButton::clicked, this, [this] { Choose(kAddToList); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

DlgInputVideoHtml::~DlgInputVideoHtml() = default;

QWidget* DlgInputVideoHtml::Balloon() const
{
    return balloon_;
}

void DlgInputVideoHtml::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The dialog is set up and about to be on screen: the tip follows once
    // the event loop has shown it.
    if (!tipPosted_) {
        tipPosted_ = true;
        messages_.PostMessage(WM_SHOW_INPUT_TIP);
    }
}

void DlgInputVideoHtml::hideEvent(QHideEvent* event)
{
    balloon_->hide();
    QDialog::hideEvent(event);
}

LRESULT DlgInputVideoHtml::MessageWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SHOW_INPUT_TIP) {
        owner_.ShowInputTip();
        return 0;
    }
    return platform::Window::WindowProc(msg, wParam, lParam);
}

void DlgInputVideoHtml::ShowInputTip()
{
    if (!isVisible())
        return;
    // Below the first lines of the edit box, its corner inside the box.
    balloon_->adjustSize();
    balloon_->move(edit_->mapToGlobal(QPoint(12, edit_->height() / 3)));
    balloon_->show();
    balloon_->raise();
}

void DlgInputVideoHtml::Choose(int button)
{
    lines_.clear();
    for (QString line : edit_->toPlainText().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines_.push_back(CutUtf8(line.toStdString(), kMaxLineBytes));
    }
    done(button);
}
