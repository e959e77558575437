#pragma once
// The service lists the demo service publishes, enciphered as the program
// downloads them, each with its ".seupdate" version file: search sites,
// categories, speed information, special and related sites, and the
// connectivity probe file.
#include "test_site/demo_search_sites.h"
#include "test_site/test_site.h"

namespace test_site {

// Publishes every list under "/file/<n>/f.xml" of the site; the search
// lists name the demo's video sites (none given: the lists hold no sites).
void PublishDemoLists(TestSite& site, const DemoSearchSites* videoSites = nullptr);

}  // namespace test_site
