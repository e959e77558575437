#include "platform/web/media_request_header.h"

#include <QCoreApplication>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>

#include <atomic>
#include <map>

namespace platform {

namespace {

// Touched on the user-interface thread only.
std::map<int, std::function<void(const PlayerRequest&)>> g_watchers;
int g_nextWatcher = 0;
// Read by the interceptor, so that without a watcher (almost always) a
// request costs nothing and nothing is queued while the program ends.
std::atomic<int> g_watcherCount{0};

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
    void interceptRequest(QWebEngineUrlRequestInfo& info) override { MarkPlayerRequest(info); }
};

}  // namespace

bool MarkPlayerRequest(QWebEngineUrlRequestInfo& info)
{
    const auto type = info.resourceType();
    if (type != QWebEngineUrlRequestInfo::ResourceTypeMedia && type != QWebEngineUrlRequestInfo::ResourceTypeXhr)
        return false;
    info.setHttpHeader(kFlashVersionHeader, kFlashVersionValue);
    QCoreApplication* application = QCoreApplication::instance();
    if (g_watcherCount.load() == 0 || !application)
        return true;
    PlayerRequest request{info.requestUrl().toString().toStdString(), info.firstPartyUrl().toString().toStdString()};
    QMetaObject::invokeMethod(
        application, [request] { Tell(request); }, Qt::QueuedConnection);
    return true;
}

void InstallMediaRequestHeader()
{
    // Lives as long as the profile, that is the process.
    static MediaRequestInterceptor* interceptor = new MediaRequestInterceptor;
    QWebEngineProfile::defaultProfile()->setUrlRequestInterceptor(interceptor);
}

int WatchPlayerRequests(std::function<void(const PlayerRequest&)> watcher)
{
    g_watchers[++g_nextWatcher] = std::move(watcher);
    g_watcherCount.store(static_cast<int>(g_watchers.size()));
    return g_nextWatcher;
}

void UnwatchPlayerRequests(int id)
{
    g_watchers.erase(id);
    g_watcherCount.store(static_cast<int>(g_watchers.size()));
}

}  // namespace platform
