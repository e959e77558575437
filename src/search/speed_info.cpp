#include "search/speed_info.h"

#include "search/list_file.h"

#include <limits>

SpeedInfoRecord MakeSpeedInfoRecord(const SearchSite& entry)
{
    SpeedInfoRecord record;
    record.pattern = entry.name;
    record.testUrl = entry.parseScript;
    record.siteName = entry.coding;
    const std::size_t bar = entry.linkScript.find('|');
    if (bar != std::string::npos) {
        record.offset = ParseInt32OrZero(std::string_view(entry.linkScript).substr(0, bar));
        record.rate = ParseInt32OrZero(std::string_view(entry.linkScript).substr(bar + 1));
    }
    return record;
}

const SpeedInfoRecord* FindSpeedRecord(const std::vector<SpeedInfoRecord>& records, const std::string& url)
{
    for (const SpeedInfoRecord& record : records)
        if (url.find(record.pattern) != std::string::npos)
            return &record;
    return nullptr;
}

std::int32_t MeasuredRate(std::int64_t elapsedMs, std::int32_t offset)
{
    const std::int64_t rate = elapsedMs - offset;
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rate < kMin ? kMin : rate > kMax ? kMax : rate);
}

bool IsListedSite(const std::vector<SpeedInfoRecord>* records, const std::string& url)
{
    return !records || FindSpeedRecord(*records, url) != nullptr;
}

std::string ListedSiteName(const std::vector<SpeedInfoRecord>* records, const std::string& url)
{
    const SpeedInfoRecord* record = records ? FindSpeedRecord(*records, url) : nullptr;
    return record ? record->siteName : std::string();
}
