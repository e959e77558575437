#pragma once
// Stands in for the main window as the host of the program's views: keeps
// the videos they add as "mode|page|title" and the settings they read.
#include "shell/browse/browse_host.h"
#include "shell/settings/app_setting.h"

#include <string>
#include <vector>

struct RecordingBrowseHost : IBrowseHost {
    void AddVideo(const std::string& title, const std::string& key, const std::string& mode) override
    {
        added.push_back(mode + "|" + key + "|" + title);
    }
    void ShowTrayBalloon(const std::string&, const std::string&) override {}
    void ShowMessage(const std::string&) override {}
    void ShowBrowseTabs() override {}
    CAppSetting& Settings() override { return settings; }

    std::vector<std::string> added;
    CAppSetting settings;
};
