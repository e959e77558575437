#pragma once
// The related videos beside the player (control 213): the program's
// related page with the results of a search for the playing video's title
// (on the one related site whose name occurs in it), filled up to the
// skin's "def_size" with videos of the default list. Its before-navigate
// handles the program's schemes as a browsing tab does, so the search box
// opens search tabs through it.
#include "search/multi_search_events.h"
#include "shell/browse/play_view_browser.h"
#include "shell/search_tabs/search_view_deps.h"

#include <pugixml.hpp>

#include <memory>
#include <random>
#include <string>
#include <vector>

class PlayRelationView : public PlayViewBrowser, public I_QueltMultiSearchEvent {
public:
    PlayRelationView(QWidget* parent, IBrowseHost& host, IViewTabs& tabs, int viewId, SearchViewDeps deps);
    ~PlayRelationView() override;

    // "url" (a skin path unless it holds "http://") becomes the home page
    // and loads; "def_size" is how many videos the page shows.
    void ReadSkin(const pugi::xml_node& element);
    // A video started playing: its related videos.
    void SearchRelated(const std::string& text);

    int DefSize() const { return defSize_; }
    const std::vector<SearchResultItem>& Shown() const { return shown_; }
    const std::vector<SearchResultItem>& Defaults() const { return defaults_; }
    CQueltMultiSearch& Search() { return *search_; }
    // Set once any related view has seen the network-ready broadcast.
    static bool NetworkSeen();

protected:
    void OnDocumentComplete(const std::string& url) override;
    void OnSearchResult(const std::vector<SearchResultItem>& items, const std::string& xml) override;

private:
    class Downloads;
    void OnNetworkReady();
    void OnDefaultsDownloaded(const std::string& data);
    void Refresh();

    SearchViewDeps deps_;
    std::unique_ptr<CQueltMultiSearch> search_;
    std::unique_ptr<Downloads> downloads_;
    std::vector<SearchResultItem> defaults_;
    std::vector<SearchResultItem> searchItems_;
    std::vector<SearchResultItem> shown_;
    int defSize_ = 0;
    bool loaded_ = false;
    std::mt19937 random_;
};
