#pragma once
// What the search, special and related views are built with: the search
// tabs' manager (control 215) when the window has one, a new multi-site
// search of their own, and the special tab's retry delay (shorter in
// tests), and an observer of a search tab's steps.
#include "search/multi_search.h"

#include <functional>
#include <memory>

class PlaySearchView;
class PlaySearchViewManager;

// The steps of a search tab, in their order: the view exists and asked for
// its page, the page has loaded, a site's results were handed to the page.
enum class SearchTabStep { Opened, PageLoaded, SiteResults };

struct SearchViewDeps {
    std::function<PlaySearchViewManager*()> manager;  // null: none
    std::function<std::unique_ptr<CQueltMultiSearch>()> makeSearch;
    int specialRetryMs = 10000;
    // Told of every step as it happens; null in the program (a benchmark
    // times the way from the search box to the first results with it).
    std::function<void(PlaySearchView& view, SearchTabStep step)> observeSteps;
};
