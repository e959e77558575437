#include "shell/window/main_messages.h"

#include "platform/window.h"

bool PostKeyMessage(HWND window, UINT message, const std::string& key)
{
    auto* text = new std::string(key);
    if (platform::PostMessage(window, message, reinterpret_cast<WPARAM>(text), 0))
        return true;
    delete text;
    return false;
}

bool PostKeysMessage(HWND window, UINT message, const std::vector<std::string>& keys)
{
    auto* list = new std::vector<std::string>(keys);
    if (platform::PostMessage(window, message, reinterpret_cast<WPARAM>(list), 0))
        return true;
    delete list;
    return false;
}
