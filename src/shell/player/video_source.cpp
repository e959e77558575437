#include "shell/player/video_source.h"

#include "common/local_file.h"
#include "delivery/cache_file_reader.h"
#include "delivery/flv_cache.h"
#include "delivery/flv_probe.h"
#include "delivery/hls_stream.h"
#include "delivery/play_request_manager.h"
#include "records/info_video.h"

namespace {

// What the start of the file says it holds, as the page reads it from the
// play URL; nothing when the start does not tell.
std::string KindFragment(const std::string& path)
{
    switch (DescribeVideoStart(path)) {
    case VideoStartKind::Mp4: return "#type=mp4";
    case VideoStartKind::FlvH264: return "#type=flv-h264";
    case VideoStartKind::FlvOther: return "#type=flv-other";
    case VideoStartKind::Unknown: break;
    }
    return {};
}

}  // namespace

VideoSource DecideVideoSource(const std::string& key, const InfoVideo* video)
{
    VideoSource source;
    source.key = key;
    if (IsLocalFile(key)) {
        source.kind = VideoSource::LocalFile;
        source.file = key;
        source.totalBytes = GetFileSize64(key);
        return source;
    }
    if (!video)
        return source;
    const CacheSizes sizes = GetCacheSizes(*video);
    source.totalBytes = sizes.total;
    if (IsComplete(sizes)) {
        source.kind = VideoSource::CompleteCache;
        source.file = GetCachePath(*video);
    } else if (!video->a4.empty() && (video->state == VIDEO_STATE_MANIFEST || HasHlsFolder(*video))) {
        source.kind = VideoSource::Manifest;
    } else if (!video->a4.empty()) {
        source.kind = VideoSource::KnownStream;
    } else {
        source.kind = VideoSource::NeedsDetection;
    }
    return source;
}

// Every source reaches the page through the play server: a whole file is
// served from disk, a known stream as it downloads, an HLS or DASH stream
// as a manifest of the play server whose segments come from the cache (the
// page tells the two apart by the manifest's text).
std::string BuildSourcePlayUrl(CPlayRequestManager& server, const VideoSource& source)
{
    if (source.IsWhole())
        return server.BuildPlayUrl(source.key) + KindFragment(source.file);
    if (source.kind == VideoSource::KnownStream)
        return server.BuildPlayUrl(source.key);
    if (source.kind == VideoSource::Manifest)
        return server.BuildPlayUrl(source.key) + "#type=manifest";
    return {};
}
