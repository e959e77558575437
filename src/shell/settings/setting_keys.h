#pragma once
// The attributes of the "setting" root element of "setting.xml", in the
// order they are written, with the field each one holds.
#include "shell/settings/app_setting.h"

#include <array>
#include <string>

struct SettingKey {
    const char* name;
    int CAppSetting::*number;          // set for integer keys
    std::string CAppSetting::*text;    // set for text keys
    bool optional;  // missing or unreadable: keep the current value and go on
};

namespace setting_keys_detail {
constexpr SettingKey Int(const char* name, int CAppSetting::*field, bool optional = false)
{
    return {name, field, nullptr, optional};
}
constexpr SettingKey Text(const char* name, std::string CAppSetting::*field, bool optional = false)
{
    return {name, nullptr, field, optional};
}
}  // namespace setting_keys_detail

// The eight optional keys came later than the rest; files of older versions
// lack them and must still load.
inline const std::array<SettingKey, 31>& SettingKeys()
{
    using namespace setting_keys_detail;
    static const std::array<SettingKey, 31> keys = {{
        Int("skin_color_tone", &CAppSetting::skinColorTone, true),
        Int("skin_saturation", &CAppSetting::skinSaturation, true),
        Int("volume", &CAppSetting::volume),
        Text("cs_search_url", &CAppSetting::searchUrl),
        Text("cs_search_style_url", &CAppSetting::searchStyleUrl),
        Text("cs_colsearch_style_url", &CAppSetting::colSearchStyleUrl),
        Text("cs_relation_url", &CAppSetting::relationUrl),
        Text("cs_special_view_url", &CAppSetting::specialViewUrl),
        Text("cs_special_style_url", &CAppSetting::specialStyleUrl),
        Text("cs_speedinfo_url", &CAppSetting::speedInfoUrl),
        Text("cs_viruruz_url", &CAppSetting::connectProbeUrl),
        Text("cs_searcsettinginfo_url", &CAppSetting::searchSettingInfoUrl),
        Text("cs_relation_def_video_url", &CAppSetting::relationDefVideoUrl),
        Int("pos_left", &CAppSetting::posLeft),
        Int("pos_top", &CAppSetting::posTop),
        Int("pos_right", &CAppSetting::posRight),
        Int("pos_bottom", &CAppSetting::posBottom),
        Int("idle_down_enable", &CAppSetting::idleDownEnable),
        Int("max_download", &CAppSetting::maxDownload),
        Text("install_date", &CAppSetting::installDate),
        Int("first_run", &CAppSetting::firstRun),
        Int("run_times", &CAppSetting::runTimes),
        Text("config_url", &CAppSetting::configUrl),
        Text("flash_package_url", &CAppSetting::flashPackageUrl),
        Int("associate_flv", &CAppSetting::associateFlv, true),
        Int("exit_delete_playlist", &CAppSetting::exitDeletePlaylist, true),
        Int("exit_clear_history", &CAppSetting::exitClearHistory, true),
        Text("save_flv_folder", &CAppSetting::saveFlvFolder, true),
        Text("url_home", &CAppSetting::homeUrl, true),
        Text("url_feedback", &CAppSetting::feedbackUrl, true),
        Int("cs_set_covertsel", &CAppSetting::convertSelection),
    }};
    return keys;
}
