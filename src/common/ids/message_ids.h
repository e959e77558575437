#pragma once
// The program's own window messages, from 0x8200 upward (not registered).
// Every window that sends or handles one names it from here.
#include "platform/window_types.h"

// Traffic interception → detection view, sent synchronously; wParam points
// to the hook's info struct (detection/hook_messages.h).
inline constexpr UINT WM_HOOK_CONNECT = 0x8200;
inline constexpr UINT WM_HOOK_OPENREQUEST = 0x8201;
inline constexpr UINT WM_HOOK_READFILE = 0x8202;
// A detection view ended (posted to the detection manager; wParam: the view).
inline constexpr UINT WM_DETECT_VIEW_DONE = 0x8203;
// A play request ended (posted to the play server's window; wParam: it).
inline constexpr UINT WM_PLAYREQUEST_DONE = 0x8205;

// To the main window from the preview, the lists and the tab band. Those
// that carry a key carry a heap string (wParam: std::string*) the handler
// frees; the save request carries a heap list of keys.
inline constexpr UINT WM_PREVIEW_CLOSE = 0x8207;      // the preview ends
inline constexpr UINT WM_PREVIEW_TO_MAIN = 0x8208;    // the previewed video plays in the main player
inline constexpr UINT WM_PLAY_VIDEO_KEY = 0x8215;     // AddVideo(title, key, "1")
inline constexpr UINT WM_REMOVE_VIDEO_KEY = 0x8216;   // stop, close and delete what belongs to the key
inline constexpr UINT WM_SAVE_VIDEO_KEY = 0x8217;     // wParam: std::vector<std::string>* (keys)
inline constexpr UINT WM_PREVIEW_VIDEO_KEY = 0x8218;  // AddVideo(title, key, "3")
inline constexpr UINT WM_TAB_CLOSE = 0x8224;          // wParam: the band's control id, lParam: the view id

// Broadcast to every event window (BroadcastEvent).
inline constexpr UINT WM_FLV_DOWNLOAD_PROGRESS = 0x8211;  // wParam: InfoVideo*
inline constexpr UINT WM_EVENT_VIDEO_UPDATED = 0x8212;    // wParam: const std::string* (the video key)
inline constexpr UINT WM_EVENT_SKIN_RECOLOURED = 0x8222;
inline constexpr UINT WM_EVENT_NETWORK_READY = 0x8271;

// A dialog to itself: show its balloon tip once it is on screen.
inline constexpr UINT WM_SHOW_INPUT_TIP = 0x8223;
// The conversion worker to the save dialog (wParam: the result).
inline constexpr UINT WM_CONVERT_RESULT = 0x8234;
inline constexpr UINT WM_CONVERT_RATE = WM_USER + 0x233;
// The digest worker to the update manager (wParam: 1 when the file's digests
// are the announced ones, lParam: the number of the check).
inline constexpr UINT WM_UPDATE_DIGESTS_CHECKED = 0x8280;
// An HLS segment's decryption worker to the download manager (wParam: 1 when
// the segment decrypted, lParam: the number of the decryption).
inline constexpr UINT WM_HLS_SEGMENT_DECRYPTED = 0x8281;
// The settings' writer could not write "setting.xml"; the next tick tries again.
inline constexpr UINT WM_SETTINGS_WRITE_FAILED = 0x8282;
