#include "search/play_speed_info_manager.h"

#include "platform/window.h"

PlaySpeedInfoManager::PlaySpeedInfoManager()
{
    Create();
}

void PlaySpeedInfoManager::Start(const std::string& listUrl)
{
    started_ = true;
    Measure(LoadFromCache(listUrl));
    CheckForUpdate(listUrl);
}

void PlaySpeedInfoManager::Measure(const std::vector<SearchSite>& list)
{
    for (const SearchSite& entry : list) {
        SpeedInfoRecord record = MakeSpeedInfoRecord(entry);
        if (platform::IsWindow(GetSafeHwnd()))
            AddTask(record.testUrl, 0, kTestBytes, false, {}, {}, kTestBytes, 0);
        records_.push_back(std::move(record));
    }
}

void PlaySpeedInfoManager::OnListUpdated(const std::vector<SearchSite>& list)
{
    // A list that replaces a cached one waits for the next start, as the
    // records already measured stay valid until then.
    if (started_ && records_.empty())
        Measure(list);
}

const SpeedInfoRecord* PlaySpeedInfoManager::FindSpeedRecord(const std::string& url) const
{
    return ::FindSpeedRecord(records_, url);
}

// Only a site whose test file is larger than the bytes asked for is
// measured: a smaller one says nothing about its speed.
void PlaySpeedInfoManager::OnTaskFinish(HttpTask* task, bool success)
{
    for (SpeedInfoRecord& record : records_) {
        if (record.testUrl != task->url)
            continue;
        if (success && task->contentLength > kTestBytes)
            record.rate = MeasuredRate(static_cast<std::int64_t>(HttpTaskTickCount() - task->createTick), record.offset);
        record.done = true;
        return;
    }
}
