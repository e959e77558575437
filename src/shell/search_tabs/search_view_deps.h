#pragma once
// What the search, special and related views are built with: the search
// tabs' manager (control 215) when the window has one, a new multi-site
// search of their own, and the special tab's retry delay (shorter in
// tests).
#include "search/multi_search.h"

#include <functional>
#include <memory>

class PlaySearchViewManager;

struct SearchViewDeps {
    std::function<PlaySearchViewManager*()> manager;  // null: none
    std::function<std::unique_ptr<CQueltMultiSearch>()> makeSearch;
    int specialRetryMs = 10000;
};
