#include "shell/search_tabs/play_search_view_manager.h"

#include "common/event_window.h"
#include "search/setting_downloader.h"
#include "shell/settings/app_setting.h"

// The site list's downloader, which also hears the broadcasts.
class PlaySearchViewManager::SiteListKeeper : public CSettingDownLoader<CEventWindowBaseT<CWnd>> {
public:
    explicit SiteListKeeper(PlaySearchViewManager& manager) : manager_(manager) { Create(); }

protected:
    void OnEventNetworkReady() override { manager_.OnNetworkReady(); }

private:
    PlaySearchViewManager& manager_;
};

PlaySearchViewManager::PlaySearchViewManager(CAppSetting& settings, PlaySpeedInfoManager* speedInfo,
                                             QWidget* parent)
    : QWidget(parent), settings_(settings), speedInfo_(speedInfo),
      siteList_(std::make_unique<SiteListKeeper>(*this))
{
    hide();
    categories_.LoadCategoriesFromCache(settings_.searchSettingInfoUrl);
}

PlaySearchViewManager::~PlaySearchViewManager() = default;

const std::vector<SpeedInfoRecord>* PlaySearchViewManager::SpeedRecords() const
{
    return speedInfo_ ? &speedInfo_->Records() : nullptr;
}

const std::vector<SearchSite>& PlaySearchViewManager::SiteList() const
{
    return siteList_->List();
}

void PlaySearchViewManager::OnNetworkReady()
{
    siteList_->CheckForUpdate(settings_.searchUrl);
    if (speedInfo_)
        speedInfo_->Start(settings_.speedInfoUrl);
    categories_.CheckForUpdate(settings_.searchSettingInfoUrl);
}
