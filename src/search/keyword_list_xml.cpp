#include "search/keyword_list_xml.h"

#include "search/keyword_schedule.h"

#include <memory>

namespace {

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

int SearchDataXmlHandle::OnStartElement(const TOLMsXmlPaserDecorate& element)
{
    if (element.Name() == "item") {
        tagName_.clear();
        searchSite_.clear();
        maxNum_.clear();
        limitTime_.clear();
    }
    return 1;
}

int SearchDataXmlHandle::OnText(const std::string& text, const TOLMsXmlPaserDecorate& element)
{
    const std::string name = element.Name();
    if (name == "tagname")
        tagName_ = Trimmed(text);
    else if (name == "searchsite")
        searchSite_ = Trimmed(text);
    else if (name == "maxnum")
        maxNum_ = Trimmed(text);
    else if (name == "limittime")
        limitTime_ = Trimmed(text);
    return 1;
}

int SearchDataXmlHandle::OnEndElement(const TOLMsXmlPaserDecorate& element)
{
    if (element.Name() != "item" || tagName_.empty())
        return 1;
    InfoSearchKey* record = nullptr;
    for (InfoSearchKey* key : keys_)
        if (key->key == tagName_) {
            record = key;
            break;
        }
    if (!record) {
        if (keys_.PCL_GetObjectCount() >= kMaxSubscriptions)
            return 1;
        auto added = std::make_unique<InfoSearchKey>();
        record = added.get();
        keys_.PCL_PushObject(added.release());
    }
    record->key = tagName_;
    record->schema = searchSite_;
    record->limit = KeywordLimitText(maxNum_);
    record->interval = KeywordIntervalText(limitTime_);
    return 1;
}

bool ReplaceKeywordList(PCL_Interface_Composite<InfoSearchKey>& keys, std::string_view xml)
{
    keys.PCL_DeleteAllObjects();
    if (xml.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return true;  // no subscriptions at all
    SearchDataXmlHandle handle(keys);
    return WalkXmlText(xml, handle);
}
