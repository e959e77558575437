#pragma once
// A settings object whose every stored field differs from its default, with
// records of all four kinds and texts that XML must escape. Shared by the
// tests and the save helper.
#include "shell/settings/app_setting.h"

#include <string>

// Records per list in the saves that the crash tests interrupt: enough to
// make a save take a while, so that kills land inside it.
inline constexpr int kCrashTestRecords = 400;

inline const std::string kAwkwardText = "say \"hi\" & 'bye' <b>x</b> ]]> 中文 line1\r\nline2\nend\t.";

// version changes the numbers, so that two saves can be told apart;
// records adds that many records to each list.
inline void FillSample(CAppSetting& s, int version = 1, int records = 2)
{
    s.skinColorTone = 0x00336699 + version;
    s.skinSaturation = 150 + version;
    s.soundOn = 0;
    s.volume = 40 + version;
    s.posLeft = -10 - version;
    s.posTop = 20 + version;
    s.posRight = 1300 + version;
    s.posBottom = 900 + version;
    s.idleDownEnable = 0;
    s.maxDownload = 2;
    s.firstRun = 0;
    s.runTimes = 1000 * version;
    s.associateFlv = 0;
    s.saveFlvFolder = "/home/用户/视频 & \"clips\"";
    s.exitDeletePlaylist = 1;
    s.exitClearHistory = 1;
    s.convertSelection = 5;
    s.configUrl = "http://127.0.0.1:1/ver/cfg?a=1&b=<2>";
    s.installDate = "20261207";
    s.searchUrl = "http://127.0.0.1:1/s" + std::to_string(version);
    s.searchStyleUrl = "skin/main/a.html";
    s.colSearchStyleUrl = "skin/main/b.html";
    s.relationUrl = "r";
    s.speedInfoUrl = "sp";
    s.specialViewUrl = "sv";
    s.specialStyleUrl = "ss";
    s.relationDefVideoUrl = "rd";
    s.connectProbeUrl = "probe";
    s.searchSettingInfoUrl = "ssi";
    s.flashPackageUrl = "flash";
    s.homeUrl = kAwkwardText;
    s.feedbackUrl = "http://127.0.0.1:1/post.php?action=newthread&fid=10&extra=page%3D1";
    s.aboutUrl = "about";

    s.hotSearchWords = {"热门", kAwkwardText, "热门", "", " "};
    for (int i = 0; i < records; ++i) {
        const std::string n = std::to_string(i);
        auto* video = new InfoVideo;
        video->a0 = (i % 3 == 0) ? "3" : "2";
        video->a1 = kAwkwardText + n;
        video->a2 = "http://site.example/watch?v=" + n + "&t=" + std::to_string(version);
        video->a3 = (i % 2 == 0) ? "" : "http://site.example/ref";
        video->a4 = "http://cdn.example/" + n + ".flv";
        video->a5 = std::to_string(1000 + i);
        video->state = VIDEO_STATE_INCOMPLETE;
        s.playList.PCL_PushObject(video);

        auto* history = new InfoHistory;
        history->view_time = "12-0" + std::to_string(i % 10);
        history->title = "历史 " + n;
        history->url = "h" + n;
        s.history.PCL_PushObject(history);

        auto* favorite = new InfoFavorite;
        favorite->title = "收藏 <" + n + ">";
        favorite->url = "f" + n;
        s.favorites.PCL_PushObject(favorite);

        auto* key = new InfoSearchKey;
        key->key = "词" + n;
        key->interval = "30";
        key->limit = "5";
        key->schema = "s&" + n;
        s.searchKeys.PCL_PushObject(key);
    }
}
