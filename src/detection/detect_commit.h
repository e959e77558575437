#pragma once
// Tells the detection service what a local detection found, or that a
// page's stream led nowhere. Sent once; the answer is not looked at.
#include "delivery/http_task_manager.h"
#include "platform/window.h"

#include <string>

class CDetectCommit : public FCHttpTaskManager<CWnd> {
public:
    // lookupPrefix: the detection service address up to and including "?".
    explicit CDetectCommit(std::string lookupPrefix);

    // A stream URL and referer of "d" report a failure.
    void SendDetectionReport(const std::string& pageKey, const std::string& streamUrl, const std::string& referer);

private:
    std::string prefix_;
};
