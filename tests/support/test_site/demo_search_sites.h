#pragma once
// The demo's video sites to search, each a server of its own (so that
// results name different sites): a result page per keyword and page, video
// pages that detection resolves, thumbnails and a speed-test file. Their
// link and parse scripts, published in the demo's site list, are in
// demo_search_sites.cpp.
//
//   Demo Tube   plain result pages, 20 videos a page, 45 in all
//   Demo Clips  results filled in by a script a second after load ("ajax2")
//   Demo Slow   a result page that never finishes loading (times out)
//   Demo GBK    a result page in GBK, keywords percent-encoded in GBK ("gb2312")
#include "test_site/test_site.h"

#include <memory>
#include <string>
#include <vector>

namespace test_site {

struct DemoSearchSite {
    std::string name;
    std::string coding;
    std::string linkScript;
    std::string parseScript;
    int testFileBytes = 65536;  // the speed test's file; under 8 KiB says nothing
    std::unique_ptr<TestSite> server;
    // "http://localhost:<port>": the program skips traffic to 127.0.0.1 as
    // its own, so the sites go by name for their video pages to be detected.
    std::string Host() const;
};

class DemoSearchSites {
public:
    static constexpr int kTubeResults = 45;
    static constexpr int kPerPage = 20;

    // One server per site on firstPort, firstPort + 1, ... (0: free ports).
    // The video pages play this file (an H.264 FLV or an MP4).
    bool Start(int firstPort, const std::string& videoFile);
    const std::vector<DemoSearchSite>& Sites() const { return sites_; }

private:
    std::vector<DemoSearchSite> sites_;
};

}  // namespace test_site
