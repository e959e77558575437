#pragma once
// One record of a service list: the five texts of a search site. Other
// lists (categories, speed information) reuse the same record with their
// own meaning for each field (see list_file.h).
#include <string>
#include <vector>

struct SearchSite {
    std::string linkScript;  // "l"
    std::string name;        // "n"
    std::string parseScript; // "s"
    std::string coding;      // "c"
    std::string requestUrl;  // not in the file: set when a request starts
};

// A request URL followed by the site it was computed from.
struct SearchRequest {
    std::string url;
    SearchSite site;
};
