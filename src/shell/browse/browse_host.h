#pragma once
// What the program's HTML views need of the main window, and nothing more:
// AddVideo, the tray balloon, a message box, the switch to the browsing
// tab, and the settings the "…cuxev://" schemes change.
#include <string>

class CAppSetting;

class IBrowseHost {
public:
    virtual ~IBrowseHost() = default;
    // mode: "1" plays at once, "2" adds to the play list, "3" previews.
    virtual void AddVideo(const std::string& title, const std::string& key, const std::string& mode) = 0;
    virtual void ShowTrayBalloon(const std::string& title, const std::string& text) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // Command 20201: the main window shows its browsing tabs.
    virtual void ShowBrowseTabs() = 0;
    virtual CAppSetting& Settings() = 0;
};
