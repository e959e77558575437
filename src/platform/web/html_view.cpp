#include "platform/web/html_view.h"

#include "platform/web/media_request_header.h"
#include "platform/web/page_texts.h"

#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>

#include <cstring>
#include <mutex>
#include <set>

namespace platform {

namespace {

constexpr const char* kReportPrefix = "QUELT-XEVNAV ";
constexpr const char* kMenuPrefix = "QUELT-XEVMENU ";

std::vector<std::string>& SchemeList()
{
    static std::vector<std::string> prefixes;
    return prefixes;
}

// Stops navigations to the program's schemes wherever they start and
// reports their raw text through the console; reports right clicks
// instead of letting the browser show its menu.
QString InjectedScript()
{
    QJsonArray schemes;
    for (const std::string& scheme : HtmlView::ProgramSchemes())
        schemes.append(QString::fromStdString(scheme).toLower());
    return QStringLiteral(R"JS((function () {
  var schemes = %1;
  function isScheme(raw) {
    if (typeof raw !== 'string') return false;
    var text = raw.toLowerCase();
    for (var i = 0; i < schemes.length; ++i) if (text.indexOf(schemes[i]) >= 0) return true;
    return false;
  }
  function report(raw) { console.log('%2' + raw); }
  document.addEventListener('click', function (e) {
    var a = e.target && e.target.closest ? e.target.closest('a[href]') : null;
    if (!a) return;
    var raw = a.getAttribute('href');
    if (isScheme(raw)) { e.preventDefault(); e.stopPropagation(); report(raw); }
  }, true);
  document.addEventListener('contextmenu', function (e) {
    e.preventDefault();
    var a = e.target && e.target.closest ? e.target.closest('a[href]') : null;
    var raw = a ? a.getAttribute('href') : '';
    var x = e.clientX, y = e.clientY, w = window;
    while (w !== w.top && w.frameElement) {
      var r = w.frameElement.getBoundingClientRect();
      x += r.left; y += r.top; w = w.parent;
    }
    console.log('%3' + Math.round(x) + ',' + Math.round(y) + ' ' + raw);
  }, true);
  if (window.navigation) {
    navigation.addEventListener('navigate', function (e) {
      if (isScheme(e.destination.url) && e.cancelable) { e.preventDefault(); report(e.destination.url); }
    });
  }
  var open = window.open;
  window.open = function (u) {
    if (isScheme(u)) { report(u); return null; }
    return open.apply(window, arguments);
  };
})();)JS")
        .arg(QString::fromUtf8(QJsonDocument(schemes).toJson(QJsonDocument::Compact)), QString::fromLatin1(kReportPrefix),
             QString::fromLatin1(kMenuPrefix));
}

// "x,y href" of a right click's report.
bool ParseMenuReport(const QString& text, int& x, int& y, std::string& href)
{
    const int blank = text.indexOf(' ');
    const int comma = text.indexOf(',');
    if (blank < 0 || comma < 0 || comma > blank)
        return false;
    bool xOk = false, yOk = false;
    x = text.left(comma).toInt(&xOk);
    y = text.mid(comma + 1, blank - comma - 1).toInt(&yOk);
    href = text.mid(blank + 1).toStdString();
    return xOk && yOk;
}

// Addresses as the network sees them: encoded, without a fragment.
std::string RequestAddress(const QUrl& url)
{
    return url.toString(QUrl::FullyEncoded | QUrl::RemoveFragment).toStdString();
}

// The interceptor of a view's own profile: marks its players' requests and
// keeps every address the view's pages ask for. It may be called off the
// user-interface thread, hence the lock.
class OwnRequests : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        MarkPlayerRequest(info);
        std::lock_guard lock(mutex_);
        addresses_.insert(RequestAddress(info.requestUrl()));
    }
    bool Contains(const std::string& address) const
    {
        std::lock_guard lock(mutex_);
        return addresses_.count(address) != 0;
    }

private:
    mutable std::mutex mutex_;
    std::set<std::string> addresses_;
};

}  // namespace

class HtmlPage : public QWebEnginePage {
public:
    HtmlPage(QWebEngineProfile* profile, HtmlView::Events* events) : QWebEnginePage(profile), events_(events) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        bool cancel = false;
        if (isMainFrame && events_->beforeNavigate)
            events_->beforeNavigate(url.toString().toStdString(), false, cancel);
        return !cancel;
    }
    QWebEnginePage* createWindow(WebWindowType) override
    {
        HtmlView* target = events_->newWindow ? events_->newWindow() : nullptr;
        return target ? target->Page() : nullptr;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int, const QString&) override
    {
        if (message.startsWith(QLatin1String(kMenuPrefix))) {
            int x = 0, y = 0;
            std::string href;
            if (events_->contextMenu && ParseMenuReport(message.mid(int(std::strlen(kMenuPrefix))), x, y, href))
                events_->contextMenu(href, x, y);
            return;
        }
        if (!message.startsWith(QLatin1String(kReportPrefix)) || !events_->beforeNavigate)
            return;
        bool cancel = true;
        events_->beforeNavigate(message.mid(int(std::strlen(kReportPrefix))).toStdString(), true, cancel);
    }

private:
    HtmlView::Events* events_;
};

struct HtmlView::Impl {
    // Own profile only; they go after the page.
    std::unique_ptr<OwnRequests> requests;
    std::unique_ptr<QWebEngineProfile> profile;
    Events events;
    QPointer<QWebEngineView> view;
    HtmlPage* page = nullptr;
    bool waitingBackground = false;
};

