#pragma once
// The play list's layout, without a display: one item per play-list video
// except the preview-only ones, in one column, with the selection gestures;
// what a row shows, the two buttons at an item's right end, the entries of
// menu 151 for a selection, and the text of "查看视频来源".
#include "delivery/hls_status.h"
#include "shell/lists/list_selection.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CAppSetting;
class InfoVideo;

// String 30070 for a video: its buffered percentage (0 without a total, at
// most 100) and its total length in megabytes; two lines joined by "\r\n".
// An HLS video whose playlist is known counts segments instead (30106: the
// share of segments arrived, of how many, and the megabytes kept), with a
// third line (30107) when some never arrived; a live stream says it is live
// and how many segments it cached (30140), and its share is 0.
std::string BufferedText(const InfoVideo& video, const HlsStatus& hls = {});
// The same with the line breaks replaced by two blanks, for one line.
std::string BufferedLine(const InfoVideo& video, const HlsStatus& hls = {});
// The cached share drawn as a bar: segments arrived ÷ listed for HLS,
// cached ÷ total bytes otherwise, 0 without a total.
double CachedShare(const InfoVideo& video, const HlsStatus& hls = {});

// One row of the play list as it is drawn. It is read from the video's
// record at each paint, since the cached share grows while it shows.
struct CPlayListItem {
    std::string key;
    std::string title;   // the video's title, or its key without one
    std::string detail;  // BufferedLine
    double share = 0;    // cached ÷ total, 0 without a total
    bool playing = false; // the main player's video
};

class CPlayListLayout : public CListSelection {
public:
    enum class Button { None, Preview, Save };
    struct MenuState {
        bool playAndPreview = false;  // 20500, 20501: only for one item
        bool saveAndFavorite = false; // 20502, 20506: the first item's video is whole
        bool search = false;          // 20507: exactly one item, and its video exists
    };

    using HlsFigures = std::function<HlsStatus(const InfoVideo&)>;

    explicit CPlayListLayout(const CAppSetting& settings);
    // Where a row learns what the cache holds of an HLS video.
    void SetHlsFigures(HlsFigures figures) { hlsFigures_ = std::move(figures); }
    HlsStatus HlsOf(const InfoVideo& video) const { return hlsFigures_ ? hlsFigures_(video) : HlsStatus{}; }

    // Items from the play list in order, the user's selection kept. Returns
    // the index of revealKey's item, to bring into view.
    std::optional<std::size_t> Rebuild(const std::string& revealKey);

    // Which button of an item of this width lies at x (item coordinates).
    static Button ButtonAt(int x, int itemWidth);
    MenuState Menu() const;
    // The row at index; none when its video has gone since the rebuild.
    std::optional<CPlayListItem> Item(std::size_t index) const;
    // Title, page key and stream URL of each selected video, each block
    // followed by two empty lines, as bytes.
    std::string SourcesText() const;

private:
    const CAppSetting& settings_;
    HlsFigures hlsFigures_;
};
