// Shows a skin file in a skinned window, with the places of controls that
// do not exist yet outlined: quelt_skin_viewer <program folder>/skin/<name>/skin.xml
// Commands of the skin's items and buttons are printed.
#include "common/app_folder.h"
#include "ui/widgets/panel_window.h"
#include "ui/widgets/player_ctrl_factory.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quelt_skin_viewer <program folder>/skin/<name>/skin.xml\n");
        return 2;
    }
    // Images are named below the program folder: the folder that holds skin/.
    const std::string path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath().toStdString();
    const std::size_t skinFolder = path.rfind("skin/");
    if (skinFolder != std::string::npos)
        SetAppFolderForTesting(path.substr(0, skinFolder));

    ui::FCSetApplicationCtrlFactory(&ui::CPlayerCtrlFactory::Instance());
    ui::FCPanelWindow window;
    window.SetDrawPlaceholders(true);
    window.SetCommandHandler([](int id) { std::printf("command %d\n", id), std::fflush(stdout); });
    if (!window.LoadSkin(path))
        window.resize(320, 200);
    window.setWindowTitle(QString::fromStdString(path));
    window.show();
    return app.exec();
}
