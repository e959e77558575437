#pragma once
// An HTML view of the program: a QtWebEngine page (with or without a
// widget) and the events the program's views use — before-navigate with a
// cancel flag, title change, new window, document complete (top level),
// navigation error — and scripts whose results come back later.
//
// The program's own URL schemes ("playxev://", "inxev://", "addxev://",
// "searchxev://", "searchtagxev://", "tipxev://") are not URLs a browser
// can keep: a script injected into every document stops such navigations
// (links, location changes through the Navigation API, window.open) and
// reports their raw text, which reaches beforeNavigate with programScheme
// set. Ordinary navigations come from the page itself and can be
// cancelled there.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWebEnginePage;
class QWidget;

namespace platform {

class HtmlView {
public:
    struct Events {
        // url: the address; for a program scheme the raw text as the page had
        // it. Setting cancel stops an ordinary navigation (a program scheme's
        // is always stopped).
        std::function<void(const std::string& url, bool programScheme, bool& cancel)> beforeNavigate;
        std::function<void(const std::string& title)> titleChanged;
        // A page asks for a new window: a view to open it in, or null to
        // cancel it.
        std::function<HtmlView*()> newWindow;
        // The top-level document finished loading.
        std::function<void(const std::string& url)> documentComplete;
        // The top-level document failed: an HTTP status of 400 or more, or
        // a negative network error code (-105: name not resolved, -102:
        // connection refused).
        std::function<void(const std::string& url, int code)> navigationError;
    };
    struct Options {
        bool loadImages = true;
        bool muted = false;
        bool scripts = true;
    };

    enum class Profile {
        // The browser's default profile, with its cookies and cache, shared
        // by every view that has it.
        Shared,
        // A profile of this view alone: off the record, no HTTP cache (every
        // answer comes from the network), its players' requests marked with
        // the media-request header, and every address its pages ask for
        // known to the view (Requested). Detection views use it, so that
        // what other views fetch is never taken for their page's traffic.
        Own,
    };

    // withWidget false: a page without a view (hidden detection views).
    explicit HtmlView(QWidget* parent = nullptr, bool withWidget = true, Profile profile = Profile::Shared);
    ~HtmlView();
    HtmlView(const HtmlView&) = delete;
    HtmlView& operator=(const HtmlView&) = delete;

    QWidget* Widget() const;
    void SetEvents(Events events);
    void SetOptions(const Options& options);
    void Navigate(const std::string& url);
    void Stop();
    std::string Url() const;
    std::string Title() const;
    // The User-Agent the page's requests carry.
    std::string UserAgent() const;
    // Whether this view's pages asked for the address (any kind of request,
    // the fragment aside); a view on the shared profile knows of none.
    bool Requested(const std::string& url) const;
    bool IsAudioMuted() const;
    // Runs the script in the page; its value as text (empty for none)
    // reaches done later.
    void ExecScript(const std::string& code, std::function<void(const std::string& result)> done = {});

    static const std::vector<std::string>& ProgramSchemes();

private:
    friend class HtmlPage;
    QWebEnginePage* Page() const;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
