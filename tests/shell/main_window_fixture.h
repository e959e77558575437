#pragma once
// The main window with the real player page in QtWebEngine (offscreen), for
// the main window's test files. CTest runs every case in a process of its
// own, so each case gets a fresh window (one browser engine per process).
#include "common/app_folder.h"
#include "common/event_window.h"
#include "platform/desktop_integration.h"
#include "platform/web/player_page_view.h"
#include "delivery/flv_cache.h"
#include "detection/interception_proxy.h"
#include "platform/web/media_request_header.h"
#include "shell/settings/records_ops.h"
#include "shell/settings/app_setting.h"
#include "shell/player/play_control.h"
#include "app/program_parts.h"
#include "shell/window/ovrin_dlg.h"
#include "support/event_wait.h"
#include "test_site/test_site.h"
#include "test_site/test_videos.h"
#include "ui/widgets/button.h"
#include "ui/widgets/player_controls.h"
#include "ui/widgets/player_ctrl_factory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QApplication>
#include <QLabel>
#include <QSlider>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace main_window_test {

namespace fs = std::filesystem;
using test_support::RunEventsUntil;

// The point of a slider's track at the share `percent` of its width.
inline QPoint TrackPoint(const QWidget* slider, int percent)
{
    return QPoint(slider->width() * percent / 100, slider->height() / 2);
}

struct Event {
    std::string command;
    std::string args;
};

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The browser views go through the interception proxy as in the
        // program, loopback included, so that pages on the site can be
        // detected.
        proxy = std::make_unique<CHookInternetAPI>();
        ASSERT_TRUE(proxy->Start());
        platform::RouteWebEngineThroughProxy(proxy->Port());
        platform::PrepareWebEngineEnvironment();
        platform::InstallMediaRequestHeader();
        folder = (fs::temp_directory_path() / ("quelt-window-test-" + std::to_string(::getpid()))).string() + "/";
        fs::create_directories(folder + "temp");
        fs::create_directories(folder + "favorite");
        fs::create_directory_symlink(QUELT_APP_DIR "/skin", folder + "skin");
        SetAppFolderForTesting(folder);
        ui::RegisterPlayerControls();
        ui::FCSetApplicationCtrlFactory(&ui::CPlayerCtrlFactory::Instance());
        site = std::make_unique<test_site::TestSite>();
        ASSERT_TRUE(site->Start());
        settings = std::make_unique<CAppSetting>();
        settings->configUrl = "http://127.0.0.1:1/no-update";  // no update question in a test
        StartWindow();
        window->SetPlayerEventObserver([](const std::string& command, const std::string& args) {
            events.push_back({command, args});
        });
    }
    // The program's parts and its window, built and started as at the
    // program's start.
    static void StartWindow()
    {
        parts = std::make_unique<CProgramParts>(*settings);
        window = std::make_unique<COvrinDlg>(*settings, desktop, parts->WindowParts());
        std::string error;
        ASSERT_TRUE(window->Start("", error)) << error;
        parts->ConnectWindow(*window);
        parts->StartServices();
    }
    static void TearDownTestSuite()
    {
        window.reset();
        parts.reset();
        settings.reset();
        site.reset();
        proxy.reset();
        SetAppFolderForTesting("");
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    void SetUp() override
    {
        ASSERT_NE(window, nullptr) << "the window did not start";
        events.clear();
        window->Control().StopPlaying();
        settings->playList.PCL_DeleteAllObjects();
    }

    static InfoVideo* AddRecord(const std::string& key, const std::string& path)
    {
        auto* video = new InfoVideo;
        video->a0 = "2";
        video->a1 = key;
        video->a2 = key;
        video->a4 = site->Url(path);
        settings->playList.PCL_PushObject(video);
        // As AddVideo does: the views rebuild.
        BroadcastEvent(WM_EVENT_VIDEO_UPDATED, reinterpret_cast<WPARAM>(&key));
        return video;
    }
    static std::size_t Count(const std::string& command, const std::string& part)
    {
        std::size_t count = 0;
        for (const Event& event : events)
            count += event.command == command && event.args.find(part) != std::string::npos;
        return count;
    }
    static bool WaitFor(const std::string& command, const std::string& part, std::size_t count = 1)
    {
        return RunEventsUntil([&] { return Count(command, part) >= count; }, std::chrono::seconds(60));
    }
    // The player page's answer to a call of the protocol, the text inside
    // its <string> element (empty when it gives none).
    static std::string AskPlayer(const std::string& name)
    {
        std::string answer;
        bool done = false;
        window->Player()->CallFunction(name, "null", [&](const std::string& result) {
            answer = result;
            done = true;
        });
        if (!RunEventsUntil([&] { return done; }))
            return {};
        const std::size_t open = answer.find("<string>");
        const std::size_t close = answer.rfind("</string>");
        if (open == std::string::npos || close == std::string::npos || close < open)
            return {};
        return answer.substr(open + 8, close - open - 8);
    }
    // The seconds of the page's last "VideoProcess" report, -1 before one.
    static int LastPosition()
    {
        for (auto event = events.rbegin(); event != events.rend(); ++event)
            if (event->command == "VideoProcess")
                return std::atoi(event->args.c_str());
        return -1;
    }
    static std::string TimeLabel()
    {
        auto* label = dynamic_cast<QLabel*>(window->GetCtrl(270));
        return label ? label->text().toStdString() : std::string();
    }

    // The distinct colours on a 12 x 12 grid over the area: a frame of the
    // test pattern shows many, a black or empty area one or two.
    static int GridColours(const QImage& image, const QRect& area)
    {
        std::set<QRgb> colours;
        for (int row = 0; row < 12; ++row)
            for (int column = 0; column < 12; ++column) {
                const QPoint point(area.left() + area.width() * (2 * column + 1) / 24,
                                   area.top() + area.height() * (2 * row + 1) / 24);
                if (image.rect().contains(point))
                    colours.insert(image.pixel(point));
            }
        return static_cast<int>(colours.size());
    }

    inline static std::string folder;
    inline static std::unique_ptr<test_site::TestSite> site;
    inline static std::unique_ptr<CAppSetting> settings;
    inline static std::unique_ptr<CProgramParts> parts;
    inline static std::unique_ptr<COvrinDlg> window;
    inline static std::vector<Event> events;
    inline static std::unique_ptr<CHookInternetAPI> proxy;
    // The window never opens the settings dialog here.
    inline static const platform::DesktopIntegration desktop{"/nonexistent/quelt"};
};

}  // namespace main_window_test
