#include "app/start_request.h"

#include "records/info_video.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"
#include "shell/window/ovrin_dlg.h"

namespace {

// A stream address from the command line becomes a play-list video whose
// stream is already known, so it plays without detection.
void PlayStream(CAppSetting& settings, CPlayControl& control, const std::string& url)
{
    if (!FindVideo(settings, url))
        settings.playList.PCL_PushObject(MakeVideoRecord(url, StreamTitle(url), kAddPlayNow, url).release());
    control.AddVideo(StreamTitle(url), url, kAddPlayNow);
}

}  // namespace

void ActOnStartRequest(COvrinDlg& window, CAppSetting& settings, const StartRequest& request)
{
    if (request.problem != PathProblem::None)
        window.ShowStatus(BadPathStatus(request));
    if (!request.streamUrl.empty())
        PlayStream(settings, window.Control(), request.streamUrl);
    if (!request.pageUrl.empty())
        window.Control().AddVideo("", request.pageUrl, kAddPlayNow);
}
