#pragma once
// The rules of the scheduled keyword search, without Qt or I/O: how the
// interval and limit texts of a subscription read, which subscription is
// due at a minute tick, and how a search's items are added up to the
// limit.
#include "records/info_search_key.h"
#include "search/search_result.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The most videos one keyword collects in a run, whatever its limit says.
inline constexpr int kMaxKeywordLimit = 1000;
// The most subscriptions a monitor page can hand over; the rest are ignored.
inline constexpr std::size_t kMaxSubscriptions = 200;
// The longest interval, in minutes (a year); a longer one is no number.
inline constexpr int kMaxKeywordInterval = 525600;

// The interval text as minutes between searches: "0" is every minute (1);
// a decimal number from 1 to a year is itself. Empty, negative, not a
// number or longer than a year: none, and the subscription is skipped.
std::optional<int> KeywordIntervalMinutes(std::string_view text);
// The limit text as a number of videos: a decimal number, at most
// kMaxKeywordLimit (a larger one, however many digits, is that). Empty,
// negative or not a number: 0, and the keyword is never searched.
int KeywordLimit(std::string_view text);
// How the monitor page's numbers are kept in the record: as the decimal
// text of what they read as ("" for an interval that reads as none).
std::string KeywordIntervalText(std::string_view text);
std::string KeywordLimitText(std::string_view text);

// One minute passes for every subscription: each counts the minute toward
// its interval; the due ones that still may add videos are candidates, and
// the one with the fewest searches is chosen (the first of equals). The
// index of the chosen record, or none.
std::optional<std::size_t> AdvanceKeywordMinute(const std::vector<InfoSearchKey*>& keys);

// A result's title as it is added: every "%20" becomes a blank.
std::string CleanVideoTitle(std::string_view name);

// Adds the items to the play list in order while the keyword is under its
// limit; an item that usable() refuses (no speed record of its site) is
// skipped. Each added item counts, also one the play list already held.
// Returns how many were added now.
int AddKeywordVideos(InfoSearchKey& key, const std::vector<SearchResultItem>& items,
                     const std::function<bool(const SearchResultItem&)>& usable,
                     const std::function<void(const std::string& title, const std::string& url)>& add);
