#pragma once
// Command ids shared by the skins (a button's id is its command), the menus
// and the keys. The main window maps each to its handler in one table.
namespace command {

// The player.
inline constexpr int kPlayPause = 20000;
inline constexpr int kStop = 20001;
inline constexpr int kMute = 20002;
inline constexpr int kCapture = 20003;
inline constexpr int kSaveVideo = 20004;
inline constexpr int kBrightness = 20005;
inline constexpr int kFullScreen = 20006;
inline constexpr int kWideScreen = 20007;
inline constexpr int kMiniMode = 20008;
inline constexpr int kLeaveMiniMode = 20050;
inline constexpr int kOnTop = 20021;
inline constexpr int kMiniOnTop = 20051;

// The main menu (150) and the window's buttons.
inline constexpr int kSettings = 20020;
inline constexpr int kOpenFile = 20030;
inline constexpr int kOpenPages = 20031;
inline constexpr int kStartSearch = 20032;
inline constexpr int kColourScheme = 20033;
inline constexpr int kSelectAllPlayList = 20035;
inline constexpr int kExit = 20100;
inline constexpr int kMaximize = 20102;
inline constexpr int kMainMenu = 20103;
inline constexpr int kToTray = 20105;
inline constexpr int kHomePage = 20150;
inline constexpr int kFeedbackPage = 20151;
inline constexpr int kAboutBox = 20152;
inline constexpr int kAboutLink = 20153;
inline constexpr int kSearchBoxMenu = 20160;

// Main tabs 20200-20209 (the player tab first, then web browsing) and side
// panels 20700-20703.
inline constexpr int kPlayerTab = 20200;
inline constexpr int kBrowseTab = 20201;
inline constexpr int kLastMainTab = 20209;
inline constexpr int kDeletePlayListSelection = 20299;
inline constexpr int kClearPlayList = 20300;
inline constexpr int kClosePreview = 20301;
inline constexpr int kPreviewToMain = 20302;
inline constexpr int kCloseAllTabs = 20400;
inline constexpr int kMonitorPanel = 20700;
inline constexpr int kPlayListPanel = 20701;
inline constexpr int kFavoritesPanel = 20702;
inline constexpr int kHistoryPanel = 20703;

// The play list's menu (151) and the search results' menu (152).
inline constexpr int kListPlay = 20500;
inline constexpr int kListPreview = 20501;
inline constexpr int kListSave = 20502;
inline constexpr int kListDelete = 20503;
inline constexpr int kResultAddToList = 20504;
inline constexpr int kListSources = 20505;
inline constexpr int kListAddFavorite = 20506;
inline constexpr int kListSearchThis = 20507;

// The history's menu (154) and the favorites' menu (156).
inline constexpr int kHistoryPlay = 20600;
inline constexpr int kHistoryDelete = 20601;
inline constexpr int kHistoryClear = 20602;
inline constexpr int kHistorySources = 20603;
inline constexpr int kFavoritePlay = 20610;
inline constexpr int kFavoriteSave = 20611;
inline constexpr int kFavoriteDelete = 20612;
inline constexpr int kFavoriteClear = 20613;
inline constexpr int kFavoriteSources = 20614;

}  // namespace command
