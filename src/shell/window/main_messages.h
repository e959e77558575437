#pragma once
// Messages other windows post to the main window. Those that carry a key
// carry it as a heap string (wParam: std::string*) that the handler frees.
#include "platform/window_types.h"

#include <string>
#include <vector>

inline constexpr UINT WM_PREVIEW_CLOSE = 0x8207;   // the preview ends
inline constexpr UINT WM_PREVIEW_TO_MAIN = 0x8208; // play the previewed video in the main player
inline constexpr UINT WM_PLAY_VIDEO_KEY = 0x8215;  // AddVideo(title, key, "1")
inline constexpr UINT WM_REMOVE_VIDEO_KEY = 0x8216;
inline constexpr UINT WM_SAVE_VIDEO_KEY = 0x8217;    // wParam: std::vector<std::string>* (keys)
inline constexpr UINT WM_PREVIEW_VIDEO_KEY = 0x8218;  // AddVideo(title, key, "3")

// Posts a key message; the receiver owns the string.
bool PostKeyMessage(HWND window, UINT message, const std::string& key);
// Posts a message with a list of keys (0x8217); the receiver owns the list.
bool PostKeysMessage(HWND window, UINT message, const std::vector<std::string>& keys);
