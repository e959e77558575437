#include "shell/browse/play_view_browser.h"

#include "common/app_folder.h"
#include "search/scheme_url.h"
#include "shell/settings/app_setting.h"

#include <cstdlib>

std::string ProgramPageUrl(const std::string& setting)
{
    if (setting.find("://") != std::string::npos)
        return setting;
    return "file://" + GetAppFolder() + setting;
}

PlayViewBrowser::PlayViewBrowser(QWidget* parent, IBrowseHost& host, IViewTabs& tabs, int viewId)
    : PlayHtmlViewBase(parent, host), tabs_(tabs), viewId_(viewId)
{
}

void PlayViewBrowser::OnBeforeNavigate(const std::string& url, bool& cancel)
{
    PlayHtmlViewBase::OnBeforeNavigate(url, cancel);
    if (DispatchSchemeUrl(url))
        return;
    if (scheme::LetsPageLoad(url))
        cancel = false;
}

bool PlayViewBrowser::DispatchSchemeUrl(const std::string& url)
{
    CAppSetting& settings = Host().Settings();
    for (const scheme::DispatchStep& step : scheme::DecideSchemeDispatch(url)) {
        switch (step.action) {
        case scheme::SchemeAction::Search:
        case scheme::SchemeAction::SearchColumn: {
            auto* tab = dynamic_cast<PlayViewBrowser*>(tabs_.OpenViewTab(ViewKind::Search, true));
            if (!tab)
                break;  // no tab: the next step
            SearchTabRequest request;
            request.page = ProgramPageUrl(step.action == scheme::SchemeAction::Search ? settings.searchStyleUrl
                                                                                      : settings.colSearchStyleUrl);
            request.siteListUrl = settings.searchUrl;
            request.category = step.parts.partA;
            request.keyword = step.parts.partB;
            tab->OpenSearch(request);
            return true;
        }
        case scheme::SchemeAction::Special: {
            auto* tab = dynamic_cast<PlayViewBrowser*>(tabs_.OpenViewTab(ViewKind::Special, true));
            if (!tab)
                break;
            SpecialTabRequest request;
            request.page = ProgramPageUrl(settings.specialStyleUrl);
            request.siteListUrl = settings.specialViewUrl;
            request.title = step.parts.partA;
            if (step.HasFivePieces()) {
                request.filled = true;
                request.pageNumber = std::atoi(step.pieces[0].c_str());
                request.t1 = scheme::DecodePartB(step.pieces[1]);
                request.t2 = step.pieces[2];
                request.t3 = step.pieces[3];
                request.t4 = step.pieces[4];
            }
            tab->OpenSpecial(request);
            return true;
        }
        case scheme::SchemeAction::SetSpecialStyle:
            settings.specialStyleUrl = step.parts.partA;
            return true;
        case scheme::SchemeAction::SetSearchStyle:
            settings.searchStyleUrl = step.parts.partA;
            return true;
        case scheme::SchemeAction::SetColumnSearchStyle:
            settings.colSearchStyleUrl = step.parts.partA;
            return true;
        case scheme::SchemeAction::Alert:
            Host().ShowMessage(step.parts.partA);
            return true;
        }
    }
    return false;
}

void PlayViewBrowser::OnTitleChange(const std::string& title)
{
    if (scheme::IsUsableTabTitle(title))
        tabs_.SetTabText(viewId_, title);
}

PlayHtmlViewBase* PlayViewBrowser::OnNewWindow()
{
    Host().ShowBrowseTabs();
    return tabs_.OpenViewTab(ViewKind::Browser, true);
}