HtmlView::HtmlView(QWidget* parent, bool withWidget, Profile profile) : impl_(std::make_unique<Impl>())
{
    QWebEngineProfile* pageProfile = QWebEngineProfile::defaultProfile();
    if (profile == Profile::Own) {
        impl_->requests = std::make_unique<OwnRequests>();
        impl_->profile = std::make_unique<QWebEngineProfile>();  // off the record
        impl_->profile->setHttpCacheType(QWebEngineProfile::NoCache);
        impl_->profile->setUrlRequestInterceptor(impl_->requests.get());
        pageProfile = impl_->profile.get();
    }
    impl_->page = new HtmlPage(pageProfile, &impl_->events);
    QWebEngineScript script;
    script.setName(QStringLiteral("quelt-schemes"));
    script.setSourceCode(InjectedScript());
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    impl_->page->scripts().insert(script);
    InjectPageTexts(impl_->page->scripts(), true);
    if (withWidget) {
        impl_->view = new QWebEngineView(parent);
        impl_->view->setPage(impl_->page);
        // The page reports right clicks; the browser's own menu never shows.
        impl_->view->setContextMenuPolicy(Qt::NoContextMenu);
    }
    Impl* impl = impl_.get();
    QObject::connect(impl_->page, &QWebEnginePage::titleChanged, impl_->page, [impl](const QString& title) {
        if (!impl->events.titleChanged)
            return;
        // A page without a title (yet) is titled with its address minus the
        // scheme; it is reported as the whole address.
        const QUrl url = impl->page->url();
        const bool address = !url.isEmpty() && (title == url.toString(QUrl::RemoveScheme).mid(2) || title == url.toString());
        impl->events.titleChanged((address ? url.toString() : title).toStdString());
    });
    QObject::connect(impl_->page, &QWebEnginePage::loadingChanged, impl_->page, [impl](const QWebEngineLoadingInfo& info) {
        const std::string url = info.url().toString().toStdString();
        // The program's own pages (files) draw on the waiting colour; the
        // first page from elsewhere gets the browser's white base before it
        // paints, so nothing changes under a page already shown.
        if (impl->waitingBackground && info.status() == QWebEngineLoadingInfo::LoadStartedStatus &&
            !info.url().isLocalFile()) {
            impl->waitingBackground = false;
            impl->page->setBackgroundColor(Qt::white);
        }
        if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus) {
            // An error status still loads a page: it counts as an error.
            if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain && info.errorCode() >= 400) {
                if (impl->events.navigationError)
                    impl->events.navigationError(url, info.errorCode());
                return;
            }
            if (impl->events.documentComplete)
                impl->events.documentComplete(url);
        } else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && impl->events.navigationError) {
            impl->events.navigationError(url, info.errorCode() > 0 && info.errorDomain() != QWebEngineLoadingInfo::HttpStatusCodeDomain
                                                  ? -info.errorCode()
                                                  : info.errorCode());
        }
    });
}

HtmlView::~HtmlView()
{
    // Pages go before their profile; a view deletes the page with it.
    delete impl_->view.data();
    delete impl_->page;
}

QWebEnginePage* HtmlView::Page() const
{
    return impl_->page;
}

QWidget* HtmlView::Widget() const
{
    return impl_->view.data();
}

void HtmlView::SetEvents(Events events)
{
    impl_->events = std::move(events);
}

void HtmlView::SetWaitingBackground(std::uint32_t rgb)
{
    impl_->waitingBackground = true;
    impl_->page->setBackgroundColor(QColor::fromRgb(static_cast<QRgb>(rgb)));
}

void HtmlView::SetOptions(const Options& options)
{
    QWebEngineSettings* settings = impl_->page->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, options.loadImages);
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, options.scripts);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, options.localPagesUseNetwork);
    // Media must play (the page's player is what detection watches).
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    impl_->page->setAudioMuted(options.muted);
}

void HtmlView::Navigate(const std::string& url)
{
    impl_->page->load(QUrl(QString::fromStdString(url)));
}

void HtmlView::Stop()
{
    impl_->page->triggerAction(QWebEnginePage::Stop);
}

std::string HtmlView::Url() const
{
    return impl_->page->url().toString().toStdString();
}

std::string HtmlView::UserAgent() const
{
    return impl_->page->profile()->httpUserAgent().toStdString();
}

bool HtmlView::Requested(const std::string& url) const
{
    return impl_->requests && impl_->requests->Contains(RequestAddress(QUrl(QString::fromStdString(url))));
}

bool HtmlView::IsAudioMuted() const
{
    return impl_->page->isAudioMuted();
}

std::string HtmlView::Title() const
{
    return impl_->page->title().toStdString();
}

void HtmlView::ExecScript(const std::string& code, std::function<void(const std::string&)> done)
{
    impl_->page->runJavaScript(QString::fromStdString(code), [done = std::move(done)](const QVariant& value) {
        if (done)
            done(value.isValid() ? value.toString().toStdString() : std::string());
    });
}

void HtmlView::SetProgramSchemes(std::vector<std::string> prefixes)
{
    SchemeList() = std::move(prefixes);
}

const std::vector<std::string>& HtmlView::ProgramSchemes()
{
    return SchemeList();
}

}  // namespace platform
