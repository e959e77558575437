#pragma once
// A player of the program (600 in the main window, 601 in the preview): the
// player page in an embedded view. Calls go out as invoke XML; the page's
// FSCommand events come back through the event handler. Before each
// PlayVideo and StopVideo the play request of the URL played last is closed.
#include "common/ids/control_ids.h"
#include "platform/web/player_page_view.h"

#include <functional>
#include <memory>
#include <string>

class CPlayRequestManager;
class QWidget;

class CWndFlashPlay {
public:
    static constexpr int kMainPlayerId = control::kPlayer;
    static constexpr int kPreviewPlayerId = control::kPreviewPlayer;

    // Loads the page through the play server; IsLoaded() tells whether its
    // file was there.
    CWndFlashPlay(QWidget* parent, int ctrlId, CPlayRequestManager* playServer, int volume);
    ~CWndFlashPlay();

    QWidget* Widget() const { return page_.Widget(); }
    int GetCtrlId() const { return ctrlId_; }
    bool IsLoaded() const { return loaded_; }
    platform::PlayerPageView& Page() { return page_; }

    void CallFunction(const std::string& name, const std::string& argument,
                      platform::PlayerPageView::ResultHandler done = {});
    void PlayVideo(const std::string& url);
    void StopVideo();
    const std::string& GetLastUrl() const { return lastUrl_; }
    void SetEventHandler(platform::PlayerPageView::CommandHandler handler);

    // The page's folder and file in the program folder.
    static std::string PageFolder();
    static std::string PagePath();

private:
    void ClosePlayedRequest();

    platform::PlayerPageView page_;
    int ctrlId_;
    CPlayRequestManager* playServer_;
    std::string lastUrl_;
    bool loaded_ = false;
};
