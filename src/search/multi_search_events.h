#pragma once
// What a multi-site search tells its subscribers, and the ordered list of
// subscribers it tells it to.
#include "search/search_result.h"
#include "search/search_site.h"

#include <algorithm>
#include <string>
#include <vector>

class I_QueltMultiSearchEvent {
public:
    virtual ~I_QueltMultiSearchEvent() = default;
    virtual void Reserved() {}
    // One site's page was parsed (also when it held no items).
    virtual void OnSearchResult(const std::vector<SearchResultItem>& /*items*/, const std::string& /*xml*/) {}
    // Before the first page loads; a sink may remove requests.
    virtual void OnSearchStart(std::vector<SearchRequest>& /*requests*/) {}
    virtual void OnSiteTimeout(const std::string& /*requestUrl*/) {}
    // The last site of the search has been handed over.
    virtual void OnSearchFinished() {}
};

template <typename Interface>
class TOLAdviseEventImpl {
public:
    // 1 when added; 0 for null or a sink already there.
    int Advise(Interface* sink)
    {
        if (!sink || std::find(sinks_.begin(), sinks_.end(), sink) != sinks_.end())
            return 0;
        sinks_.push_back(sink);
        return 1;
    }
    int Unadvise(Interface* sink)
    {
        const auto it = std::find(sinks_.begin(), sinks_.end(), sink);
        if (it == sinks_.end())
            return 0;
        sinks_.erase(it);
        return 1;
    }
    std::size_t Count() const { return sinks_.size(); }
    // Calls every sink in subscription order, each to completion; a sink
    // that unsubscribes (itself or another) meanwhile is not called after.
    template <typename Call>
    void ForEach(Call call)
    {
        const std::vector<Interface*> sinks = sinks_;
        for (Interface* sink : sinks)
            if (std::find(sinks_.begin(), sinks_.end(), sink) != sinks_.end())
                call(*sink);
    }

private:
    std::vector<Interface*> sinks_;
};
