#pragma once
// Speed information: one record per site the player can use, with the URL
// pattern its videos match and how fast its test file came (milliseconds;
// lower is faster).
#include "search/search_site.h"

#include <cstdint>
#include <string>
#include <vector>

struct SpeedInfoRecord {
    std::string pattern;   // "n"
    std::string testUrl;   // "s"
    std::string siteName;  // "c"
    std::int32_t rate = 7000;
    std::int32_t offset = 0;
    bool done = false;     // its measurement has ended
};

inline constexpr std::int32_t kDefaultSiteRate = 7000;

// "A|B" gives offset A and rate B; without "|" the rate is 7000 and the
// offset 0. Numbers that do not convert read as 0.
SpeedInfoRecord MakeSpeedInfoRecord(const SearchSite& entry);
// The first record whose pattern occurs in the URL (an empty pattern
// matches every URL); null when none.
const SpeedInfoRecord* FindSpeedRecord(const std::vector<SpeedInfoRecord>& records, const std::string& url);
// The name of the site a video of this URL comes from: its record's site
// name; empty without a record or without speed information (null).
std::string ListedSiteName(const std::vector<SpeedInfoRecord>* records, const std::string& url);
// Whether the player can use a video of this URL: its site has a speed
// record, or there is no speed information at all (null records).
bool IsListedSite(const std::vector<SpeedInfoRecord>* records, const std::string& url);
// The rate of a test that took elapsedMs from its start: elapsed − offset.
std::int32_t MeasuredRate(std::int64_t elapsedMs, std::int32_t offset);
