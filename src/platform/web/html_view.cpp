#include "platform/web/html_view.h"

#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <QPointer>

#include <cstring>

namespace platform {

namespace {

constexpr const char* kReportPrefix = "QUELT-XEVNAV ";

// Stops navigations to the program's schemes wherever they start and
// reports their raw text through the console.
QString InjectedScript()
{
    QStringList schemes;
    for (const std::string& scheme : HtmlView::ProgramSchemes())
        schemes << QString::fromStdString(scheme);
    return QStringLiteral(R"JS((function () {
  var re = /^(%1):\/\//i;
  function report(raw) { console.log('%2' + raw); }
  document.addEventListener('click', function (e) {
    var a = e.target && e.target.closest ? e.target.closest('a[href]') : null;
    if (!a) return;
    var raw = a.getAttribute('href');
    if (re.test(raw)) { e.preventDefault(); e.stopPropagation(); report(raw); }
  }, true);
  if (window.navigation) {
    navigation.addEventListener('navigate', function (e) {
      if (re.test(e.destination.url) && e.cancelable) { e.preventDefault(); report(e.destination.url); }
    });
  }
  var open = window.open;
  window.open = function (u) {
    if (typeof u === 'string' && re.test(u)) { report(u); return null; }
    return open.apply(window, arguments);
  };
})();)JS")
        .arg(schemes.join('|'), QString::fromLatin1(kReportPrefix));
}

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
        if (!message.startsWith(QLatin1String(kReportPrefix)) || !events_->beforeNavigate)
            return;
        bool cancel = true;
        events_->beforeNavigate(message.mid(int(std::strlen(kReportPrefix))).toStdString(), true, cancel);
    }

private:
    HtmlView::Events* events_;
};

struct HtmlView::Impl {
    Events events;
    QPointer<QWebEngineView> view;
    HtmlPage* page = nullptr;
};

HtmlView::HtmlView(QWidget* parent, bool withWidget) : impl_(std::make_unique<Impl>())
{
    impl_->page = new HtmlPage(QWebEngineProfile::defaultProfile(), &impl_->events);
    QWebEngineScript script;
    script.setName(QStringLiteral("quelt-schemes"));
    script.setSourceCode(InjectedScript());
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    impl_->page->scripts().insert(script);
    if (withWidget) {
        impl_->view = new QWebEngineView(parent);
        impl_->view->setPage(impl_->page);
    }
    Impl* impl = impl_.get();
    QObject::connect(impl_->page, &QWebEnginePage::titleChanged, impl_->page, [impl](const QString& title) {
        if (impl->events.titleChanged)
            impl->events.titleChanged(title.toStdString());
    });
    QObject::connect(impl_->page, &QWebEnginePage::loadingChanged, impl_->page, [impl](const QWebEngineLoadingInfo& info) {
        const std::string url = info.url().toString().toStdString();
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

void HtmlView::SetOptions(const Options& options)
{
    QWebEngineSettings* settings = impl_->page->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, options.loadImages);
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, options.scripts);
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

const std::vector<std::string>& HtmlView::ProgramSchemes()
{
    static const std::vector<std::string> schemes = {"playxev", "inxev", "addxev", "searchxev", "searchtagxev", "tipxev"};
    return schemes;
}

}  // namespace platform
