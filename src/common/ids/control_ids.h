#pragma once
// Ids of the skins' controls, the menus and the dialogs. A skin names its
// controls by these numbers; the code finds them by the names.
namespace control {

// The main window.
inline constexpr int kSeekSlider = 201;
inline constexpr int kPlayList = 209;
inline constexpr int kFavorites = 211;
inline constexpr int kMonitorPanel = 212;   // the side column's fourth panel (keyword subscriptions)
inline constexpr int kRelatedView = 213;    // the related-videos view beside the player
inline constexpr int kHotTabList = 214;     // the hot searches behind the browsing tabs
inline constexpr int kSearchViews = 215;    // the search tabs' manager
inline constexpr int kHistory = 216;
inline constexpr int kVolumeSlider = 220;
inline constexpr int kSearchBox = 230;
inline constexpr int kTabBand = 233;
inline constexpr int kStatusLabel = 239;
inline constexpr int kTimeLabel = 270;
inline constexpr int kMiniTitle = 241;      // the mini skin's title text
inline constexpr int kLargePlayerArea = 304;  // where the player sits with the player tab
inline constexpr int kBrowsePanel = 305;
inline constexpr int kSmallPlayerArea = 306;  // where it sits while another main tab shows
inline constexpr int kPlayer = 600;
inline constexpr int kPreviewPlayer = 601;

// Browsing tabs take view ids 2100-2199 on the tab band.
inline constexpr int kFirstBrowseView = 2100;
inline constexpr int kLastBrowseView = 2199;

}  // namespace control

namespace menu {
inline constexpr int kMain = 150;         // the main and tray menu
inline constexpr int kPlayList = 151;
inline constexpr int kSearchResult = 152;
inline constexpr int kPlayer = 153;       // right click on the player
inline constexpr int kHistory = 154;
inline constexpr int kTabBand = 155;
inline constexpr int kFavorites = 156;
}  // namespace menu

namespace dialog {
inline constexpr int kMain = 102;
inline constexpr int kInputPages = 205;
inline constexpr int kColourScheme = 207;
inline constexpr int kSaveVideo = 240;
}  // namespace dialog

namespace timer {
inline constexpr int kSpecialRetry = 17173;  // a special tab asks its site again after a time-out
inline constexpr int kKeywordMinute = 999;   // the keyword search's minute tick
}  // namespace timer
