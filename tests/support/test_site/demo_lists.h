#pragma once
// The service lists the demo service publishes, enciphered as the program
// downloads them, each with its ".seupdate" version file: search sites,
// categories, speed information, special and related sites, and the
// connectivity probe file. The demo video sites they name are served too.
#include "test_site/test_site.h"

#include <string>

namespace test_site {

// Publishes every list under "/file/<n>/f.xml" of the site, whose address
// is http://127.0.0.1:<port>.
void PublishDemoLists(TestSite& site, int port);

// The demo's video sites: a name and the folder of their pages.
struct DemoVideoSite {
    const char* name;
    const char* folder;     // "/sites/<folder>/"
    int testFileBytes;      // the speed test's file; under 8 KiB says nothing
};
inline constexpr DemoVideoSite kDemoVideoSites[] = {
    {"Demo Tube", "tube", 65536},
    {"Demo Clips", "clips", 65536},
    {"Demo Tiny", "tiny", 4096},
};

}  // namespace test_site
