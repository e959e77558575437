#include "common/event_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_heard;

class Listener : public CEventWindowBaseT<CWnd> {
public:
    explicit Listener(std::string name) : name_(std::move(name)) {}
    std::function<void()> onNetworkReady;

protected:
    void OnEventNetworkReady() override
    {
        g_heard.push_back(name_ + ":ready");
        if (onNetworkReady)
            onNetworkReady();
    }
    void OnEventVideoUpdated(const std::string& key) override { g_heard.push_back(name_ + ":" + key); }
    void OnEventSkinRecoloured() override { g_heard.push_back(name_ + ":skin"); }
    void OnEventFlvDownloadProgress(InfoVideo* video) override
    {
        g_heard.push_back(name_ + (video ? ":progress" : ":null"));
    }

private:
    std::string name_;
};

class EventWindows : public ::testing::Test {
protected:
    void SetUp() override { g_heard.clear(); }
};

}  // namespace

TEST_F(EventWindows, BroadcastReachesEachWindowOnceInCreationOrder)
{
    Listener b("b"), a("a");
    b.Create();
    a.Create();
    event_windows::Add(b.GetSafeHwnd());  // listing twice keeps one entry

    const std::string key = "http://v/1";
    BroadcastEvent(WM_EVENT_VIDEO_UPDATED, reinterpret_cast<WPARAM>(&key));
    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    BroadcastEvent(WM_EVENT_SKIN_RECOLOURED, 0);
    BroadcastEvent(WM_FLV_DOWNLOAD_PROGRESS, 0);
    EXPECT_EQ(g_heard, (std::vector<std::string>{"b:http://v/1", "a:http://v/1", "b:ready", "a:ready", "b:skin",
                                                 "a:skin", "b:null", "a:null"}));
}

TEST_F(EventWindows, DestroyedWindowsLeaveTheListAndAreNotSentTo)
{
    auto first = std::make_unique<Listener>("first");
    Listener second("second"), third("third"), late("late");
    first->Create();
    second.Create();
    third.Create();
    late.Create();
    const HWND firstHandle = first->GetSafeHwnd();

    first.reset();
    EXPECT_FALSE(platform::IsWindow(firstHandle));
    second.Destroy();
    EXPECT_EQ(platform::SendMessage(second.GetSafeHwnd(), WM_EVENT_NETWORK_READY), 0);

    // A receiver that destroys a window listed after it during the broadcast.
    third.onNetworkReady = [&] { late.Destroy(); };
    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    EXPECT_EQ(g_heard, (std::vector<std::string>{"third:ready"}));
}
