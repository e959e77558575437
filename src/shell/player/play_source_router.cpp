#include "shell/player/play_source_router.h"

#include "common/local_file.h"
#include "delivery/cache_file_reader.h"
#include "shell/settings/app_setting.h"

CPlaySourceRouter::CPlaySourceRouter(const CAppSetting& settings, IPlayRequestServer& downloads)
    : settings_(settings), downloads_(downloads)
{
}

void CPlaySourceRouter::ServeRequest(CPlayRequest& request)
{
    const std::string& key = request.GetKey();
    for (IOwnStream* stream : ownStreams_) {
        if (stream->ServesKey(key)) {
            stream->ServeRequest(request);
            return;
        }
    }
    const bool shown = (settings_.nowPlaying && settings_.nowPlaying->key == key)
                       || (settings_.nowPreviewing && settings_.nowPreviewing->key == key);
    const std::int64_t size = shown && IsLocalPathKey(key) ? GetFileSize64(key) : -1;
    if (size <= 0) {
        downloads_.ServeRequest(request);
        return;
    }
    request.SetCacheFilePath(key);
    request.SetContentLength(size);
    request.AttachCacheFile(key);
    request.SetComplete(true);
}
