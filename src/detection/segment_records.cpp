#include "detection/segment_records.h"

#include "records/info_video.h"

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
    // The whole list is looked at first: the segment may already be there,
    // and the page and its other segments may stand in any order.
    const InfoVideo* page = nullptr;
    std::size_t pageAt = 0;
    std::optional<std::size_t> lowerAt, higherAt;  // the nearest siblings below and above
    long lower = -1, higher = -1;
    for (std::size_t i = 0; i < playList.PCL_GetObjectCount(); ++i) {
        InfoVideo* video = playList.PCL_GetObject(i);
        if (video->a2 == key) {
            video->a4 = url;
            return video;
        }
        if (video->a2 == pageKey && !page) {
            page = video;
            pageAt = i;
            continue;
        }
        const long other = SegmentNumberOf(video->a2, pageKey);
        if (other >= 0 && other < number && other > lower) {
            lower = other;
            lowerAt = i;
        } else if (other > number && (higher < 0 || other < higher)) {
            higher = other;
            higherAt = i;
        }
    }
    if (!page)
        return nullptr;
    // Right after the nearest lower segment, else right before the nearest
    // higher one, else right after the page.
    const std::size_t position = lowerAt ? *lowerAt + 1 : higherAt ? *higherAt : pageAt + 1;
    InfoVideo* segment = MakeVideoRecord(key, page->a1 + " " + std::to_string(number), "2", url).release();
    playList.PCL_InsertObject(position, segment);
    return segment;
}
