// quelt-search: one multi-site search from the command line, over the same
// classes as the program, to try a site list by hand.
//   quelt-search <keyword> [page] [--category NAME]
// It reads the program's "setting.xml" (GetSettingFilePath) as the program does, brings
// the site list and the category list up to date as the program does when
// the network is found (a cached list serves when the service cannot be
// reached), runs the search in an offscreen browser and prints each event
// as one tab-separated line:
//   result <site> <name> <url> <image url> <views> <plays> <memo> <tags, comma-separated>
//   timeout <request url>
//   finished
#include "platform/web/player_page_view.h"
#include "search/multi_search.h"
#include "search/play_search_setting_info.h"
#include "search/views/parse_html_view.h"
#include "shell/settings/app_setting.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Tabs and line breaks inside a field would split the line.
std::string Field(std::string text)
{
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

class Printer : public I_QueltMultiSearchEvent {
public:
    explicit Printer(const PlaySearchSettingInfo& categories) : categories_(categories) {}

    void OnSearchStart(std::vector<SearchRequest>& requests) override
    {
        categories_.FilterRequests(requests);
        for (const SearchRequest& request : requests)
            sites_.push_back(request.site.name);
    }
    void OnSearchResult(const std::vector<SearchResultItem>& items, const std::string&) override
    {
        // Sites are visited last first: this result is from the last one left.
        const std::string site = sites_.empty() ? std::string() : sites_.back();
        if (!sites_.empty())
            sites_.pop_back();
        for (const SearchResultItem& item : items) {
            std::string tags;
            for (const std::string& tag : item.tags)
                tags += (tags.empty() ? "" : ",") + Field(tag);
            std::printf("result\t%s\t%s\t%s\t%s\t%d\t%d\t%s\t%s\n", Field(site).c_str(), Field(item.name).c_str(),
                        Field(item.url).c_str(), Field(item.imageUrl).c_str(), item.viewCount, item.playCount,
                        Field(item.memo).c_str(), tags.c_str());
        }
        std::fflush(stdout);
    }
    void OnSiteTimeout(const std::string& url) override
    {
        if (!sites_.empty())
            sites_.pop_back();
        std::printf("timeout\t%s\n", Field(url).c_str());
        std::fflush(stdout);
    }
    void OnSearchFinished() override
    {
        std::printf("finished\n");
        std::fflush(stdout);
        QApplication::quit();
    }

private:
    const PlaySearchSettingInfo& categories_;
    std::vector<std::string> sites_;
};

int Usage()
{
    std::fprintf(stderr, "usage: quelt-search <keyword> [page] [--category NAME]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules("qt.webenginecontext.info=false");
    std::string keyword;
    int page = 1;
    std::string category;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--category") && i + 1 < argc)
            category = argv[++i];
        else if (keyword.empty())
            keyword = argv[i];
        else if (page == 1 && std::atoi(argv[i]) > 0)
            page = std::atoi(argv[i]);
        else
            return Usage();
    }
    if (keyword.empty())
        return Usage();

    CAppSetting settings;
    settings.Load(GetSettingFilePath());
    // The lists, brought up to date first (or as cached when that fails).
    PlaySearchSettingInfo categories;
    CQueltMultiSearch search(CQueltParseHtmlView::Factory());
    categories.CheckForUpdate(settings.searchSettingInfoUrl);
    search.Downloader().CheckForUpdate(settings.searchUrl);
    QTimer waitForLists;
    QObject::connect(&waitForLists, &QTimer::timeout, [&] {
        if (categories.GetDownloadCount() != 0 || search.Downloader().GetDownloadCount() != 0)
            return;
        waitForLists.stop();
        categories.LoadCategoriesFromCache(settings.searchSettingInfoUrl);
        categories.SetSelectedName(category);
        search.Initialize(settings.searchUrl);
        if (search.Sites().empty()) {
            std::fprintf(stderr, "quelt-search: no site list (%s) could be had or found in the cache\n",
                         settings.searchUrl.c_str());
            QApplication::exit(1);
            return;
        }
        search.Search(keyword, page);
    });
    Printer printer(categories);
    search.Advise(&printer);
    waitForLists.start(20);
    const int status = QApplication::exec();
    search.Unadvise(&printer);
    return status;
}
