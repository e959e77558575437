#pragma once
// The subscriptions page in the side column (control 212): the program's
// monitor page, where the user adds keywords with their category, interval
// and limit. "start_monitor" replaces the keyword list with what the
// page's "MONITOR_QUELT_ID" element holds; "stop_monitor" empties it. Once
// loaded, the page gets the search categories and, whenever they change,
// the subscriptions with what each has collected in this run.
#include "shell/browse/play_html_view_base.h"

#include <pugixml.hpp>

#include <QTimer>

#include <functional>
#include <memory>
#include <string>

class PlaySearchViewManager;

class CWndMonitorList : public PlayHtmlViewBase {
public:
    // manager: the search tabs' manager with the categories (null: none).
    CWndMonitorList(QWidget* parent, IBrowseHost& host, std::function<PlaySearchViewManager*()> manager);
    ~CWndMonitorList() override;

    // "url" (a skin path) is the page; without it the skin's own
    // monitorstyle.html. Loads it.
    void ReadSkin(const pugi::xml_node& element);
    // Hands the page the subscriptions when they differ from what it has.
    void ShowList();
    bool Loaded() const { return loaded_; }

protected:
    void OnBeforeNavigate(const std::string& url, bool& cancel) override;
    void OnDocumentComplete(const std::string& url) override;

private:
    void StartMonitor();

    std::function<PlaySearchViewManager*()> manager_;
    QTimer refresh_;
    std::string shownList_;
    bool loaded_ = false;
    // Cleared first in the destructor: a page script's answer that comes
    // while the view goes finds it gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
