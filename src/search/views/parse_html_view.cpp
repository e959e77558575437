#include "search/views/parse_html_view.h"

#include "platform/web/html_view.h"
#include "search/multi_search.h"
#include "search/parse_prefix_script.h"
#include "search/script_text.h"
#include "search/search_result.h"

#include <cstdlib>

namespace {

// Runs the code in the page's global scope; "ok", or "error" when it did
// not compile or threw.
std::string GuardedRun(std::string_view code)
{
    return "(function(){try{(0,eval)(" + JsStringLiteral(code) + ");return 'ok';}catch(e){return 'error';}})()";
}

}  // namespace

CQueltParseHtmlView::CQueltParseHtmlView(CQueltMultiSearch& search, FullScreenTest fullScreen, PhaseObserver phases)
    : search_(search), fullScreen_(std::move(fullScreen)), phases_(std::move(phases)), view_(std::make_unique<platform::HtmlView>(nullptr, false)),
      delay_([this] {
          delay_.Stop();
          Parse();
      })
{
    platform::HtmlView::Options options;
    options.loadImages = false;
    options.muted = true;
    view_->SetOptions(options);
    platform::HtmlView::Events events;
    events.newWindow = [] { return nullptr; };
    events.documentComplete = [this](const std::string& url) { OnDocumentComplete(url); };
    view_->SetEvents(std::move(events));
}

CQueltParseHtmlView::~CQueltParseHtmlView()
{
    *alive_ = false;
    delay_.Stop();
}

std::function<std::unique_ptr<CQueltParseView>(CQueltMultiSearch&)> CQueltParseHtmlView::Factory(FullScreenTest fullScreen,
                                                                                                 PhaseObserver phases)
{
    return [fullScreen, phases](CQueltMultiSearch& search) -> std::unique_ptr<CQueltParseView> {
        return std::make_unique<CQueltParseHtmlView>(search, fullScreen, phases);
    };
}

void CQueltParseHtmlView::Phase(const char* phase) const
{
    if (phases_)
        phases_(phase, site_);
}

void CQueltParseHtmlView::Navigate(const SearchSite& site)
{
    site_ = site;
    delay_.Stop();
    Phase("load");
    view_->Navigate(site.requestUrl);
}

void CQueltParseHtmlView::StopNavigation()
{
    delay_.Stop();
    view_->Stop();
}

// The browser reports the address in its own form (percent-encoded, a
// blank as %20): both are compared decoded, so a keyword with blanks,
// quotes or Chinese still matches its request.
void CQueltParseHtmlView::OnDocumentComplete(const std::string& url)
{
    if (fullScreen_ && fullScreen_())
        return;
    if (done || site_.requestUrl.empty() || PercentDecoded(url) != PercentDecoded(site_.requestUrl))
        return;
    Phase("complete");
    const std::size_t ajax = site_.coding.find("ajax");
    if (ajax == std::string::npos) {
        Parse();
        return;
    }
    if (delay_.IsStarted())
        return;
    const std::string seconds = site_.coding.size() > 4 ? site_.coding.substr(4) : std::string();
    delay_.SetInterval(static_cast<unsigned>(std::max(0, std::atoi(seconds.c_str()))) * 1000u);
    delay_.Start();
}

void CQueltParseHtmlView::Parse()
{
    Phase("parse");
    std::weak_ptr<bool> alive = alive_;
    const std::string code = std::string(kParsePrefixScript) + "\n" + site_.parseScript;
    view_->ExecScript(GuardedRun(code), [this, alive](const std::string& outcome) {
        if (alive.expired() || outcome != "ok")
            return;  // a script that failed leaves the site to its time-out
        view_->ExecScript(std::string(kReadResultScript), [this, alive](const std::string& xml) {
            if (alive.expired())
                return;
            const std::vector<SearchResultItem> items = ParseSearchResult(xml);
            Phase("parsed");
            search_.ReportResult(items, xml);
            // A subscriber may have started another search, which let this
            // view go.
            if (!alive.expired())
                done = true;
        });
    });
}
