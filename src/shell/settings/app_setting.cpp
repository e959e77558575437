#include "shell/settings/app_setting.h"

#include "common/app_folder.h"
#include "shell/settings/service_hosts.h"

#include <string>

using namespace std::string_literals;

CAppSetting::CAppSetting()
{
    SetDefault();
}

CAppSetting::~CAppSetting() = default;

void CAppSetting::SetDefault()
{
    skinColorTone = 0;
    skinSaturation = 100;
    soundOn = 1;
    volume = 85;
    posLeft = 0;
    posTop = 0;
    posRight = 1024;
    posBottom = 733;
    idleDownEnable = 1;
    maxDownload = 3;
    firstRun = 1;
    runTimes = 0;
    associateFlv = 1;
    saveFlvFolder.clear();
    exitDeletePlaylist = 0;
    exitClearHistory = 0;
    convertSelection = 0;
    configUrl = service_hosts::kUpdateHost + "/ver/update_config.x"s;
    installDate.clear();
    searchUrl = service_hosts::kFileHost + "/file/8/f.xml"s;
    searchStyleUrl = "skin/main/searchstyle2.html";
    colSearchStyleUrl = "skin/main/colsearchstyle.html";
    relationUrl = service_hosts::kFileHost + "/file/2/f.xml"s;
    speedInfoUrl = service_hosts::kFileHost + "/file/4/f.xml"s;
    specialViewUrl = service_hosts::kFileHost + "/file/7/f.xml"s;
    specialStyleUrl = "skin/main/specialstyle2.html";
    relationDefVideoUrl = service_hosts::kContentHost + "/iface/commend.xml"s;
    connectProbeUrl = service_hosts::kFileHost + "/file/5/f.xml"s;
    searchSettingInfoUrl = service_hosts::kFileHost + "/file/6/f.xml"s;
    flashPackageUrl = service_hosts::kFlashVendorHost +
                      "/get/flashplayer/current/licensing/win/install_flash_player_active_x.msi"s;
    homeUrl = service_hosts::kHomePage;
    feedbackUrl = service_hosts::kForumHost + "/post.php?action=newthread&fid=10&extra=page%3D1"s;
    aboutUrl = service_hosts::kHomePage;
}

CAppSetting& AppSetting()
{
    static CAppSetting setting;
    return setting;
}

std::string GetSettingFilePath()
{
    return GetUserFolders().data + "setting.xml";
}
