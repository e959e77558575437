#include "detection/detect_flv_list.h"

#include "common/event_window.h"
#include "detection/detection_service.h"
#include "detection/segment_records.h"
#include "records/info_video.h"

#include <cstdlib>

namespace {

bool IsListed(const PCL_Interface_Composite<InfoVideo>& playList, const std::string& key)
{
    for (const InfoVideo* video : playList)
        if (video->a2 == key)
            return true;
    return false;
}

}  // namespace

CDetectFLVList::CDetectFLVList(PCL_Interface_Composite<InfoVideo>& playList, std::string segmentPrefix)
    : playList_(playList), prefix_(std::move(segmentPrefix)), valid_(playList)
{
    Create();
}

void CDetectFLVList::QuerySegments(const std::string& pageKey, const std::string& streamUrl)
{
    AddTask(detection_service::SegmentQueryUrl(prefix_, streamUrl), 0, -1, true, pageKey);
}

void CDetectFLVList::OnTaskFinish(HttpTask* task, bool success)
{
    if (!success || !task->body || task->body->empty() || !IsListed(playList_, task->key))
        return;
    const std::vector<std::string> urls = detection_service::ParseSegmentAnswer(*task->body);
    for (std::size_t i = 0; i < urls.size(); ++i)
        valid_.EnqueueSegmentCheck(task->key + " " + std::to_string(i + 1), urls[i]);
}

CDetectFLVList::CDetectFLVValid::CDetectFLVValid(PCL_Interface_Composite<InfoVideo>& playList)
    : playList_(playList)
{
    Create();
}

void CDetectFLVList::CDetectFLVValid::EnqueueSegmentCheck(const std::string& key, const std::string& url)
{
    keys_.push_back(key);
    urls_.push_back(url);
    PumpSegmentChecks();
}

void CDetectFLVList::CDetectFLVValid::PumpSegmentChecks()
{
    const int n = kMaxProbes - static_cast<int>(GetRunningTasks().size());
    for (int i = 0; i < n && !keys_.empty() && keys_.size() == urls_.size(); ++i) {
        AddTask(urls_.front(), 0, -1, false, keys_.front());
        keys_.pop_front();
        urls_.pop_front();
    }
}

// Only the status line matters: the transfer stops here.
void CDetectFLVList::CDetectFLVValid::OnTaskResponseHeader(HttpTask* task, const platform::HttpResponse&)
{
    task->running.exchange(0);
    if (task->statusCode == 200) {
        const std::size_t blank = task->key.rfind(' ');
        const std::string pageKey = task->key.substr(0, blank);
        const long number = std::strtol(task->key.c_str() + blank + 1, nullptr, 10);
        if (AddSegmentRecord(playList_, pageKey, number, task->url)) {
            const std::string key = task->key;
            BroadcastEvent(WM_EVENT_VIDEO_UPDATED, reinterpret_cast<WPARAM>(&key));
        }
    }
    PumpSegmentChecks();
}

// A probe that ended without a status line (no connection, say) frees its
// place for the next one, so the queue never stalls behind failed probes.
void CDetectFLVList::CDetectFLVValid::OnTaskFinish(HttpTask*, bool)
{
    PumpSegmentChecks();
}
