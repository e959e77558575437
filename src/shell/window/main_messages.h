#pragma once
// Messages other windows post to the main window. Those that carry a key
// carry it as a heap string (wParam: std::string*) that the handler frees.
#include "common/ids/message_ids.h"
#include "platform/window_types.h"

#include <string>
#include <vector>


// Posts a key message; the receiver owns the string.
bool PostKeyMessage(HWND window, UINT message, const std::string& key);
// Posts a message with a list of keys (WM_SAVE_VIDEO_KEY); the receiver owns the list.
bool PostKeysMessage(HWND window, UINT message, const std::vector<std::string>& keys);
