#include "platform/web/media_request_header.h"

#include <QCoreApplication>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>

#include <map>

namespace platform {

namespace {

// Touched on the user-interface thread only.
std::map<int, std::function<void(const PlayerRequest&)>> g_watchers;
int g_nextWatcher = 0;

void Tell(const PlayerRequest& request)
{
    // A watcher may unwatch (or watch) while it is told.
    const auto watchers = g_watchers;
    for (const auto& [id, watcher] : watchers)
        if (g_watchers.count(id))
            watcher(request);
}

class MediaRequestInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const auto type = info.resourceType();
        if (type != QWebEngineUrlRequestInfo::ResourceTypeMedia && type != QWebEngineUrlRequestInfo::ResourceTypeXhr)
            return;
        info.setHttpHeader(kFlashVersionHeader, kFlashVersionValue);
        PlayerRequest request{info.requestUrl().toString().toStdString(),
                              info.firstPartyUrl().toString().toStdString()};
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [request] { Tell(request); }, Qt::QueuedConnection);
    }
};

}  // namespace

void InstallMediaRequestHeader()
{
    // Lives as long as the profile, that is the process.
    static MediaRequestInterceptor* interceptor = new MediaRequestInterceptor;
    QWebEngineProfile::defaultProfile()->setUrlRequestInterceptor(interceptor);
}

int WatchPlayerRequests(std::function<void(const PlayerRequest&)> watcher)
{
    g_watchers[++g_nextWatcher] = std::move(watcher);
    return g_nextWatcher;
}

void UnwatchPlayerRequests(int id)
{
    g_watchers.erase(id);
}

}  // namespace platform
