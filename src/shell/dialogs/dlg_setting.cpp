#include "shell/dialogs/dlg_setting.h"

#include "delivery/flv_download_manager.h"
#include "platform/desktop_integration.h"
#include "shell/settings/app_setting.h"
#include "ui/widgets/skin_paint.h"
#include "ui/widgets/ui_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

DlgSetting::DlgSetting(CAppSetting& settings, const platform::DesktopIntegration& desktop,
                       CFLVDownloadManager& downloads, QWidget* parent)
    : QDialog(parent), settings_(settings), desktop_(desktop), downloads_(downloads)
{
    setWindowTitle(ui::Tr("设置"));
    ui::FCApplySkinPalette(this);
    auto* page = new QWidget;
    auto* form = new QVBoxLayout(page);
    autoStart_ = new QCheckBox(ui::Tr("系统启动时自动运行"));
    associate_ = new QCheckBox(ui::Tr("用Quelt打开.flv视频文件"));
    idleDownload_ = new QCheckBox(ui::Tr("空闲时自动缓冲列表中的视频"));
    maxDownload_ = new QComboBox;
    maxDownload_->addItems({ui::Tr("1 个"), ui::Tr("2 个"), ui::Tr("3 个")});
    exitPlaylist_ = new QCheckBox(ui::Tr("退出时清空播放队列并删除缓存"));
    exitHistory_ = new QCheckBox(ui::Tr("退出时清空历史记录"));
    auto* maxRow = new QFormLayout;
    maxRow->addRow(ui::Tr("最多缓冲视频"), maxDownload_);
    for (QWidget* widget : {static_cast<QWidget*>(autoStart_), static_cast<QWidget*>(associate_),
                            static_cast<QWidget*>(idleDownload_)})
        form->addWidget(widget);
    form->addLayout(maxRow);
    form->addWidget(exitPlaylist_);
    form->addWidget(exitHistory_);
    form->addStretch();

    auto* tabs = new QTabWidget;
    tabs->addTab(page, ui::Tr("基本设置"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(ui::Text(IDS_BUTTON_OK));
    buttons->button(QDialogButtonBox::Cancel)->setText(ui::Text(IDS_BUTTON_CANCEL));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Apply();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // The autostart entry is read from the desktop each time the page opens.
    autoStart_->setChecked(desktop_.IsAutoStart());
    associate_->setChecked(settings_.associateFlv != 0);
    idleDownload_->setChecked(settings_.idleDownEnable != 0);
    maxDownload_->setCurrentIndex(std::clamp(settings_.maxDownload, 1, 3) - 1);
    maxDownload_->setEnabled(idleDownload_->isChecked());
    exitPlaylist_->setChecked(settings_.exitDeletePlaylist != 0);
    exitHistory_->setChecked(settings_.exitClearHistory != 0);
    connect(idleDownload_, &QCheckBox::toggled, maxDownload_, &QComboBox::setEnabled);
}

void DlgSetting::Apply()
{
    settings_.associateFlv = associate_->isChecked() ? 1 : 0;
    settings_.idleDownEnable = idleDownload_->isChecked() ? 1 : 0;
    settings_.maxDownload = maxDownload_->currentIndex() + 1;
    settings_.exitDeletePlaylist = exitPlaylist_->isChecked() ? 1 : 0;
    settings_.exitClearHistory = exitHistory_->isChecked() ? 1 : 0;
    desktop_.SetAutoStart(autoStart_->isChecked());
    if (associate_->isChecked())
        desktop_.AssociateFlv();
    else
        desktop_.DissociateFlv();
    if (!settings_.idleDownEnable)
        downloads_.StopDownloadsExceptCurrent();
}
