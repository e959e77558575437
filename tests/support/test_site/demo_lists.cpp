#include "test_site/demo_lists.h"

#include "search/list_cipher.h"

#include <string>
#include <vector>

namespace test_site {

namespace {

// One record of a list file; the meaning of the four texts depends on the list.
struct Entry {
    std::string n, s, l, c;
};

std::string Escape(const std::string& text)
{
    std::string out;
    for (char ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += ch;
        }
    }
    return out;
}

std::string ListXml(int version, const std::vector<Entry>& entries)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root version=\"" + std::to_string(version) + "\">\n";
    for (const Entry& e : entries)
        xml += "<i><n>" + Escape(e.n) + "</n><s>" + Escape(e.s) + "</s><l>" + Escape(e.l) + "</l><c>" + Escape(e.c)
               + "</c></i>\n";
    return xml + "</root>\n";
}

void Publish(TestSite& site, int number, int version, const std::vector<Entry>& entries)
{
    const std::string path = "/file/" + std::to_string(number) + "/f.xml";
    site.AddFile(path, EncipherListFile(ListXml(version, entries)), "text/plain");
    site.AddFile(path + ".seupdate", std::to_string(version), "text/plain");
}

Entry SearchEntry(const DemoSearchSite& site)
{
    return {site.name, site.parseScript, site.linkScript, site.coding};
}

}  // namespace

void PublishDemoLists(TestSite& site, const DemoSearchSites* videoSites)
{
    std::vector<Entry> search, special, related, speed;
    std::string allNames;
    if (videoSites) {
        for (const DemoSearchSite& video : videoSites->Sites()) {
            search.push_back(SearchEntry(video));
            speed.push_back({video.Host() + "/", video.Host() + "/speedtest.bin", "0|7000", video.name});
            allNames += (allNames.empty() ? "" : "|") + video.name;
            if (video.name == "Demo Tube")
                special.push_back(SearchEntry(video));
            if (video.name == "Demo Clips")
                related.push_back(SearchEntry(video));
        }
    }
    Publish(site, 8, 1, search);
    Publish(site, 7, 1, special);
    Publish(site, 2, 1, related);
    Publish(site, 6, 1, {{"综合", allNames, "", ""}, {"栏目", "Demo Clips", "", "hj"}});
    Publish(site, 4, 1, speed);
    Publish(site, 5, 1, {{"probe", "", "", ""}});
}

}  // namespace test_site
