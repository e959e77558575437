#include "shell/save/dlg_save_video.h"

#include "common/ids/message_ids.h"
#include "common/string_table.h"
#include "platform/window.h"
#include "shell/save/save_plan.h"
#include "shell/settings/app_setting.h"
#include "ui/widgets/skin_paint.h"
#include "ui/widgets/ui_text.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

// A cancelled conversion normally ends (partial file removed) within a
// second; one stuck longer is left to end on its own.
constexpr int kCloseWaitMs = 3000;
constexpr int kClosePollMs = 10;

}  // namespace

// The library's worker posts to this window; it runs on the dialog's thread.
class DlgSaveVideo::Messages : public CWnd {
public:
    explicit Messages(DlgSaveVideo& dialog) : dialog_(dialog) { Create(); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if ((msg == WM_CONVERT_RATE || msg == WM_CONVERT_RESULT) && dialog_.closing_)
            return 0;
        if (msg == WM_CONVERT_RATE) {
            dialog_.progress_->setValue(static_cast<int>(wParam));
            return 0;
        }
        if (msg == WM_CONVERT_RESULT) {
            dialog_.OnResult(static_cast<int>(wParam));
            return 0;
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    }

private:
    DlgSaveVideo& dialog_;
};

DlgSaveVideo::DlgSaveVideo(CAppSetting& settings, const std::string& documentsFolder, QWidget* parent)
    : QDialog(parent), settings_(settings), messages_(std::make_unique<Messages>(*this))
{
    setWindowTitle(ui::Tr("保存视频文件"));
    ui::FCApplySkinPalette(this);
    folderBox_ = new QLineEdit;
    folderBox_->setReadOnly(true);
    auto* browse = new QPushButton(QStringLiteral("..."));
    browse->setFixedWidth(32);
    formats_ = new QComboBox;
    for (const OfferedFormat& format : OfferedFormats())
        formats_->addItem(ui::Text(format.stringId), format.format);
    status_ = new QLabel(ui::Tr("正在处理：..."));
    progress_ = new QProgressBar;
    progress_->setRange(0, 100);
    progress_->setValue(0);
    log_ = new QPlainTextEdit;
    log_->setReadOnly(true);
    save_ = new QPushButton(ui::Tr("保存(&S)"));
    save_->setDefault(true);
    cancel_ = new QPushButton(ui::Tr("取消(&C)"));

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(ui::Tr("另存为：")), 0, 0);
    grid->addWidget(folderBox_, 0, 1);
    grid->addWidget(browse, 0, 2);
    grid->addWidget(new QLabel(ui::Tr("保存格式：")), 1, 0);
    grid->addWidget(formats_, 1, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(ui::Tr("提示：视频的标题将作为文件名")), 1);
    buttons->addWidget(save_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(status_);
    layout->addWidget(progress_);
    layout->addWidget(log_, 1);
    layout->addLayout(buttons);
    resize(460, 320);

    SetSaveFolder(ChooseSaveFolder(settings_.saveFlvFolder, documentsFolder));
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (settings_.convertSelection >= 0 && settings_.convertSelection < formats_->count())
        formats_->setCurrentIndex(settings_.convertSelection);

    connect(browse, &QPushButton::clicked, this, &DlgSaveVideo::ChooseFolder);
    connect(save_, &QPushButton::clicked, this, &DlgSaveVideo::Save);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

// A running conversion stops and notifies nothing any more. Its worker
// removes the partial file within a second or so; that is waited for while
// the event loop keeps running (user input aside), at most kCloseWaitMs.
DlgSaveVideo::~DlgSaveVideo()
{
    closing_ = true;
    queue_.clear();
    ReleaseConvert();
    if (IsFinishConvert())
        return;
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (IsFinishConvert() || waited.elapsed() >= kCloseWaitMs)
            loop.quit();
    });
    poll.start(kClosePollMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void DlgSaveVideo::AddItem(const std::string& source, const std::string& name)
{
    queue_.push_back(SaveItem{source, name, {}});
}

void DlgSaveVideo::AddItem(const SaveItem& item)
{
    queue_.push_back(item);
}

void DlgSaveVideo::SetSaveFolder(const std::string& folder)
{
    folder_ = folder;
    folderBox_->setText(QString::fromStdString(folder));
}

void DlgSaveVideo::ChooseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, ui::Text(IDS_CHOOSE_SAVE_FOLDER), QString::fromStdString(folder_));
    if (folder.isEmpty())
        return;
    SetSaveFolder(folder.toStdString());
    settings_.saveFlvFolder = folder_;
}

bool DlgSaveVideo::FolderIsUsable()
{
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    const std::string probe = folder_ + "/.quelt-write-test";
    const bool writable = std::ofstream(probe).good();
    std::remove(probe.c_str());
    if (!writable)
        QMessageBox::warning(this, windowTitle(),
                             ui::Tr("无法写入保存文件夹：%1\n请选择另一个文件夹。").arg(QString::fromStdString(folder_)));
    return writable;
}

void DlgSaveVideo::Save()
{
    settings_.convertSelection = formats_->currentIndex();
    format_ = formats_->currentData().toInt();
    if (queue_.empty()) {
        accept();
        return;
    }
    // The queue stays as it is until the folder can take the files.
    if (!FolderIsUsable())
        return;
    if (ProcessNext())
        save_->setEnabled(false);
}

bool DlgSaveVideo::ProcessNext()
{
    if (queue_.empty())
        return false;
    const SaveItem item = queue_.back();
    queue_.pop_back();
    currentName_ = item.name;
    FILEINFO info;
    info.format = SaveFormatOf(format_, item);
    info.source = item.source;
    info.tracks = item.tracks;
    info.destination = UniqueDestination(folder_, item.name, ExtensionOfFormat(info.format));
    const QString status = ui::Text(IDS_FILES_WAITING).replace(QStringLiteral("%d"), QString::number(queue_.size()));
    status_->setText(status);
    Q_EMIT statusChanged(status);
    progress_->setValue(0);
    StartConvert(info);
    return true;
}

// Posted, never sent: the destructor waits for a notification that runs
// (ReleaseConvert) and must not wait for this thread in turn.
void DlgSaveVideo::OnFinishRate(float rate)
{
    platform::PostMessage(messages_->GetSafeHwnd(), WM_CONVERT_RATE,
                          static_cast<WPARAM>(std::clamp(rate, 0.0f, 1.0f) * 100.0f), 0);
}

void DlgSaveVideo::OnFinishResult(MEDIA_CONVERT_RESULT result)
{
    platform::PostMessage(messages_->GetSafeHwnd(), WM_CONVERT_RESULT, static_cast<WPARAM>(result), 0);
}

void DlgSaveVideo::OnResult(int result)
{
    EndConvert();
    const int line = result == MEDIA_CONVERT_SUCCEEDED          ? IDS_CONVERT_SUCCEEDED
                     : result == MEDIA_CONVERT_LIBRARY_ADD_FAILED ? IDS_CONVERT_NOT_IN_LIBRARY
                                                                  : IDS_CONVERT_FAILED;
    log_->moveCursor(QTextCursor::End);
    log_->insertPlainText(ui::Text(line).replace(QStringLiteral("%s"), QString::fromStdString(currentName_)).remove('\r'));
    if (!ProcessNext()) {
        cancel_->setText(ui::Text(IDS_CLOSE_BUTTON));
        done_ = true;
        Q_EMIT finishedAll();
    }
}

QString DlgSaveVideo::LogText() const
{
    return log_->toPlainText();
}
