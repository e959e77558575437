#include "shell/dialogs/dlg_input_video_html.h"

#include "common/string_table.h"
#include "ui/widgets/skin_paint.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
}

DlgInputVideoHtml::DlgInputVideoHtml(const QString& clipboard, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("播放视频网页"));
    ui::FCApplySkinPalette(this);
    edit_ = new QPlainTextEdit;
    auto* tip = new QLabel(QString::fromStdString(LoadString(IDS_INPUT_PAGES_TIP)).remove('\r'));
    tip->setWordWrap(true);
    auto* playNow = new QPushButton(QStringLiteral("立即播放"));
    auto* addToList = new QPushButton(QStringLiteral("加入列表"));
    auto* cancel = new QPushButton(QStringLiteral("取消"));
    playNow->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(playNow);
    buttons->addWidget(addToList);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_, 1);
    layout->addWidget(tip);
    layout->addLayout(buttons);
    resize(440, 300);

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

void DlgInputVideoHtml::Choose(int button)
{
    lines_.clear();
    for (const QString& line : edit_->toPlainText().split('\n')) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines_.push_back(trimmed.left(8192).toStdString());
    }
    done(button);
}
