#include "search/monitor_page.h"

#include "search/script_text.h"
#include "search/xml_text.h"

std::string MonitorCategoriesXml(const std::vector<SearchCategory>& categories)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("xml").append_child("root");
    for (const SearchCategory& category : categories)
        root.append_child("item").append_attribute("mtitle") = category.name.c_str();
    return XmlDocumentText(document);
}

std::string MonitorCategoriesCall(const std::vector<SearchCategory>& categories)
{
    return "inputToSelect('" + JsStringEscaped(MonitorCategoriesXml(categories)) + "');";
}

std::string MonitorListXml(const std::vector<const InfoSearchKey*>& keys)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("xml").append_child("root");
    for (const InfoSearchKey* key : keys) {
        pugi::xml_node item = root.append_child("item");
        item.append_attribute("key") = key->key.c_str();
        item.append_attribute("schema") = key->schema.c_str();
        item.append_attribute("interval") = key->interval.c_str();
        item.append_attribute("limit") = key->limit.c_str();
        item.append_attribute("added") = key->added;
        item.append_attribute("searches") = key->searches;
    }
    return XmlDocumentText(document);
}

std::string MonitorListCall(const std::vector<const InfoSearchKey*>& keys)
{
    return "showMonitorList('" + JsStringEscaped(MonitorListXml(keys)) + "');";
}
