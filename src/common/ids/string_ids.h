#pragma once
// The ids of the user-visible texts of the string table (LoadString). One
// name per id; every text the program shows is reached through these.

// Product and the program's own URL schemes (the search and browsing views
// recognise them by these prefixes).
constexpr int IDS_PRODUCT_NAME = 30000;          // "Quelt"
constexpr int IDS_SCHEME_SPECIAL = 30001;        // "specialxev://"
constexpr int IDS_SCHEME_SEARCH = 30002;         // "searchxev://"
constexpr int IDS_SCHEME_PLAY = 30003;           // "playxev://"
constexpr int IDS_SCHEME_INSERT = 30004;         // "inxev://"
constexpr int IDS_SCHEME_ADD = 30008;            // "addxev://"
constexpr int IDS_SCHEME_SEARCH_COLUMN = 30013;  // "searchcolxev://"
constexpr int IDS_SCHEME_SEARCH_TAG = 30014;     // "searchtagxev://"
constexpr int IDS_SCHEME_SEARCH_STYLE = 30016;   // "searchstylexev://"
constexpr int IDS_SCHEME_COLUMN_SEARCH_STYLE = 30019;  // "colsearchstylexev://"
constexpr int IDS_SCHEME_SPECIAL_CUSTOM = 30021;       // "specialcuxev://"
constexpr int IDS_SCHEME_SEARCH_CUSTOM = 30022;        // "searchcuxev://"
constexpr int IDS_SCHEME_SEARCH_COLUMN_CUSTOM = 30023; // "searchcolcuxev://"
constexpr int IDS_SCHEME_SEARCH_MORE = 30024;    // "searchmorexev://"
constexpr int IDS_SCHEME_ALERT = 30025;          // "alertxev://"
constexpr int IDS_SCHEME_TIP = 30054;            // "tipxev://"

// Player and main window.
constexpr int IDS_PAUSE_TIP = 30005;             // "暂停 （空格）"
constexpr int IDS_PLAY_TIP = 30006;              // "播放 （空格）"
constexpr int IDS_SEARCH_BOX_HINT = 30007;       // "请输入视频关键词"
constexpr int IDS_MUTE_TIP = 30010;              // "静音 （Ctrl + M）"
constexpr int IDS_SOUND_TIP = 30011;             // "打开声音 （Ctrl + M）"
constexpr int IDS_UPDATE_QUESTION = 30015;
constexpr int IDS_PREVIEW_AFTER_START = 30017;   // "预览功能需等播放开始后才可使用"
constexpr int IDS_ALREADY_PLAYING = 30018;       // "视频正在播放中"
constexpr int IDS_SAVE_AFTER_DOWNLOAD = 30020;   // "下载完成后可点此按钮保存视频"
constexpr int IDS_NO_FLASH = 30026;
constexpr int IDS_OLD_FLASH = 30027;
constexpr int IDS_CONNECTING = 30031;            // "正在连接%s服务器"
constexpr int IDS_VIDEO_DELETED = 30032;         // "%s服务器已经删除此视频"
constexpr int IDS_SERVER_BUSY = 30033;           // "%s服务器繁忙，请您稍后再试"
constexpr int IDS_SERVER_ERROR = 30034;          // "%s服务器连接错误，请您稍后再试"
constexpr int IDS_NOT_VIDEO_ADDRESS = 30108;     // the same Chinese; English: not a video
constexpr int IDS_CLEAR_PLAY_LIST_CONFIRM = 30050;
constexpr int IDS_NOT_A_VIDEO = 30051;           // "不支持的视频文件格式。"
constexpr int IDS_QUEUE_SUMMARY = 30052;         // play-list tooltip: videos, megabytes, downloads
constexpr int IDS_SEEK_UNKNOWN = 30053;          // "视频长度未知，下载完成后即可拖拽"
constexpr int IDS_BALLOON_QUEUED = 30055;        // "视频“%s”已经被加入Quelt的播放列表"
constexpr int IDS_BALLOON_PLAYING = 30056;       // "Quelt正在播放“%s”..."
constexpr int IDS_BALLOON_PREVIEWING = 30057;    // "Quelt正在预览播放“%s”..."
constexpr int IDS_CACHED_SHARE = 30070;          // "已缓冲: %d%%\r\n总长度: %.2f Mb"
constexpr int IDS_DOWNLOAD_SPEED = 30071;        // "下载速度: %d Kb/S"
constexpr int IDS_PREVIEW_TIP = 30074;           // "预览"
constexpr int IDS_SAVE_TIP = 30075;              // "保存当前视频"
constexpr int IDS_PICK_COLOUR = 30096;           // "点击您喜欢的颜色改变界面风格"
constexpr int IDS_CLEAR_FAVORITES_CONFIRM = 30097;
constexpr int IDS_CLEAR_HISTORY_CONFIRM = 30098;
constexpr int IDS_INPUT_PAGES_TIP = 30099;       // the page-address dialog's example
constexpr int IDS_UPDATER_NOTE = 30100;

// The save dialog.
constexpr int IDS_CHOOSE_SAVE_FOLDER = 30058;    // "请您选择一个视频保存路径："
constexpr int IDS_CONVERT_SUCCEEDED = 30091;
constexpr int IDS_CONVERT_FAILED = 30092;
constexpr int IDS_CONVERT_NOT_IN_LIBRARY = 30093;
constexpr int IDS_CLOSE_BUTTON = 30094;          // "关闭(&C)"
constexpr int IDS_FILES_WAITING = 30095;         // "还有%d个视频文件等待处理"

// The standard buttons of message boxes and dialogs.
constexpr int IDS_BUTTON_OK = 30101;
constexpr int IDS_BUTTON_CANCEL = 30102;
constexpr int IDS_BUTTON_YES = 30103;
constexpr int IDS_BUTTON_NO = 30104;
constexpr int IDS_BUTTON_CLOSE = 30105;

// An HLS video's row in the play list.
constexpr int IDS_HLS_CACHED_SHARE = 30106;      // "已缓冲: %d%% (%d/%d段)\r\n已缓存: %.2f Mb"
constexpr int IDS_HLS_MISSING = 30107;           // "缺少%d段"
constexpr int IDS_HLS_LIVE = 30140;              // "直播中 (已缓存%d段)\r\n已缓存: %.2f Mb"

// A command-line argument that names no video file; %s is the path.
constexpr int IDS_ARG_NO_SUCH_FILE = 30120;      // "找不到视频文件：%s"
constexpr int IDS_ARG_IS_FOLDER = 30121;         // "这是一个文件夹，不是视频文件：%s"
constexpr int IDS_ARG_NOT_A_FILE = 30122;        // "这不是一个可以播放的文件：%s"
// A segmented video asked to be saved before every segment is cached.
constexpr int IDS_SAVE_SEGMENTS_MISSING = 30110;  // "还缺少%d段（共%d段）..."
// An HLS stream encrypted in a way that is not played (SAMPLE-AES).
constexpr int IDS_HLS_KEY_UNSUPPORTED = 30111;  // "%s的加密方式(SAMPLE-AES)暂不支持播放"
