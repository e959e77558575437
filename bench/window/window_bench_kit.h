#pragma once
// What the benchmarks of the window and of detection share: waiting on the
// event loop, medians, a program folder with the build's skins, and the
// bare QtWebEngine page that is their peer.
#include "common/app_folder.h"
#include "app/program_parts.h"
#include "shell/window/ovrin_dlg.h"
#include "ui/widgets/player_controls.h"
#include "ui/widgets/player_ctrl_factory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "window/process_memory.h"

namespace bench {

inline bool RunUntil(const std::function<bool()>& done, int timeoutMs = 60000, int pollMs = 50)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, pollMs);
    }
    return true;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The resident memory (VmRSS) of a process and all its descendants, in
// KiB; `processes` counts them, the root included.
inline long ProcessTreeRssKib(pid_t root, int* processes = nullptr)
{
    const TreeMemory tree = TreeRss(root);
    if (processes)
        *processes = tree.descendants + 1;
    return tree.rssKib;
}

// A program folder in /tmp with the build's skins (appDir/skin), made the
// program's folder; removed with the object.
class ProgramFolder {
public:
    ProgramFolder(const std::string& name, const std::string& appDir)
        : path_((std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))).string() + "/")
    {
        std::filesystem::create_directories(path_ + "temp");
        std::filesystem::create_directory_symlink(appDir + "/skin", path_ + "skin");
        SetAppFolderForTesting(path_);
        ui::RegisterPlayerControls();
        ui::FCSetApplicationCtrlFactory(&ui::CPlayerCtrlFactory::Instance());
    }
    ~ProgramFolder()
    {
        SetAppFolderForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A plain page whose script logs "playing" when its video plays.
class BarePage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    bool playing = false;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int, const QString&) override
    {
        if (message == QLatin1String("playing"))
            playing = true;
    }
};

// The peer's view: a shown 660 x 492 window whose page may play unasked.
struct BareView {
    BareView() : page(new BarePage(&view))
    {
        page->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        view.setPage(page);
        view.resize(660, 492);
        view.show();
    }
    QWebEngineView view;
    BarePage* page;
};

// Starts the main window and waits for its player page; `started` is set
// at every "Play.Start". False (with the reason printed) when it cannot.
inline bool StartWindow(CProgramParts& parts, COvrinDlg& window, bool& started)
{
    std::string error;
    if (!window.Start("", error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    parts.ConnectWindow(window);
    window.SetPlayerEventObserver([&started](const std::string& command, const std::string& args) {
        if (command == "OnStatus" && args.find("Play.Start") != std::string::npos)
            started = true;
    });
    return RunUntil([&] { return window.Player()->Page().IsReady(); });
}

}  // namespace bench
