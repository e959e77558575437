// The quelt program. The main player window is not built yet: until it is,
// the program shows the main skin and runs the delivery spine (play server,
// download manager and cache) for a stream URL given on the command line.
#include "app/delivery_demo.h"
#include "common/app_folder.h"
#include "common/string_table.h"
#include "image/app_skin_color_settings.h"
#include "image/skin_color_tone.h"
#include "platform/quit_signals.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/setting_autosave.h"
#include "ui/widgets/ctrl_factory.h"
#include "ui/widgets/panel_window.h"
#include "ui/widgets/player_ctrl_factory.h"
#include "ui/widgets/skin_paint.h"

#include <QApplication>
#include <QLabel>

#include <cstdio>
#include <filesystem>

namespace {

constexpr int kCommandExit = 20100;
constexpr int kCommandClose = 20008;

void CreateProgramFolders()
{
    std::error_code ec;
    std::filesystem::create_directories(GetAppFolder() + "temp", ec);
    std::filesystem::create_directories(GetAppFolder() + "favorite", ec);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::string productName = LoadString(IDS_PRODUCT_NAME);
    QApplication::setApplicationName(QString::fromStdString(productName));
    CreateProgramFolders();

    CAppSetting& settings = AppSetting();
    settings.Load(GetSettingFilePath());
    // From here on every change reaches the disk within seconds.
    CSettingAutoSave autoSave(settings, GetSettingFilePath());

    static CAppSkinColorSettings colourSettings(settings);
    static CSkinColorTone colourScheme(colourSettings);
    ui::FCSetSkinColorScheme(&colourScheme);

    // The status bar shows the delivery's progress until the real one exists.
    QLabel* statusLabel = nullptr;
    ui::CPlayerCtrlFactory::Instance().Register(
        "status_bar", [&statusLabel](const pugi::xml_node&, const QRect& rect, QWidget* parent) {
            statusLabel = new QLabel(parent);
            statusLabel->setGeometry(rect);
            statusLabel->setStyleSheet(QStringLiteral("color: #9aa3b5;"));
            return statusLabel;
        });
    ui::FCSetApplicationCtrlFactory(&ui::CPlayerCtrlFactory::Instance());

    ui::FCPanelWindow window;
    window.setWindowTitle(QString::fromStdString(productName));
    window.LoadSkin(GetAppFolder() + "skin/main/skin.xml");
    window.SetDrawPlaceholders(true);
    // The Exit command, the close button and the quit signals all end the
    // program the same way: the window closes, the event loop ends, and the
    // settings are saved below.
    const auto exitProgram = [&window] {
        window.close();
        QApplication::quit();
    };
    window.SetCommandHandler([exitProgram](int command) {
        if (command == kCommandExit || command == kCommandClose)
            exitProgram();
    });
    platform::OnQuitSignals(exitProgram);

    CDeliveryDemo demo(settings, [&statusLabel](const std::string& text) {
        if (statusLabel)
            statusLabel->setText(QString::fromStdString(text));
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
    });
    if (argc > 1) {
        const std::string playUrl = demo.Play(argv[1]);
        std::printf("Play URL (open it in any player, e.g. ffplay or a browser): %s\n", playUrl.c_str());
        std::fflush(stdout);
    }
    window.show();

    const int result = app.exec();
    settings.Save(GetSettingFilePath());
    return result;
}
