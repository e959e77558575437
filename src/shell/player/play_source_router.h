#pragma once
// The play server's request server in the program: a local file that the
// main player or the preview shows right now is served from disk, a stream
// the program makes goes to its maker, and every other request goes to the
// download manager. Only the shown file is
// served, so a web page cannot read the user's files through the loopback
// server.
#include "delivery/play_request_manager.h"

#include <vector>

class CAppSetting;

// A stream the program makes itself (a video transcoded for the page),
// served under keys of its own.
class IOwnStream : public IPlayRequestServer {
public:
    virtual bool ServesKey(const std::string& key) const = 0;
};

class CPlaySourceRouter : public IPlayRequestServer {
public:
    CPlaySourceRouter(const CAppSetting& settings, IPlayRequestServer& downloads);
    void ServeRequest(CPlayRequest& request) override;
    void AddOwnStream(IOwnStream* stream) { ownStreams_.push_back(stream); }
    void RemoveOwnStream(IOwnStream* stream) { std::erase(ownStreams_, stream); }

private:
    const CAppSetting& settings_;
    IPlayRequestServer& downloads_;
    std::vector<IOwnStream*> ownStreams_;
};
