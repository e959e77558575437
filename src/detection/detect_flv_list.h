#pragma once
// The further segments of a found stream: the segment service lists their
// URLs, and each URL is probed (status line only, at most three at a time)
// before it becomes a play-list record of its own.
#include "common/composite.h"
#include "delivery/http_task_manager.h"
#include "platform/window.h"

#include <deque>
#include <string>

class InfoVideo;

class CDetectFLVList : public FCHttpTaskManager<CWnd> {
public:
    // segmentPrefix: the segment service address up to and including "url=".
    CDetectFLVList(PCL_Interface_Composite<InfoVideo>& playList, std::string segmentPrefix);

    void QuerySegments(const std::string& pageKey, const std::string& streamUrl);

    class CDetectFLVValid : public FCHttpTaskManager<CWnd> {
    public:
        static constexpr int kMaxProbes = 3;

        explicit CDetectFLVValid(PCL_Interface_Composite<InfoVideo>& playList);
        // key: the page key, a blank and the segment number.
        void EnqueueSegmentCheck(const std::string& key, const std::string& url);
        void PumpSegmentChecks();
        std::size_t QueuedChecks() const { return keys_.size(); }

    protected:
        void OnTaskResponseHeader(HttpTask* task, const platform::HttpResponse& response) override;
        void OnTaskFinish(HttpTask* task, bool success) override;

    private:
        PCL_Interface_Composite<InfoVideo>& playList_;
        std::deque<std::string> keys_;
        std::deque<std::string> urls_;
    };

    CDetectFLVValid& Probes() { return valid_; }

protected:
    void OnTaskFinish(HttpTask* task, bool success) override;

private:
    PCL_Interface_Composite<InfoVideo>& playList_;
    std::string prefix_;
    CDetectFLVValid valid_;
};
