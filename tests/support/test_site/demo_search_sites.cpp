#include "test_site/demo_search_sites.h"

#include <string>

namespace test_site {

namespace {

const std::string kHtml = "text/html; charset=utf-8";

// The query's value of a name, still percent-encoded.
std::string QueryValue(const std::string& target, const std::string& name)
{
    const std::size_t query = target.find('?');
    if (query == std::string::npos)
        return {};
    std::size_t at = query + 1;
    while (at < target.size()) {
        std::size_t end = target.find('&', at);
        if (end == std::string::npos)
            end = target.size();
        const std::string pair = target.substr(at, end - at);
        if (pair.rfind(name + "=", 0) == 0)
            return pair.substr(name.size() + 1);
        at = end + 1;
    }
    return {};
}

std::string Decoded(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

std::string Thumbnail(int n)
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"160\" height=\"90\"><rect width=\"160\" height=\"90\" "
           "fill=\"hsl(" + std::to_string(n * 37 % 360) + ",60%,40%)\"/><text x=\"80\" y=\"55\" font-size=\"32\" "
           "text-anchor=\"middle\" fill=\"white\">" + std::to_string(n) + "</text></svg>";
}

// One result in the shape both plain sites use.
std::string ResultBlock(int n, const std::string& title, int views)
{
    const std::string link = "/watch/" + std::to_string(n) + ".html";
    return "<div class=\"v\"><a href=\"" + link + "\"><img src=\"/thumb/" + std::to_string(n) + ".svg\"></a>"
           "<a class=\"t\" href=\"" + link + "\">" + title + "</a><span class=\"n\">" + std::to_string(views)
           + "</span></div>\n";
}

// The parse script of the plain sites: every "div.v" is a video, its
// thumbnail found by imgmgr from the page's links.
const char* kBlockParseScript = R"JS(
var res = [];
imgmgr.load(document.links);
var blocks = document.querySelectorAll('div.v');
for (var i = 0; i < blocks.length; i++) {
  var a = blocks[i].querySelector('a.t');
  var r = new searchres();
  r.name = a.textContent;
  r.url = a.href;
  r.imgurl = imgmgr.find(a.href);
  r.vcount = blocks[i].querySelector('span.n').textContent;
  r.playcount = '0';
  r.memo = document.title;
  r.tags = ['demo', SITE_TAG];
  res.push(r);
}
OutputResult(res);
)JS";

std::string ParseScriptFor(const std::string& tag)
{
    std::string script = kBlockParseScript;
    const std::size_t at = script.find("SITE_TAG");
    return script.replace(at, 8, "'" + tag + "'");
}

void AddVideoPages(TestSite& server, const std::string& videoFile, int count)
{
    const bool flv = videoFile.size() > 4 && videoFile.substr(videoFile.size() - 4) == ".flv";
    const std::string video = flv ? "/video.flv" : "/video.mp4";
    server.AddFileFromDisk(video, videoFile, flv ? "video/x-flv" : "video/mp4");
    for (int n = 1; n <= count; ++n) {
        server.AddFile("/watch/" + std::to_string(n) + ".html",
                       "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Demo video " + std::to_string(n)
                           + "</title></head><body><video controls autoplay muted width=\"640\" height=\"360\" src=\""
                           + video + "\"></video></body></html>",
                       kHtml);
        server.AddFile("/thumb/" + std::to_string(n) + ".svg", Thumbnail(n), "image/svg+xml");
    }
}

}  // namespace

std::string DemoSearchSite::Host() const
{
    return "http://localhost:" + std::to_string(server->Port());
}

bool DemoSearchSites::Start(int firstPort, const std::string& videoFile)
{
    sites_.clear();
    const auto add = [&](const std::string& name, const std::string& coding, int testBytes) -> DemoSearchSite& {
        DemoSearchSite site;
        site.name = name;
        site.coding = coding;
        site.testFileBytes = testBytes;
        site.server = std::make_unique<TestSite>();
        sites_.push_back(std::move(site));
        return sites_.back();
    };

    // Demo Tube: 45 videos, 20 a page; the page number is the first argument.
    DemoSearchSite& tube = add("Demo Tube", "utf-8", 65536);
    tube.server->SetHandler(
        "/search",
        [](const RecordedRequest& request) {
            const int page = std::max(1, std::atoi(QueryValue(request.target, "page").c_str()));
            const std::string keyword = Escaped(Decoded(QueryValue(request.target, "q")));
            std::string body = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Demo Tube</title></head><body>\n";
            for (int n = (page - 1) * kPerPage + 1; n <= std::min(page * kPerPage, kTubeResults); ++n)
                body += ResultBlock(n, keyword + " video " + std::to_string(n), n * 10);
            return body + "</body></html>";
        },
        kHtml);
    tube.parseScript = ParseScriptFor("tube");

    // Demo Clips: the list is filled a second after the page loaded.
    DemoSearchSite& clips = add("Demo Clips", "ajax2", 65536);
    clips.server->SetHandler(
        "/search",
        [](const RecordedRequest& request) {
            const std::string keyword = Escaped(Decoded(QueryValue(request.target, "q")));
            std::string blocks;
            for (int n = 1; n <= 5; ++n)
                blocks += ResultBlock(n, keyword + " clip " + std::to_string(n), n);
            std::string quoted;
            for (char c : blocks)
                quoted += c == '\n' ? std::string("\\n") : c == '\'' ? std::string("\\'") : std::string(1, c);
            return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Demo Clips</title></head><body>"
                   "<div id=\"list\"></div><script>setTimeout(function(){document.getElementById('list').innerHTML='"
                   + quoted + "';}, 1000);</script></body></html>";
        },
        kHtml);
    clips.parseScript = ParseScriptFor("clips");

    // Demo Slow: its result page never finishes arriving.
    DemoSearchSite& slow = add("Demo Slow", "utf-8", 4096);
    slow.server->AddFile("/search", "<!DOCTYPE html><html><body>" + std::string(1 << 20, ' '), kHtml);
    Behaviour trickle;
    trickle.trickleBytes = 1;
    trickle.trickleDelayMs = 10000;
    slow.server->SetBehaviour("/search", trickle);
    slow.parseScript = ParseScriptFor("slow");

    // Demo GBK: a page in GBK whose titles repeat the keyword's GBK bytes.
    DemoSearchSite& gbk = add("Demo GBK", "gb2312", 65536);
    gbk.server->SetHandler(
        "/search",
        [](const RecordedRequest& request) {
            // "演示视频 " in GBK, then the keyword as the site received it.
            const std::string prefix = "\xd1\xdd\xca\xbe\xca\xd3\xc6\xb5 ";
            const std::string keyword = Escaped(Decoded(QueryValue(request.target, "q")));
            std::string body =
                "<!DOCTYPE html><html><head><meta charset=\"gbk\"><title>Demo GBK</title></head><body>\n";
            for (int n = 1; n <= 3; ++n)
                body += ResultBlock(n, prefix + keyword + " " + std::to_string(n), 100 + n);
            return body + "</body></html>";
        },
        "text/html; charset=gbk");
    gbk.parseScript = ParseScriptFor("gbk");

    int port = firstPort;
    for (DemoSearchSite& site : sites_) {
        AddVideoPages(*site.server, videoFile, site.name == "Demo Tube" ? kTubeResults : 5);
        site.server->AddPatternFile("/speedtest.bin", site.testFileBytes);
        if (!site.server->Start(port))
            return false;
        if (port != 0)
            ++port;
        site.linkScript = "ret = '" + site.Host() + "/search?page=%d&q=%s';";
    }
    return true;
}

}  // namespace test_site
