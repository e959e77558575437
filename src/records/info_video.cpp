#include "records/info_video.h"

std::unique_ptr<InfoVideo> MakeVideoRecord(const std::string& key, const std::string& title, const std::string& mode,
                                           const std::string& streamUrl)
{
    auto video = std::make_unique<InfoVideo>();
    video->a0 = mode;
    video->a1 = title;
    video->a2 = key;
    video->a4 = streamUrl;
    return video;
}
