#pragma once
// One site's results as its parse script hands them back: the result XML
// ("root" with one "item" per video: url, imgurl, name, memo, vcount,
// playcount, and "tags" holding "tag" elements) read into records.
#include "search/xml_walker.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SearchResultItem {
    std::string imageUrl;
    std::string name;
    std::string url;
    std::int32_t rate = 100000;  // replaced from the speed information
    std::string memo;
    std::int32_t viewCount = 0;
    std::int32_t playCount = 0;
    std::vector<std::string> tags;
};

// An item takes imgurl, url and name only when all three are there, and
// the counts and memo only when all three of those are; a count that does
// not convert is 0. An item without its url, image and name is dropped
// rather than kept with another item's fields.
class MSSearchXmlParseHandle : public IMSXmlParseHandle {
public:
    int OnStartElement(const TOLMsXmlPaserDecorate& element) override;
    int OnEndElement(const TOLMsXmlPaserDecorate& element) override;
    int OnText(const std::string& text, const TOLMsXmlPaserDecorate& element) override;

    std::vector<SearchResultItem> items;

private:
    SearchResultItem current_;
    bool complete_ = false;  // the current item had its url, image and name
};

// The items of a result text; none when it is not XML. At most maxItems
// are kept: a page that writes more has the rest ignored.
inline constexpr std::size_t kMaxResultItems = 1000;
std::vector<SearchResultItem> ParseSearchResult(std::string_view xml, std::size_t maxItems = kMaxResultItems);
