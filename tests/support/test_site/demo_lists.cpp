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

// The search sites' scripts. The link script sets "ret" to a result page's
// address for a page (%d) and a keyword (%s); the parse script reads that
// page and hands its videos to OutputResult. Until the multi-site search
// reads them, the parse scripts report no videos.
std::vector<Entry> SearchSites(const std::string& host)
{
    std::vector<Entry> sites;
    for (const DemoVideoSite& site : kDemoVideoSites) {
        const std::string link = "ret = '" + host + "/sites/" + site.folder + "/search?page=%d&q=%s';";
        sites.push_back({site.name, "OutputResult([]);", link, "utf-8"});
    }
    return sites;
}

}  // namespace

void PublishDemoLists(TestSite& site, int port)
{
    const std::string host = "http://127.0.0.1:" + std::to_string(port);
    Publish(site, 8, 1, SearchSites(host));
    Publish(site, 7, 1, {SearchSites(host).front()});
    Publish(site, 2, 1, {SearchSites(host).back()});
    Publish(site, 6, 1,
            {{"综合", "Demo Tube|Demo Clips|Demo Tiny", "", ""}, {"栏目", "Demo Clips", "", "hj"}});
    std::vector<Entry> speed;
    for (const DemoVideoSite& video : kDemoVideoSites) {
        const std::string folder = std::string("/sites/") + video.folder + "/";
        site.AddPatternFile(folder + "speedtest.bin", video.testFileBytes);
        speed.push_back({folder, host + folder + "speedtest.bin", "0|7000", video.name});
    }
    Publish(site, 4, 1, speed);
    Publish(site, 5, 1, {{"probe", "", "", ""}});
}

}  // namespace test_site
