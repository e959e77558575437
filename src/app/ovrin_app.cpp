// The program's start-up and its orderly end.
#include "app/ovrin_app.h"

#include "app/app_skin_color_settings.h"
#include "app/command_line.h"
#include "app/installation.h"
#include "app/program_parts.h"
#include "app/start_request.h"
#include "common/app_folder.h"
#include "common/string_table.h"
#include "delivery/flv_cache.h"
#include "detection/interception_proxy.h"
#include "image/skin_color_tone.h"
#include "platform/desktop_integration.h"
#include "platform/display_fallback.h"
#include "platform/quiet_terminal.h"
#include "platform/quit_signals.h"
#include "platform/single_instance.h"
#include "platform/web/media_request_header.h"
#include "platform/web/player_page_view.h"
#include "records/info_video.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"
#include "shell/settings/service_hosts.h"
#include "shell/settings/setting_autosave.h"
#include "shell/stats/usage_reports.h"
#include "shell/window/ovrin_dlg.h"
#include "ui/widgets/player_controls.h"
#include "ui/widgets/player_ctrl_factory.h"
#include "ui/widgets/skin_paint.h"
#include "ui/widgets/ui_text.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QMessageBox>

#include <cstdio>
#include <filesystem>

namespace {

void CreateProgramFolders()
{
    std::error_code ec;
    std::filesystem::create_directories(GetCacheFolder(), ec);
    std::filesystem::create_directories(GetFavoriteFolder(), ec);
}

// Without a display nobody could close a message box: the reason goes to
// the terminal only.
void ReportFatal(const std::string& text)
{
    std::fprintf(stderr, "quelt: %s\n", text.c_str());
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QMessageBox::critical(nullptr, ui::Text(IDS_PRODUCT_NAME),
                              QString::fromStdString(text));
}

// "uninstall": the running instance is told to exit; waits at most 2 s,
// and not at all when none runs.
int Uninstall(const platform::SingleInstance& instance)
{
    if (instance.SendToRunning(platform::SingleInstance::kTagExit, {}))
        instance.WaitUntilGone(2000);
    return 0;
}

// The uninstall feedback page, in the user's browser; without a display
// there is no browser to show it.
void SendUninstallReport(const CAppSetting& settings)
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    const CStatQuerySource query(settings);
    QDesktopServices::openUrl(
        QUrl(QString::fromStdString(BuildUninstallReportUrl(settings, query, service_hosts::kStatsHost))));
}

}  // namespace

int COvrinApp::Run(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == kMenuEntryArgument)
        return platform::DesktopIntegration(GetAppFolder() + "quelt").WriteMenuEntry() ? 0 : 1;
    platform::QuietTerminal(platform::WantsVerboseTerminal(AsksForVerbose(argc, argv)));
    // The browser views reach the web through the interception proxy,
    // loopback included (the detection skips the program's own play server
    // by its address); the flag must be set before the browser starts.
    CHookInternetAPI proxy;
    if (proxy.Start())
        platform::RouteWebEngineThroughProxy(proxy.Port());
    const bool offscreen = platform::UseOffscreenWithoutDisplay();
    platform::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    platform::InstallMediaRequestHeader();
    CreateProgramFolders();
    // After the application object, which takes Qt's own options away.
    const StartRequest request = ParseArguments(argc, argv);
    if (offscreen && !request.uninstall)
        std::fprintf(stderr, "quelt: no display found: the window runs offscreen\n");
    if (request.problem != PathProblem::None)
        std::fprintf(stderr, "quelt: %s\n", BadPathReason(request).c_str());
    const std::string productName = LoadString(IDS_PRODUCT_NAME);
    QApplication::setApplicationName(QString::fromStdString(productName));

    static CAppSetting& settings = AppSetting();
    static CAppSkinColorSettings colourSettings(settings);
    static CSkinColorTone colourScheme(colourSettings);
    ui::FCSetSkinColorScheme(&colourScheme);
    ui::RegisterPlayerControls();
    ui::FCSetApplicationCtrlFactory(&ui::CPlayerCtrlFactory::Instance());
    settings.Load(GetSettingFilePath());
    // Menus and message boxes in the skin's colours (of the loaded scheme).
    ui::FCApplySkinLook();
    const platform::DesktopIntegration desktop(GetAppFolder() + "quelt");
    if (settings.associateFlv && !request.uninstall)
        desktop.AssociateFlv();

    platform::SingleInstance instance(platform::SingleInstance::NameFor(GetAppFolder()));
    if (request.uninstall) {
        desktop.SetAutoStart(false);
        desktop.DissociateFlv();
        desktop.RemoveMenuEntry();
        const int result = Uninstall(instance);
        SendUninstallReport(settings);
        // An installed program goes with its command, menu entry and icon.
        RemoveInstallation(GetAppFolder());
        return result;
    }
    COvrinDlg* window = nullptr;
    const bool first = instance.BecomeInstance([&window](std::uint32_t tag, const std::string& text) {
        if (!window)
            return;
        if (tag == platform::SingleInstance::kTagActivate)
            window->ShowAndActivate();
        else if (tag == platform::SingleInstance::kTagPlay && text.starts_with("http"))
            window->Control().AddVideo("", text, kAddPlayNow);
        else if (tag == platform::SingleInstance::kTagPlay && !text.empty())
            window->Control().PlayItem(text);
        else if (tag == platform::SingleInstance::kTagTipPage)
            window->ShowTipPage(text);
        else if (tag == platform::SingleInstance::kTagExit)
            window->close();
    });
    if (!first) {
        // A path that names no file changes nothing in the running instance.
        if (request.problem != PathProblem::None)
            return kExitBadArgument;
        // The running instance comes to the front and plays what was given.
        instance.SendToRunning(platform::SingleInstance::kTagActivate, {});
        const std::string key = !request.pendingKey.empty() ? request.pendingKey : request.pageUrl;
        if (!key.empty())
            instance.SendToRunning(platform::SingleInstance::kTagPlay, key);
        return 0;
    }

    // From here on every change reaches the disk within seconds.
    CSettingAutoSave autoSave(settings, GetSettingFilePath());
    CProgramParts parts(settings);
    COvrinDlg dialog(settings, desktop, parts.WindowParts());
    window = &dialog;
    // The Exit command, the close button and the quit signals all end the
    // program the same way: the window runs its exit sequence and closes,
    // the event loop ends, and the settings are saved below.
    platform::OnQuitSignals([&dialog] {
        dialog.close();
        QApplication::quit();
    });
    std::string error;
    if (!dialog.Start(request.pendingKey, error)) {
        ReportFatal(error);
        return 1;
    }
    parts.ConnectWindow(dialog);
    parts.StartServices();
    ActOnStartRequest(dialog, settings, request);
    // For the start-up benchmark: say when the player page is ready, and end.
    if (qEnvironmentVariableIsSet("QUELT_EXIT_WHEN_READY"))
        dialog.Player()->Page().SetReadyHandler([] {
            std::printf("quelt: ready\n");
            std::fflush(stdout);
            QApplication::quit();
        });

    const int result = app.exec();
    // The writer's last text goes first, so the two never share the file.
    autoSave.Finish();
    settings.Save(GetSettingFilePath());
    return result;
}
