#include "search/relation_fill.h"

#include "search/xml_text.h"

#include <pugixml.hpp>

bool IsUsableItem(const SearchResultItem& item)
{
    return !item.imageUrl.empty() && !item.url.empty() && !item.name.empty();
}

std::vector<SearchResultItem> FillRelationItems(const std::vector<SearchResultItem>& searchItems,
                                                const std::vector<SearchResultItem>& defaults, std::size_t count,
                                                std::size_t start)
{
    std::vector<SearchResultItem> shown;
    for (const SearchResultItem& item : searchItems) {
        if (shown.size() >= count)
            return shown;
        if (IsUsableItem(item))
            shown.push_back(item);
    }
    for (std::size_t i = 0; i < defaults.size() && shown.size() < count; ++i) {
        const SearchResultItem& item = defaults[(start + i) % defaults.size()];
        if (IsUsableItem(item))
            shown.push_back(item);
    }
    return shown;
}

std::string BuildRelationXml(const std::vector<SearchResultItem>& items)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("root");
    for (const SearchResultItem& item : items) {
        pugi::xml_node node = root.append_child("item");
        node.append_attribute("url") = item.url.c_str();
        node.append_attribute("imgurl") = item.imageUrl.c_str();
        node.append_attribute("name") = item.name.c_str();
    }
    return XmlDocumentText(document);
}
