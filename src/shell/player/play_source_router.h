#pragma once
// The play server's request server in the program: a local file that the
// main player or the preview shows right now is served from disk; every
// other request goes to the download manager. Only the shown file is
// served, so a web page cannot read the user's files through the loopback
// server.
#include "delivery/play_request_manager.h"

class CAppSetting;

class CPlaySourceRouter : public IPlayRequestServer {
public:
    CPlaySourceRouter(const CAppSetting& settings, IPlayRequestServer& downloads);
    void ServeRequest(CPlayRequest& request) override;

private:
    const CAppSetting& settings_;
    IPlayRequestServer& downloads_;
};
