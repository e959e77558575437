#pragma once
// The browser views' media players announce themselves as the old Flash
// player did: "x-flash-version: 9,0,115,0" on every request of a media
// element and of XHR/fetch (which MSE players such as mpegts.js use), so
// that detection can tell a player's requests from the page's others.
namespace platform {

inline constexpr const char* kFlashVersionHeader = "x-flash-version";
inline constexpr const char* kFlashVersionValue = "9,0,115,0";

// Installs the header on the default browser profile; call once, before
// the first view loads.
void InstallMediaRequestHeader();

}  // namespace platform
