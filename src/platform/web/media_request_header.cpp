#include "platform/web/media_request_header.h"

#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>

namespace platform {

namespace {

class MediaRequestInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const auto type = info.resourceType();
        if (type == QWebEngineUrlRequestInfo::ResourceTypeMedia || type == QWebEngineUrlRequestInfo::ResourceTypeXhr)
            info.setHttpHeader(kFlashVersionHeader, kFlashVersionValue);
    }
};

}  // namespace

void InstallMediaRequestHeader()
{
    // Lives as long as the profile, that is the process.
    static MediaRequestInterceptor* interceptor = new MediaRequestInterceptor;
    QWebEngineProfile::defaultProfile()->setUrlRequestInterceptor(interceptor);
}

}  // namespace platform
