#pragma once
// Event windows: windows that hear the program-wide broadcasts. They join
// one process-wide list when their window is created and leave it when it
// is destroyed; BroadcastEvent sends to each of them in that order.
#include "common/ids/message_ids.h"
#include "platform/window.h"

#include <string>

class InfoVideo;


// Sends (msg, wParam, 0) synchronously to every listed window, in the order
// they were listed. Windows destroyed during the broadcast are skipped.
void BroadcastEvent(UINT msg, WPARAM wParam);

namespace event_windows {
void Add(HWND hwnd);  // a handle is listed at most once
void Remove(HWND hwnd);
}  // namespace event_windows

template <typename Base>
class CEventWindowBaseT : public Base {
public:
    using Base::Base;
    ~CEventWindowBaseT() override { event_windows::Remove(this->GetSafeHwnd()); }

protected:
    virtual void OnEventFlvDownloadProgress(InfoVideo* /*video*/) {}
    virtual void OnEventVideoUpdated(const std::string& /*key*/) {}
    virtual void OnEventSkinRecoloured() {}
    virtual void OnEventNetworkReady() {}

    void OnCreate() override
    {
        Base::OnCreate();
        event_windows::Add(this->GetSafeHwnd());
    }
    void OnDestroy() override
    {
        event_windows::Remove(this->GetSafeHwnd());
        Base::OnDestroy();
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        switch (msg) {
        case WM_FLV_DOWNLOAD_PROGRESS:
            OnEventFlvDownloadProgress(reinterpret_cast<InfoVideo*>(wParam));
            return 0;
        case WM_EVENT_VIDEO_UPDATED:
            if (wParam)
                OnEventVideoUpdated(*reinterpret_cast<const std::string*>(wParam));
            return 0;
        case WM_EVENT_SKIN_RECOLOURED:
            OnEventSkinRecoloured();
            return 0;
        case WM_EVENT_NETWORK_READY:
            OnEventNetworkReady();
            return 0;
        default:
            return Base::WindowProc(msg, wParam, lParam);
        }
    }
};
