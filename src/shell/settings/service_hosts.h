#pragma once
// Every default service address of the program, in one place. Until the
// project runs a public service they name the embedded demo service on
// 127.0.0.1, so that a fresh install talks to something real.
namespace service_hosts {

inline constexpr const char* kDemoHost = "127.0.0.1";
inline constexpr int kDemoPort = 20080;

inline constexpr const char* kUpdateHost = "http://127.0.0.1:20080";
inline constexpr const char* kFileHost = "http://127.0.0.1:20080";
inline constexpr const char* kContentHost = "http://127.0.0.1:20080";
inline constexpr const char* kHomePage = "http://127.0.0.1:20080/";
inline constexpr const char* kForumHost = "http://127.0.0.1:20080";
inline constexpr const char* kFlashVendorHost = "http://127.0.0.1:20080";
// The detection service (lookups of a page's stream and reports of found
// ones) listens on port 5678; the segment service lists a stream's further
// segments.
inline constexpr int kDetectionServicePort = 5678;
inline constexpr const char* kDetectionService = "http://127.0.0.1:5678/c.quelt?";
inline constexpr const char* kSegmentService = "http://127.0.0.1:20080/flash_process_url.php?url=";
// The usage reports: use, install and uninstall on one host, online on a
// second. The demo service answers them, so by default nothing leaves the
// machine.
inline constexpr const char* kStatsHost = "http://127.0.0.1:20080";
inline constexpr const char* kStatsOnlineHost = "http://127.0.0.1:20080";
// The names the connectivity watch resolves to know the network is there.
// "localhost" resolves without a network, so the demo set-up becomes ready
// offline; a public build names well-known portals here.
inline constexpr const char* kPortalHosts[] = {"localhost", "localhost.localdomain", "ip6-localhost"};

}  // namespace service_hosts
