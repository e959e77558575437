#pragma once
// The site names play control shows for a video, from the speed
// information's list of sites.
#include "search/play_speed_info_manager.h"
#include "shell/player/player_surface.h"

class CSpeedInfoSiteNames : public ISiteNames {
public:
    explicit CSpeedInfoSiteNames(const PlaySpeedInfoManager& speed) : speed_(speed) {}
    std::string SiteNameOf(const std::string& url) const override
    {
        const SpeedInfoRecord* record = speed_.FindSpeedRecord(url);
        return record ? record->siteName : std::string();
    }

private:
    const PlaySpeedInfoManager& speed_;
};
