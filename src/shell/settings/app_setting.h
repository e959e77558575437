#pragma once
// The one settings object: preferences, service addresses, window position,
// usage counters and the four record lists. Read once at start-up and
// written at exit (and, through CSettingAutoSave, soon after each change);
// everything else reads and writes its fields directly, on the
// user-interface thread.
#include "common/composite.h"
#include "records/info_favorite.h"
#include "records/info_history.h"
#include "records/info_search_key.h"
#include "records/info_video.h"

#include <memory>
#include <string>
#include <vector>

// The video now shown by the main player or by the preview window.
struct PlayingInfo {
    std::string key;     // a local path or a video key
    int totalBytes = 0;  // 0 until known
    int totalTime = 0;   // seconds, 0 until known
};

class CAppSetting {
public:
    CAppSetting();
    virtual ~CAppSetting();

    void SetDefault();
    bool Load(const std::string& path);
    bool Save(const std::string& path) const;
    // The text Save writes.
    std::string ToXml() const;

    int skinColorTone;  // 0x00BBGGRR, 0 = no tint
    int skinSaturation;
    int soundOn;  // not stored
    int volume;
    int posLeft;
    int posTop;
    int posRight;
    int posBottom;
    int idleDownEnable;
    int maxDownload;
    int firstRun;
    int runTimes;
    int associateFlv;
    std::string saveFlvFolder;
    int exitDeletePlaylist;
    int exitClearHistory;
    int convertSelection;  // "cs_set_covertsel"
    std::string configUrl;
    std::string installDate;
    std::string searchUrl;
    std::string searchStyleUrl;
    std::string colSearchStyleUrl;
    std::string relationUrl;
    std::string speedInfoUrl;
    std::string specialViewUrl;
    std::string specialStyleUrl;
    std::string relationDefVideoUrl;
    std::string connectProbeUrl;  // "cs_viruruz_url"
    std::string searchSettingInfoUrl;
    std::string flashPackageUrl;
    std::string homeUrl;
    std::string feedbackUrl;
    std::string aboutUrl;  // not stored

    std::vector<std::string> hotSearchWords;
    PCL_Interface_Composite<InfoVideo> playList;
    PCL_Interface_Composite<InfoHistory> history;
    PCL_Interface_Composite<InfoFavorite> favorites;
    PCL_Interface_Composite<InfoSearchKey> searchKeys;

    std::unique_ptr<PlayingInfo> nowPlaying;
    std::unique_ptr<PlayingInfo> nowPreviewing;
};

// The program's settings object.
CAppSetting& AppSetting();

// GetUserFolders().data + "setting.xml".
std::string GetSettingFilePath();
