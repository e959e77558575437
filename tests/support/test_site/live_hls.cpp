#include "test_site/live_hls.h"

#include <vector>

namespace test_site {

std::string LiveHlsPlaylist(const std::string& vodPlaylist, std::uint64_t first, std::size_t window, bool ended)
{
    // The VOD's segments: each EXTINF line and the address after it.
    std::vector<std::pair<std::string, std::string>> segments;
    std::string extinf;
    int targetDuration = 1;
    std::size_t at = 0;
    while (at < vodPlaylist.size()) {
        std::size_t end = vodPlaylist.find('\n', at);
        if (end == std::string::npos)
            end = vodPlaylist.size();
        std::string line = vodPlaylist.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.starts_with("#EXTINF:"))
            extinf = line;
        else if (line.starts_with("#EXT-X-TARGETDURATION:"))
            targetDuration = std::stoi(line.substr(22));
        else if (!line.empty() && line.front() != '#' && !extinf.empty())
            segments.emplace_back(extinf, line);
    }
    if (segments.empty())
        return {};
    std::string text = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:" + std::to_string(targetDuration)
                       + "\n#EXT-X-MEDIA-SEQUENCE:" + std::to_string(first) + "\n";
    // The loops that began before the window: their discontinuities slid out.
    if (first > 0 && (first - 1) / segments.size() > 0)
        text += "#EXT-X-DISCONTINUITY-SEQUENCE:" + std::to_string((first - 1) / segments.size()) + "\n";
    for (std::uint64_t n = first; n < first + window; ++n) {
        const std::size_t place = static_cast<std::size_t>(n % segments.size());
        if (place == 0 && n > 0)
            text += "#EXT-X-DISCONTINUITY\n";
        text += segments[place].first + "\n" + segments[place].second + "\n";
    }
    if (ended)
        text += "#EXT-X-ENDLIST\n";
    return text;
}

}  // namespace test_site
