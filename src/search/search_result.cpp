#include "search/search_result.h"

#include "search/list_file.h"

int MSSearchXmlParseHandle::OnStartElement(const TOLMsXmlPaserDecorate& element)
{
    if (element.Name() != "item")
        return 1;
    current_ = SearchResultItem{};
    std::string image, url, name;
    complete_ = element.GetAttribute("imgurl", image) && element.GetAttribute("url", url)
                && element.GetAttribute("name", name);
    if (complete_) {
        current_.imageUrl = image;
        current_.url = url;
        current_.name = name;
    }
    std::string views, plays, memo;
    if (element.GetAttribute("vcount", views) && element.GetAttribute("playcount", plays)
        && element.GetAttribute("memo", memo)) {
        current_.viewCount = ParseInt32OrZero(views);
        current_.playCount = ParseInt32OrZero(plays);
        current_.memo = memo;
    }
    return 1;
}

int MSSearchXmlParseHandle::OnEndElement(const TOLMsXmlPaserDecorate& element)
{
    if (element.Name() == "item") {
        if (complete_)
            items.push_back(current_);
        current_ = SearchResultItem{};
        complete_ = false;
    }
    return 1;
}

int MSSearchXmlParseHandle::OnText(const std::string& text, const TOLMsXmlPaserDecorate& element)
{
    if (element.Name() == "tag")
        current_.tags.push_back(text);
    return 1;
}

namespace {

// Stops the walk once enough items are in.
class CappedHandle : public MSSearchXmlParseHandle {
public:
    explicit CappedHandle(std::size_t maxItems) : maxItems_(maxItems) {}
    int OnStartElement(const TOLMsXmlPaserDecorate& element) override
    {
        if (element.Name() == "item" && items.size() >= maxItems_)
            return 0;
        return MSSearchXmlParseHandle::OnStartElement(element);
    }

private:
    std::size_t maxItems_;
};

}  // namespace

std::vector<SearchResultItem> ParseSearchResult(std::string_view xml, std::size_t maxItems)
{
    CappedHandle handle(maxItems);
    WalkXmlText(xml, handle);
    return std::move(handle.items);
}
