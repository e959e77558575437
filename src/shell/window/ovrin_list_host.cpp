// The main window as the side-panel lists' host: their key requests are
// posted to the window (handled after the current input, in order), the
// rest are direct calls.
#include "shell/window/ovrin_dlg.h"

#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"
#include "records/info_video.h"
#include "shell/save/save_plan.h"
#include "shell/window/main_messages.h"

#include <QLineEdit>
#include <QMessageBox>

void COvrinDlg::PlayKey(const std::string& key)
{
    PostKeyMessage(GetSafeHwnd(), WM_PLAY_VIDEO_KEY, key);
}

void COvrinDlg::PreviewKey(const std::string& key)
{
    PostKeyMessage(GetSafeHwnd(), WM_PREVIEW_VIDEO_KEY, key);
}

void COvrinDlg::SaveKeys(const std::vector<std::string>& keys)
{
    PostKeysMessage(GetSafeHwnd(), WM_SAVE_VIDEO_KEY, keys);
}

void COvrinDlg::RemoveKey(const std::string& key)
{
    PostKeyMessage(GetSafeHwnd(), WM_REMOVE_VIDEO_KEY, key);
}

void COvrinDlg::SearchText(const std::string& text)
{
    if (auto* box = Ctrl<QLineEdit>(control::kSearchBox))
        box->setText(QString::fromStdString(text));
    platform::PostMessage(GetSafeHwnd(), WM_COMMAND, command::kStartSearch, 0);
}

void COvrinDlg::PlayVideo(const std::string& title, const std::string& key)
{
    if (control_)
        control_->AddVideo(title, key, kAddPlayNow);
}

void COvrinDlg::PlayFile(const std::string& path)
{
    if (control_)
        control_->PlayItem(path);
}

void COvrinDlg::SaveFile(const std::string& path, const std::string& title)
{
    RunSaveDialog({{path, MakeSafeFileName(title)}});
}

bool COvrinDlg::Confirm(const std::string& question)
{
    return QMessageBox::warning(this, windowTitle(), QString::fromStdString(question), QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

int COvrinDlg::DownloadSpeed(const InfoVideo& video)
{
    const std::vector<HttpTask*> tasks = parts_.downloads.GetRunningTasksForUrl(video.a4);
    return tasks.empty() ? 0 : tasks.front()->bytesPerSecond;
}

int COvrinDlg::RunningDownloads()
{
    return static_cast<int>(parts_.downloads.GetRunningTasks().size());
}

HlsStatus COvrinDlg::HlsCache(const InfoVideo& video)
{
    return parts_.downloads.GetHlsStatus(video.a2);
}
