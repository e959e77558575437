#include "shell/window/preview_window.h"

#include "common/app_folder.h"
#include "common/ids/command_ids.h"
#include "common/ids/message_ids.h"
#include "ui/widgets/player_ctrl_factory.h"

CPreviewWindow::CPreviewWindow(HWND mainWindow, CPlayRequestManager& playServer)
    : FCPanelWindow(nullptr), mainWindow_(mainWindow), playServer_(playServer)
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

CPreviewWindow::~CPreviewWindow()
{
    if (player_)
        player_->StopVideo();
}

bool CPreviewWindow::Create()
{
    // The skin's "flash_player" is the main window's while it exists; the
    // preview skin's one is made here for the time of the load.
    auto& factory = ui::CPlayerCtrlFactory::Instance();
    factory.PushOverride("flash_player", [this](const pugi::xml_node&, const QRect& rect, QWidget* parent) -> QWidget* {
        player_ = std::make_unique<CWndFlashPlay>(parent, CWndFlashPlay::kPreviewPlayerId, &playServer_, 0);
        player_->Widget()->setGeometry(rect);
        player_->Widget()->show();
        return player_->Widget();
    });
    const bool loaded = LoadSkin(GetAppFolder() + "skin/preview/skin.xml");
    factory.PopOverride("flash_player");
    return loaded && player_ && player_->IsLoaded();
}

LRESULT CPreviewWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) {
        const int id = static_cast<int>(wParam & 0xFFFF);
        if (id == command::kClosePreview)
            platform::PostMessage(mainWindow_, WM_PREVIEW_CLOSE, 0, 0);
        else if (id == command::kPreviewToMain)
            platform::PostMessage(mainWindow_, WM_PREVIEW_TO_MAIN, 0, 0);
        return 0;
    }
    return FCPanelWindow::WindowProc(msg, wParam, lParam);
}
