#pragma once
// Until the main player window exists, the program shows the main skin and
// runs the delivery spine behind it: the play server and the download
// manager. A stream URL given on the command line joins the play list, is
// cached, and can be played through its loopback play URL by any player.
#include "common/event_window.h"
#include "delivery/flv_download_manager.h"
#include "delivery/play_request_manager.h"

#include <functional>
#include <string>

class CAppSetting;

class CDeliveryDemo : public CEventWindowBaseT<CWnd> {
public:
    using StatusSink = std::function<void(const std::string&)>;

    CDeliveryDemo(CAppSetting& settings, StatusSink status);
    ~CDeliveryDemo() override;

    // Adds the stream to the play list (once), makes it the playing video
    // and starts caching it. Returns its loopback play URL.
    std::string Play(const std::string& streamUrl);

protected:
    void OnEventFlvDownloadProgress(InfoVideo* video) override;

private:
    CAppSetting& settings_;
    StatusSink status_;
    CPlayRequestManager playServer_;
    CFLVDownloadManager downloads_;
    int lastPercent_ = -1;
};
