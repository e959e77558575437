#include "search/play_search_key_manager.h"

#include "common/ids/control_ids.h"
#include "search/keyword_schedule.h"

#include <vector>

PlaySearchKeyManager::PlaySearchKeyManager(PCL_Interface_Composite<InfoSearchKey>& keys, IKeywordSearchHost& host,
                                           std::unique_ptr<CQueltMultiSearch> search, std::function<Lists()> lists,
                                           unsigned minuteMs)
    : keys_(keys), host_(host), search_(std::move(search)), lists_(std::move(lists))
{
    Create();
    SetTimer(timer::kKeywordMinute, minuteMs);
    search_->Advise(this);
    const Lists now = lists_();
    search_->Initialize(now.searchUrl);
    categories_.LoadCategoriesFromCache(now.categoriesUrl);
}

// The search must not call a manager that is half gone.
PlaySearchKeyManager::~PlaySearchKeyManager()
{
    search_->StopAll();
    search_->Unadvise(this);
}

LRESULT PlaySearchKeyManager::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam == static_cast<WPARAM>(timer::kKeywordMinute)) {
        OnMinute();
        return 0;
    }
    return CEventWindowBaseT<CWnd>::WindowProc(msg, wParam, lParam);
}

// A first run has no cached lists: they come with the network.
void PlaySearchKeyManager::OnEventNetworkReady()
{
    const Lists now = lists_();
    search_->Downloader().CheckForUpdate(now.searchUrl);
    categories_.CheckForUpdate(now.categoriesUrl);
}

void PlaySearchKeyManager::OnMinute()
{
    if (busy_)
        return;
    const std::vector<InfoSearchKey*> keys(keys_.begin(), keys_.end());
    const std::optional<std::size_t> chosen = AdvanceKeywordMinute(keys);
    if (!chosen)
        return;
    InfoSearchKey& key = *keys[*chosen];
    ++key.searches;
    categories_.SetSelectedName(key.schema);
    // Busy before the search starts: its events may come at once.
    busy_ = true;
    runningKey_ = key.key;
    search_->Search(key.key, 0);
}

void PlaySearchKeyManager::OnSearchStart(std::vector<SearchRequest>& requests)
{
    if (host_.HasSearchViews())
        categories_.FilterRequests(requests);
}

void PlaySearchKeyManager::OnSearchResult(const std::vector<SearchResultItem>& items, const std::string& /*xml*/)
{
    InfoSearchKey* running = nullptr;
    for (InfoSearchKey* key : keys_)
        if (key->key == runningKey_) {
            running = key;
            break;
        }
    if (!running)
        return;
    const bool narrow = host_.HasSearchViews();
    const std::vector<SpeedInfoRecord>* records = narrow ? host_.SpeedRecords() : nullptr;
    AddKeywordVideos(
        *running, items, [&](const SearchResultItem& item) { return !narrow || IsListedSite(records, item.url); },
        [this](const std::string& title, const std::string& url) { host_.AddVideo(title, url, "2"); });
}

void PlaySearchKeyManager::OnSearchFinished()
{
    busy_ = false;
}
