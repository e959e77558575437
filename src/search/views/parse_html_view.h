#pragma once
// The browser view that loads a site's result page and parses it: hidden,
// without images, muted, new windows refused. When the requested page has
// completed (now, or after the "ajax<N>" delay of its site) it runs the
// support script and the site's parse script in the page, reads the
// results back and hands them to its search's subscribers, then marks
// itself done.
#include "platform/controller_timer.h"
#include "search/parse_view.h"

#include <functional>
#include <memory>
#include <string>

namespace platform {
class HtmlView;
}
class CQueltMultiSearch;

class CQueltParseHtmlView : public CQueltParseView {
public:
    // Whether the player shows full screen now: pages completing then are
    // not parsed (their sites time out), as the player has the screen.
    using FullScreenTest = std::function<bool()>;
    // Told of each step of a site ("load", "complete", "parse", "parsed"),
    // for measurements.
    using PhaseObserver = std::function<void(const char* phase, const SearchSite& site)>;

    CQueltParseHtmlView(CQueltMultiSearch& search, FullScreenTest fullScreen = {}, PhaseObserver phases = {});
    ~CQueltParseHtmlView() override;

    void Navigate(const SearchSite& site) override;
    void StopNavigation() override;

    // The view factory a search takes.
    static std::function<std::unique_ptr<CQueltParseView>(CQueltMultiSearch&)> Factory(FullScreenTest fullScreen = {},
                                                                                        PhaseObserver phases = {});

private:
    void OnDocumentComplete(const std::string& url);
    void Parse();

    CQueltMultiSearch& search_;
    void Phase(const char* phase) const;

    FullScreenTest fullScreen_;
    PhaseObserver phases_;
    std::unique_ptr<platform::HtmlView> view_;
    FCController_Timer delay_;
    // Cleared when the view goes, for script answers that arrive later.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
