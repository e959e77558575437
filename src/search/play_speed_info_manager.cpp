#include "search/play_speed_info_manager.h"

#include "platform/window.h"

PlaySpeedInfoManager::PlaySpeedInfoManager()
{
    Create();
}

void PlaySpeedInfoManager::Start(const std::string& listUrl)
{
    for (const SearchSite& entry : LoadFromCache(listUrl)) {
        SpeedInfoRecord record = MakeSpeedInfoRecord(entry);
        if (platform::IsWindow(GetSafeHwnd()))
            AddTask(record.testUrl, 0, kTestBytes, false, {}, {}, kTestBytes, 0);
        records_.push_back(std::move(record));
    }
    CheckForUpdate(listUrl);
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
