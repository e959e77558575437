#include "shell/player/play_source_router.h"

#include "shell/player/video_source.h"
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
    // A shown key that is a file of this machine is that file, listed or not.
    const VideoSource source = shown ? DecideVideoSource(key, nullptr) : VideoSource{};
    if (source.kind != VideoSource::LocalFile || source.totalBytes <= 0) {
        downloads_.ServeRequest(request);
        return;
    }
    request.SetCacheFilePath(source.file);
    request.SetContentLength(source.totalBytes);
    request.AttachCacheFile(source.file);
    request.SetComplete(true);
}
