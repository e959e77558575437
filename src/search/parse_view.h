#pragma once
// A view that loads one site's result page and parses it: the search gives
// it a request, counts its ticks, and learns through its done flag that the
// page was parsed (the results go to the search's sinks meanwhile). The
// browser view is one implementation; tests put in their own.
#include "search/search_site.h"

class CQueltParseView {
public:
    virtual ~CQueltParseView() = default;
    // Loads the site's request URL.
    virtual void Navigate(const SearchSite& site) = 0;
    // Stops loading (before the view is destroyed).
    virtual void StopNavigation() = 0;

    const SearchSite& Site() const { return site_; }
    bool done = false;
    int countdown = 0;

protected:
    SearchSite site_;
};
