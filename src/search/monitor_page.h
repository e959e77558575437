#pragma once
// What the program hands the monitor page (the subscriptions in the side
// column): the search categories for its category box, and the current
// subscriptions with what each has collected in this run. Every value goes
// in through JsStringEscaped.
#include "records/info_search_key.h"
#include "search/search_category.h"

#include <string>
#include <vector>

// <xml><root><item mtitle="<category>"/>...</root></xml>
std::string MonitorCategoriesXml(const std::vector<SearchCategory>& categories);
// inputToSelect('<xml>');
std::string MonitorCategoriesCall(const std::vector<SearchCategory>& categories);
// <xml><root><item key=".." schema=".." interval=".." limit=".." added="N"
// searches="N"/>...</root></xml>
std::string MonitorListXml(const std::vector<const InfoSearchKey*>& keys);
// showMonitorList('<xml>');
std::string MonitorListCall(const std::vector<const InfoSearchKey*>& keys);
