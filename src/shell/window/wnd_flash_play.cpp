#include "shell/window/wnd_flash_play.h"

#include "common/app_folder.h"
#include "delivery/cache_file_reader.h"
#include "delivery/play_request_manager.h"
#include "shell/player/flash_call.h"

#include <QWidget>

CWndFlashPlay::CWndFlashPlay(QWidget* parent, int ctrlId, CPlayRequestManager* playServer, int volume)
    : page_(parent), ctrlId_(ctrlId), playServer_(playServer)
{
    loaded_ = GetFileSize64(PagePath()) > 0 && playServer_;
    if (loaded_)
        page_.Load(playServer_->BuildPageUrl("player.html"));
    const bool main = ctrlId == kMainPlayerId;
    CallFunction("SetStyle", main ? "2" : "3");
    CallFunction("SetVideoVolume", FormatPercent(main ? volume : 0));
}

CWndFlashPlay::~CWndFlashPlay()
{
    ClosePlayedRequest();
}

std::string CWndFlashPlay::PageFolder()
{
    return GetAppFolder() + "skin/player";
}

std::string CWndFlashPlay::PagePath()
{
    return PageFolder() + "/player.html";
}

void CWndFlashPlay::CallFunction(const std::string& name, const std::string& argument,
                                 platform::PlayerPageView::ResultHandler done)
{
    page_.CallFunction(BuildInvokeXml(name, argument), std::move(done));
}

void CWndFlashPlay::ClosePlayedRequest()
{
    if (playServer_ && !lastUrl_.empty())
        playServer_->CloseRequestByPath(lastUrl_);
    lastUrl_.clear();
}

void CWndFlashPlay::PlayVideo(const std::string& url)
{
    ClosePlayedRequest();
    lastUrl_ = url;
    CallFunction("PlayVideo", url);
}

void CWndFlashPlay::StopVideo()
{
    ClosePlayedRequest();
    CallFunction("StopVideo", "null");
}

void CWndFlashPlay::SetEventHandler(platform::PlayerPageView::CommandHandler handler)
{
    page_.SetCommandHandler(std::move(handler));
}
