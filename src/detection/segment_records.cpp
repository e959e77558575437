#include "detection/segment_records.h"

#include "shell/records/info_video.h"

#include <cstdlib>
#include <optional>

long SegmentNumberOf(const std::string& key, const std::string& pageKey)
{
    if (key.size() <= pageKey.size() + 1 || key.compare(0, pageKey.size(), pageKey) != 0
        || key[pageKey.size()] != ' ')
        return -1;
    const std::string digits = key.substr(pageKey.size() + 1);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9)
        return -1;
    return std::strtol(digits.c_str(), nullptr, 10);
}

InfoVideo* AddSegmentRecord(PCL_Interface_Composite<InfoVideo>& playList, const std::string& pageKey, long number,
                            const std::string& url)
{
    const std::string key = pageKey + " " + std::to_string(number);
    const InfoVideo* page = nullptr;
    std::optional<std::size_t> position;
    for (std::size_t i = 0; i < playList.PCL_GetObjectCount(); ++i) {
        InfoVideo* video = playList.PCL_GetObject(i);
        if (video->a2 == key) {
            video->a4 = url;
            return video;
        }
        if (video->a2 == pageKey) {
            if (!page)
                page = video;
            position = i + 1;
            continue;
        }
        const long other = SegmentNumberOf(video->a2, pageKey);
        if (other < 0)
            continue;
        if (number < other) {
            if (position == i)
                break;
            position = i;
        } else {
            position = i + 1;
        }
    }
    if (!page || !position)
        return nullptr;
    auto* segment = new InfoVideo;
    segment->a2 = key;
    segment->a1 = page->a1 + " " + std::to_string(number);
    segment->a0 = "2";
    segment->a4 = url;
    playList.PCL_InsertObject(*position, segment);
    return segment;
}
