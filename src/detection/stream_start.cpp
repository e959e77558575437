#include "detection/stream_start.h"

#include <cstring>
#include <string_view>

StreamStart ClassifyStreamStart(const char* block, std::size_t count)
{
    const auto* b = reinterpret_cast<const unsigned char*>(block);
    if (count >= 10 && std::memcmp(b, "FLV", 3) == 0 && b[3] == 1 && b[5] == 0 && b[6] == 0 && b[7] == 0 && b[8] == 9)
        return StreamStart::Video;
    if (count >= 13 && b[0] == 0 && b[1] == 0 && std::memcmp(b + 4, "ftyp", 4) == 0) {
        // The brands MP4 files carry today, besides the "mp4" ones.
        for (const char* brand : {"mp4", "isom", "iso2", "iso3", "iso4", "iso5", "iso6", "avc1", "M4V ", "dash"})
            if (std::memcmp(b + 8, brand, std::strlen(brand)) == 0)
                return StreamStart::Video;
        return StreamStart::None;
    }
    std::string_view text(block, count);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    if (text.substr(0, 7) == "#EXTM3U")
        return StreamStart::HlsManifest;
    // A DASH manifest: its MPD element follows an XML declaration or comment.
    const std::size_t mpd = text.substr(0, 512).find("<MPD");
    if (text.substr(0, 1) == "<" && mpd != std::string_view::npos)
        return StreamStart::DashManifest;
    return StreamStart::None;
}
