#pragma once
// An HTML view of the program: a QtWebEngine page (with or without a
// widget) and the events the program's views use — before-navigate with a
// cancel flag, title change, new window, document complete (top level),
// navigation error — and scripts whose results come back later.
//
// The program's own URL schemes ("playxev://page&&&Title", ...) are not
// URLs a browser can keep: a script injected into every document stops
// navigations to an address that holds one of their prefixes (links,
// location changes through the Navigation API, window.open) and reports
// their raw text, which reaches beforeNavigate with programScheme set. The
// program hands the list of prefixes over once at start
// (SetProgramSchemes). Ordinary navigations come from the page itself and
// can be cancelled there.
//
// The browser's own context menu never shows: a right click reports the
// raw href of the link under the mouse (empty for none) and the point, in
// the view's coordinates, to contextMenu.
#include <cstdint>
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
        // The page's title; while it has none, its whole address.
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
        // A right click in the page: the link's raw href (empty when the
        // mouse is on no link) and where, in the view's coordinates.
        std::function<void(const std::string& href, int x, int y)> contextMenu;
    };
    struct Options {
        bool loadImages = true;
        bool muted = false;
        bool scripts = true;
        // A page of the program's folder may show what the network serves
        // (the sites' thumbnails on the program's own pages).
        bool localPagesUseNetwork = false;
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
    // The view shows this colour (0xRRGGBB) where a browser shows white,
    // while it waits and under the program's own pages (local files); from
    // the first page of a site on, pages get the browser's white base.
    void SetWaitingBackground(std::uint32_t rgb);
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

    // The prefixes ("playxev://", ...) whose navigations are stopped and
    // reported, in views created afterwards; none until the program sets
    // them. Compared without case, wherever they occur in an address.
    static void SetProgramSchemes(std::vector<std::string> prefixes);
    static const std::vector<std::string>& ProgramSchemes();

private:
    friend class HtmlPage;
    QWebEnginePage* Page() const;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
