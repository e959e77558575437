#pragma once
// The preview window: a small borderless window that stays on top, built
// from "skin/preview/skin.xml", holding the preview player (601). Any point
// that is not a control drags it (as in every skinned window); its close box and its "play in the main
// window" button post WM_PREVIEW_CLOSE and WM_PREVIEW_TO_MAIN to the main window.
#include "shell/window/wnd_flash_play.h"
#include "ui/widgets/panel_window.h"

#include <memory>

class CPlayRequestManager;

class CPreviewWindow : public ui::FCPanelWindow {
    Q_OBJECT
public:
    CPreviewWindow(HWND mainWindow, CPlayRequestManager& playServer);
    ~CPreviewWindow() override;

    // Loads the skin; false when the skin or the player page is missing.
    bool Create();
    CWndFlashPlay* Player() { return player_.get(); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND mainWindow_;
    CPlayRequestManager& playServer_;
    std::unique_ptr<CWndFlashPlay> player_;
};
