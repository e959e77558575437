#include "detection/detect_commit.h"

#include "detection/detection_service.h"

CDetectCommit::CDetectCommit(std::string lookupPrefix) : prefix_(std::move(lookupPrefix))
{
    Create();
}

void CDetectCommit::SendDetectionReport(const std::string& pageKey, const std::string& streamUrl,
                                        const std::string& referer)
{
    AddTask(detection_service::ReportUrl(prefix_, pageKey, streamUrl, referer), 0, -1, true);
}
