#pragma once
// The player page in an embedded browser view: loads the program's page, runs its CallFunction(request) and hands the page's
// FSCommand(command, args) events to a handler, all on the user-interface
// thread. Calls made before the page is ready wait for it, in order.
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace platform {

class PlayerPageView {
public:
    using CommandHandler = std::function<void(const std::string& command, const std::string& args)>;
    using ResultHandler = std::function<void(const std::string& result)>;

    explicit PlayerPageView(QWidget* parent);
    ~PlayerPageView();
    PlayerPageView(const PlayerPageView&) = delete;
    PlayerPageView& operator=(const PlayerPageView&) = delete;

    // The view, a child of the parent given at construction.
    QWidget* Widget() const;
    // Loads the page from its address (the play server serves it, so that
    // the videos it fetches come from its own origin).
    void Load(const std::string& url);
    bool IsReady() const;
    void SetReadyHandler(std::function<void()> handler);
    void SetCommandHandler(CommandHandler handler);
    // The page asks for a stream it can play in place of a URL whose codecs
    // it cannot decode; the handler answers with that stream's URL, or
    // empty when there is none.
    void SetTranscodeHandler(std::function<std::string(const std::string& url)> handler);
    // Runs the page's CallFunction with the request; its answer (empty when
    // the call failed) reaches done later.
    void CallFunction(const std::string& request, ResultHandler done = {});

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Chromium settings the views need, applied before the first view exists:
// no sandbox when running as root, no GPU without a display.
void PrepareWebEngineEnvironment();
// Every browser view reaches the web through the HTTP proxy on this
// loopback port, loopback addresses included; set before the first view.
void RouteWebEngineThroughProxy(int port);

}  // namespace platform
