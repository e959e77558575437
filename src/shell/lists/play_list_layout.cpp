#include "shell/lists/play_list_layout.h"

#include "delivery/flv_cache.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"

#include "common/ids/string_ids.h"
#include "common/string_table.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string HlsBufferedText(const HlsStatus& hls)
{
    char text[256];
    if (hls.live)
        std::snprintf(text, sizeof text, LoadString(IDS_HLS_LIVE).c_str(), static_cast<int>(hls.done),
                      static_cast<double>(hls.bytes) / 1048576.0);
    else
        std::snprintf(text, sizeof text, LoadString(IDS_HLS_CACHED_SHARE).c_str(),
                      static_cast<int>(hls.done * 100 / hls.count), static_cast<int>(hls.done),
                      static_cast<int>(hls.count), static_cast<double>(hls.bytes) / 1048576.0);
    std::string result = text;
    if (hls.missing > 0) {
        std::snprintf(text, sizeof text, LoadString(IDS_HLS_MISSING).c_str(), static_cast<int>(hls.missing));
        result += std::string("\r\n") + text;
    }
    return result;
}

bool CountsSegments(const HlsStatus& hls)
{
    return hls.known && hls.count > 0;
}

}  // namespace

double CachedShare(const InfoVideo& video, const HlsStatus& hls)
{
    if (CountsSegments(hls))
        return hls.live ? 0.0 : static_cast<double>(hls.done) / static_cast<double>(hls.count);
    const CacheSizes sizes = GetCacheSizes(video);
    return sizes.total > 0 ? static_cast<double>(sizes.cached) / static_cast<double>(sizes.total) : 0.0;
}

std::string BufferedText(const InfoVideo& video, const HlsStatus& hls)
{
    if (CountsSegments(hls))
        return HlsBufferedText(hls);
    const CacheSizes sizes = GetCacheSizes(video);
    const double percent = sizes.total > 0 ? static_cast<double>(sizes.cached) * 100.0 / static_cast<double>(sizes.total) : 0;
    char text[256];
    std::snprintf(text, sizeof text, LoadString(IDS_CACHED_SHARE).c_str(), static_cast<int>(std::min(percent, 100.0)),
                  static_cast<double>(sizes.total) / 1048576.0);
    return text;
}

std::string BufferedLine(const InfoVideo& video, const HlsStatus& hls)
{
    std::string line = BufferedText(video, hls);
    for (std::size_t at = line.find("\r\n"); at != std::string::npos; at = line.find("\r\n"))
        line.replace(at, 2, "  ");
    return line;
}

CPlayListLayout::CPlayListLayout(const CAppSetting& settings) : settings_(settings) {}

std::optional<std::size_t> CPlayListLayout::Rebuild(const std::string& revealKey)
{
    std::vector<std::string> keys;
    for (const InfoVideo* video : settings_.playList)
        if (video->a0 != "3" && std::find(keys.begin(), keys.end(), video->a2) == keys.end())
            keys.push_back(video->a2);
    return Reset(std::move(keys), revealKey);
}

CPlayListLayout::Button CPlayListLayout::ButtonAt(int x, int itemWidth)
{
    switch (ItemButtonAt(x, itemWidth, 2)) {
    case 0: return Button::Save;
    case 1: return Button::Preview;
    default: return Button::None;
    }
}

CPlayListLayout::MenuState CPlayListLayout::Menu() const
{
    MenuState state;
    const std::vector<std::string> keys = SelectedKeys();
    if (keys.empty())
        return state;
    const InfoVideo* first = FindVideo(settings_, keys.front());
    state.playAndPreview = keys.size() == 1;
    // A video that is gone or still downloading cannot be saved or kept.
    state.saveAndFavorite = first && IsComplete(*first);
    state.search = keys.size() == 1 && first;
    return state;
}

std::optional<CPlayListItem> CPlayListLayout::Item(std::size_t index) const
{
    const InfoVideo* video = FindVideo(settings_, KeyAt(index));
    if (!video)
        return std::nullopt;
    CPlayListItem item;
    item.key = video->a2;
    item.title = video->a1.empty() ? video->a2 : video->a1;
    const HlsStatus hls = HlsOf(*video);
    item.share = CachedShare(*video, hls);
    item.detail = BufferedLine(*video, hls);
    item.playing = settings_.nowPlaying && settings_.nowPlaying->key == video->a2;
    return item;
}

std::string CPlayListLayout::SourcesText() const
{
    std::string text;
    for (const std::string& key : SelectedKeys())
        if (const InfoVideo* video = FindVideo(settings_, key))
            text += video->a1 + "\r\n" + video->a2 + "\r\n" + video->a4 + "\r\n\r\n\r\n";
    return text;
}
