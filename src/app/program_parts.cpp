#include "app/program_parts.h"

#include "common/app_folder.h"
#include "common/event_window.h"
#include "common/ids/command_ids.h"
#include "common/lang/translate.h"
#include "common/ids/control_ids.h"
#include "common/string_table.h"
#include "platform/web/html_view.h"
#include "platform/web/page_texts.h"
#include "search/scheme_url.h"
#include "shell/lists/play_list_layout.h"
#include "search/views/parse_html_view.h"
#include "shell/net/connect_net_state.h"
#include "shell/search_tabs/play_search_view_manager.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/service_hosts.h"
#include "shell/window/ovrin_dlg.h"
#include "ui/widgets/ui_text.h"

#include <QMessageBox>
#include <QPointer>
#include <QProcess>

#include <iterator>

class CProgramParts::NetworkWatch : public TOLConnectNetState {
public:
    explicit NetworkWatch(CProgramParts& parts) : parts_(parts) {}
    ~NetworkWatch() override { CloseMergeWindow(); }

protected:
    void OnNetworkReady() override { parts_.OnNetworkReady(); }

private:
    CProgramParts& parts_;
};

// The playing video's download progress, for the terminal.
class CProgramParts::ProgressWatch : public CEventWindowBaseT<CWnd> {
public:
    explicit ProgressWatch(CProgramParts& parts) : parts_(parts) { Create(); }

protected:
    void OnEventFlvDownloadProgress(InfoVideo* video) override
    {
        if (!video || !parts_.window_ || video->a2 != parts_.window_->Control().PlayingKey())
            return;
        const double share = CachedShare(*video, parts_.downloads_.GetHlsStatus(video->a2));
        parts_.report_.Caching(video->a2, static_cast<int>(share * 100));
    }

private:
    CProgramParts& parts_;
};

// The keyword search's way to the window: found videos join its play list,
// and the search tabs' manager (control 215), when the skin made one,
// narrows the search and rates the sites. Nothing before ConnectWindow,
// nor once the window is gone.
class CProgramParts::KeywordHost : public IKeywordSearchHost {
public:
    void Connect(COvrinDlg& window) { window_ = &window; }
    void AddVideo(const std::string& title, const std::string& key, const std::string& mode) override
    {
        if (window_)
            window_->AddVideo(title, key, mode);
    }
    bool HasSearchViews() override { return Manager() != nullptr; }
    const std::vector<SpeedInfoRecord>* SpeedRecords() override
    {
        const PlaySearchViewManager* manager = Manager();
        return manager ? manager->SpeedRecords() : nullptr;
    }
    bool FullScreen() const { return window_ && window_->isFullScreen(); }

private:
    const PlaySearchViewManager* Manager() const
    {
        return window_ ? dynamic_cast<PlaySearchViewManager*>(window_->GetCtrl(control::kSearchViews)) : nullptr;
    }
    QPointer<COvrinDlg> window_;
};

CProgramParts::CProgramParts(CAppSetting& settings)
    : settings_(settings), statQuery_(settings), dayRunCount_(statQuery_, service_hosts::kStatsHost),
      clientCount_(settings, statQuery_, service_hosts::kStatsHost, service_hosts::kStatsOnlineHost),
      downloadSettings_(settings), detection_(std::make_unique<CProgramDetection>(settings, downloads_, report_)),
      downloads_(downloadSettings_, &playServer_, detection_.get()), router_(settings, downloads_),
      update_(settings.configUrl, GetAppFolder(), UpdateHooks())
{
    // Before any view exists: every view stops and reports the program's
    // own schemes, whoever builds the window on these parts,
    platform::HtmlView::SetProgramSchemes(scheme::ProgramSchemePrefixes());
    // and speaks the language of this run in the program's own pages.
    platform::SetPageTexts(lang::PageDictionaryJson(lang::CurrentLanguage()));
    dayRunCount_.SendUseReport(0);
    playServer_.SetRequestServer(&router_);
    keywordHost_ = std::make_unique<KeywordHost>();
    keywordSearch_ = std::make_unique<PlaySearchKeyManager>(
        settings.searchKeys, *keywordHost_,
        std::make_unique<CQueltMultiSearch>(
            CQueltParseHtmlView::Factory([this] { return keywordHost_->FullScreen(); })),
        [&settings] { return PlaySearchKeyManager::Lists{settings.searchUrl, settings.searchSettingInfoUrl}; });
}

CProgramParts::~CProgramParts()
{
    Stop();
    keywordSearch_.reset();
    playServer_.SetRequestServer(nullptr);
}

MainWindowParts CProgramParts::WindowParts()
{
    return MainWindowParts{downloads_, playServer_, router_, *detection_, &siteNames_, &speedInfo_};
}

void CProgramParts::ConnectWindow(COvrinDlg& window)
{
    window_ = &window;
    keywordHost_->Connect(window);
    detection_->ConnectPlayer(window.Control(), window);
    progressWatch_ = std::make_unique<ProgressWatch>(*this);
    window.SetPlayerEventObserver(
        [this](const std::string& command, const std::string& args) { OnPlayerEvent(command, args); });
}

void CProgramParts::OnPlayerEvent(const std::string& command, const std::string& args)
{
    if (!window_)
        return;
    if (command == "OnStatus" && args.find("Play.Start") != std::string::npos)
        report_.Playing(window_->Player()->GetLastUrl());
    else if (command == "OnSetStatus" && !args.empty())
        report_.Failed(args);
}

void CProgramParts::StartServices()
{
    networkWatch_ = std::make_unique<NetworkWatch>(*this);
    networkWatch_->StartWatch(std::vector<std::string>(std::begin(service_hosts::kPortalHosts),
                                                       std::end(service_hosts::kPortalHosts)));
    update_.StartCheck(0);
}

void CProgramParts::Stop()
{
    progressWatch_.reset();
    networkWatch_.reset();
    detection_->StopDetection();
}

// The network answers: the event windows learn it (the search tabs'
// manager measures the sites then), the connectivity probe file is
// fetched, then the install report (once per installation) and the online
// report (once per run) go out.
void CProgramParts::OnNetworkReady()
{
    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    connectProbe_.StartDownload(settings_.connectProbeUrl);
    clientCount_.SendInstallReport();
    clientCount_.SendOnlineReport();
}

// What the update check asks of the window: the question, the note, the
// Exit command and starting the updater in the program folder. Without a
// window there is nobody to ask, and nothing is updated.
CUpdateManager::Hooks CProgramParts::UpdateHooks()
{
    CUpdateManager::Hooks hooks;
    const QString product = ui::Text(IDS_PRODUCT_NAME);
    hooks.askToUpdate = [this, product] {
        return window_
               && QMessageBox::warning(window_, product, ui::Text(IDS_UPDATE_QUESTION),
                                       QMessageBox::Yes | QMessageBox::No)
                      == QMessageBox::Yes;
    };
    hooks.showUpdaterNote = [this, product] {
        QMessageBox::warning(window_, product, ui::Text(IDS_UPDATER_NOTE));
    };
    hooks.exitProgram = [this] {
        if (window_)
            platform::PostMessage(window_->GetSafeHwnd(), WM_COMMAND, command::kExit, 0);
    };
    hooks.startUpdater = [](const std::string& updater, const std::string& pid) {
        QProcess::startDetached(QString::fromStdString(updater), {QString::fromStdString(pid)},
                                QString::fromStdString(GetAppFolder()));
    };
    return hooks;
}
