#include "search/result_list.h"

#include "search/xml_text.h"

#include <pugixml.hpp>

#include <cstdint>
#include <string_view>
#include <unordered_set>

void MergeResults(std::vector<SearchResultItem>& list, const std::vector<SearchResultItem>& arrived)
{
    std::unordered_set<std::string> known;
    for (const SearchResultItem& item : list)
        known.insert(item.url);
    for (const SearchResultItem& item : arrived) {
        if (known.insert(item.url).second)
            list.push_back(item);
    }
}

void RateResults(std::vector<SearchResultItem>& list, const std::vector<SpeedInfoRecord>* records)
{
    if (!records)
        return;
    for (SearchResultItem& item : list) {
        const SpeedInfoRecord* record = FindSpeedRecord(*records, item.url);
        if (record && record->done)
            item.rate = record->rate;
    }
}

std::string BuildResultXml(const std::vector<SearchResultItem>& list, const std::vector<SpeedInfoRecord>* records)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("xml").append_child("root");
    for (const SearchResultItem& item : list) {
        if (!IsListedSite(records, item.url))
            continue;
        pugi::xml_node node = root.append_child("item");
        node.append_attribute("url") = item.url.c_str();
        node.append_attribute("mimage") = item.imageUrl.c_str();
        node.append_attribute("mtitle") = item.name.c_str();
        node.append_attribute("mrate") = static_cast<std::uint32_t>(item.rate);
        node.append_attribute("memo") = item.memo.c_str();
        node.append_attribute("playcount") = item.playCount;
        node.append_attribute("vcount") = item.viewCount;
        node.append_attribute("msite") = ListedSiteName(records, item.url).c_str();
    }
    return XmlDocumentText(document);
}

std::string NameResultSites(std::string_view siteXml, const std::vector<SpeedInfoRecord>* records)
{
    pugi::xml_document document;
    if (!document.load_buffer(siteXml.data(), siteXml.size(), pugi::parse_default, pugi::encoding_utf8))
        return std::string(siteXml);
    for (const pugi::xpath_node& found : document.select_nodes("//item")) {
        pugi::xml_node item = found.node();
        // The page reads a field from the attribute, else from the child.
        const pugi::xml_attribute urlAttribute = item.attribute("url");
        const std::string url = urlAttribute ? urlAttribute.value() : item.child("url").text().get();
        pugi::xml_attribute site = item.attribute("msite");
        if (!site)
            site = item.append_attribute("msite");
        site = ListedSiteName(records, url).c_str();
    }
    return XmlDocumentText(document);
}
