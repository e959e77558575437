#pragma once
// The browser views' media players announce themselves as the old Flash
// player did: "x-flash-version: 9,0,115,0" on every request of a media
// element and of XHR/fetch (which MSE players such as mpegts.js use), so
// that detection can tell a player's requests from the page's others. The
// same requests can be watched (detection confirms HTTPS streams, which
// its proxy sees only as tunnels, by their addresses).
#include <functional>
#include <string>

class QWebEngineUrlRequestInfo;

namespace platform {

inline constexpr const char* kFlashVersionHeader = "x-flash-version";
inline constexpr const char* kFlashVersionValue = "9,0,115,0";

// Installs the header on the default browser profile; call once, before
// the first view loads. Views with a profile of their own
// (HtmlView::Profile::Own) carry it whether or not this was called.
void InstallMediaRequestHeader();

// For the profiles' request interceptors: adds the header to a player's
// request and tells the watchers of it; false (and nothing done) for any
// other request.
bool MarkPlayerRequest(QWebEngineUrlRequestInfo& info);

// A request of a media player (media element or XHR/fetch) of some view,
// and the address of the top-level page it belongs to.
struct PlayerRequest {
    std::string url;
    std::string pageUrl;
};
// Watchers hear of every player request of every view, on the user-interface
// thread, after the request went out. Returns an id for Unwatch.
int WatchPlayerRequests(std::function<void(const PlayerRequest&)> watcher);
void UnwatchPlayerRequests(int id);

}  // namespace platform
