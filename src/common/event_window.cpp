#include "common/event_window.h"

#include <algorithm>
#include <vector>

namespace {
// Touched on the user-interface thread only, like every event window.
std::vector<HWND>& Listed()
{
    static std::vector<HWND> handles;
    return handles;
}
}  // namespace

namespace event_windows {

void Add(HWND hwnd)
{
    auto& handles = Listed();
    if (hwnd && std::find(handles.begin(), handles.end(), hwnd) == handles.end())
        handles.push_back(hwnd);
}

void Remove(HWND hwnd)
{
    auto& handles = Listed();
    handles.erase(std::remove(handles.begin(), handles.end(), hwnd), handles.end());
}

}  // namespace event_windows

void BroadcastEvent(UINT msg, WPARAM wParam)
{
    // A receiver may destroy windows or create new ones; the broadcast goes
    // to those listed when it began that still exist.
    const std::vector<HWND> snapshot = Listed();
    for (HWND hwnd : snapshot) {
        if (platform::IsWindow(hwnd))
            platform::SendMessage(hwnd, msg, wParam, 0);
    }
}
