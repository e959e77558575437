#pragma once
// The monitor page's subscriptions read into the keyword list: "item"
// elements, each with "tagname" (the keyword), "searchsite" (its category),
// "maxnum" (the limit) and "limittime" (the interval in minutes).
#include "common/composite.h"
#include "records/info_search_key.h"
#include "search/xml_walker.h"

#include <string>
#include <string_view>

// Each item updates the record of the same keyword (exact comparison) or
// appends one; the numbers are kept as the decimal text they read as.
// Items without a keyword, and items beyond kMaxSubscriptions records,
// are ignored.
class SearchDataXmlHandle : public IMSXmlParseHandle {
public:
    explicit SearchDataXmlHandle(PCL_Interface_Composite<InfoSearchKey>& keys) : keys_(keys) {}
    int OnStartElement(const TOLMsXmlPaserDecorate& element) override;
    int OnEndElement(const TOLMsXmlPaserDecorate& element) override;
    int OnText(const std::string& text, const TOLMsXmlPaserDecorate& element) override;

private:
    PCL_Interface_Composite<InfoSearchKey>& keys_;
    std::string tagName_, searchSite_, maxNum_, limitTime_;
};

// Empties the list (its counters go with it) and fills it from the page's
// XML; false when the text is not XML, and the list then stays empty.
// A blank text is no subscriptions.
bool ReplaceKeywordList(PCL_Interface_Composite<InfoSearchKey>& keys, std::string_view xml);
