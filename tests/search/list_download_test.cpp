// Service lists through real downloads from the test site: the version
// probe, the cache, the order of a download's messages, bad lists that
// change nothing, and a window destroyed while its download hangs.
#include "common/app_folder.h"
#include "common/md5.h"
#include "search/list_cipher.h"
#include "search/play_search_setting_info.h"
#include "search/play_speed_info_manager.h"
#include "search/setting_downloader.h"
#include "support/event_wait.h"
#include "test_site/test_site.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using test_support::RunEventsUntil;

std::string ListXml(int version, int records)
{
    std::string xml = "<root version=\"" + std::to_string(version) + "\">";
    for (int i = 0; i < records; ++i)
        xml += "<i><n>site" + std::to_string(i) + "</n><s>parse</s><l>link</l><c>utf-8</c></i>";
    return xml + "</root>";
}

// A list keeper that records what it hears, in order.
class RecordingLoader : public CSettingDownLoader<CWnd> {
public:
    RecordingLoader() { Create(); }
    std::vector<std::string> heard;
    int updates = 0;
    int checkTimeAnswer = 1;
    std::string lastModified;

protected:
    int OnDownloadCheckTime(const std::string& url, const std::string& modified) override
    {
        heard.push_back("check " + Tail(url));
        lastModified = modified;
        return checkTimeAnswer;
    }
    void OnDownloadStart(const std::string& url) override { heard.push_back("start " + Tail(url)); }
    void OnDownloadProgress(const std::string& url, std::int64_t received, std::int64_t total) override
    {
        heard.push_back("progress " + Tail(url) + " " + std::to_string(received) + "/" + std::to_string(total));
    }
    void OnListDownloaded(const std::string& url, const char* data, std::size_t length) override
    {
        heard.push_back("finished " + Tail(url) + " " + std::to_string(length));
        CSettingDownLoader<CWnd>::OnListDownloaded(url, data, length);
    }
    void OnDownloadError(const std::string& url) override
    {
        heard.push_back("error " + Tail(url));
        CSettingDownLoader<CWnd>::OnDownloadError(url);
    }
    void OnProxyValidate(const std::string& url, std::string& user, std::string& password) override
    {
        heard.push_back("proxy " + Tail(url));
        user = "user";
        password = "secret";
    }
    void OnListUpdated(const std::vector<SearchSite>&) override { ++updates; }

private:
    static std::string Tail(const std::string& url) { return url.substr(url.rfind('/') + 1); }
};

class ListDownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = (fs::temp_directory_path() / ("quelt-lists-" + std::to_string(::getpid()) + "-"
                                               + std::to_string(++serial)))
                     .string()
                 + "/";
        fs::create_directories(folder);
        SetAppFolderForTesting(folder);
        ASSERT_TRUE(site.Start());
        url = site.Url("/file/8/f.xml");
    }
    void TearDown() override
    {
        SetAppFolderForTesting("");
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    void Publish(const std::string& xml, const std::string& version)
    {
        site.AddFile("/file/8/f.xml", EncipherListFile(xml), "text/plain");
        site.AddFile("/file/8/f.xml.seupdate", version, "text/plain");
    }
    static bool Idle(RecordingLoader& loader)
    {
        return RunEventsUntil([&] { return loader.GetDownloadCount() == 0; });
    }
    std::string CacheBytes() const
    {
        std::ifstream in(folder + "sseting/" + Md5Hex(url), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::size_t ListRequests() { return site.RequestsFor("/file/8/f.xml").size(); }

    inline static int serial = 0;
    std::string folder;
    test_site::TestSite site;
    std::string url;
};

TEST_F(ListDownloadTest, ANewerVersionIsDownloadedAndCachedAndAnEqualOneIsNot)
{
    Publish(ListXml(5, 2), "5");
    {
        RecordingLoader first;
        first.CheckForUpdate(url);
        ASSERT_TRUE(Idle(first));
        EXPECT_EQ(first.Version(), 5) << "nothing cached: any version is newer";
        EXPECT_EQ(first.List().size(), 2u);
        EXPECT_EQ(first.updates, 1);
    }
    EXPECT_EQ(CacheBytes(), EncipherListFile(ListXml(5, 2))) << "cached as received";
    EXPECT_TRUE(fs::is_regular_file(folder + "sseting/" + Md5Hex(url))) << "named by the MD5 of the URL";

    RecordingLoader same;
    EXPECT_EQ(same.LoadFromCache(url).size(), 2u);
    EXPECT_EQ(same.Version(), 5);
    site.ClearRequests();
    same.CheckForUpdate(url);
    same.CheckForUpdate(url);
    EXPECT_EQ(same.GetDownloadCount(), 1u) << "two checks in a row start one thread";
    ASSERT_TRUE(Idle(same));
    EXPECT_EQ(site.RequestsFor("/file/8/f.xml.seupdate").size(), 1u);
    EXPECT_EQ(ListRequests(), 0u) << "version 5 against 5: no download";
    EXPECT_EQ(same.updates, 0);

    Publish(ListXml(6, 3), "6");
    same.CheckForUpdate(url);
    ASSERT_TRUE(RunEventsUntil([&] { return same.updates == 1 && same.GetDownloadCount() == 0; }));
    EXPECT_EQ(same.Version(), 6);
    EXPECT_EQ(same.List().size(), 3u);
    EXPECT_EQ(CacheBytes(), EncipherListFile(ListXml(6, 3)));

    // No version file (404): the list itself is downloaded.
    RecordingLoader fresh;
    fs::remove(folder + "sseting/" + Md5Hex(url));
    site.AddFile("/file/8/f.xml.seupdate", "", "text/plain");
    site.SetBehaviour("/file/8/f.xml.seupdate", [] {
        test_site::Behaviour missing;
        missing.status = 404;
        return missing;
    }());
    fresh.CheckForUpdate(url);
    ASSERT_TRUE(RunEventsUntil([&] { return fresh.updates == 1 && fresh.GetDownloadCount() == 0; }));
    EXPECT_EQ(fresh.heard.front(), "error f.xml.seupdate");
    EXPECT_EQ(fresh.Version(), 6);
}

TEST_F(ListDownloadTest, TheMessagesOfADownloadComeInOrder)
{
    // A body of known length: check time, start, progress per block, the body.
    const std::string body(20000, 'x');
    site.AddFile("/known.bin", body, "application/octet-stream");
    RecordingLoader loader;
    loader.StartDownload(site.Url("/known.bin"));
    ASSERT_TRUE(Idle(loader));
    EXPECT_EQ(loader.heard, (std::vector<std::string>{"check known.bin", "start known.bin",
                                                      "progress known.bin 8192/20000", "progress known.bin 16384/20000",
                                                      "progress known.bin 20000/20000", "finished known.bin 20000"}));

    // Chunked, without a length: progress counts up with a total of 0.
    site.AddFile("/chunked.bin", body, "application/octet-stream");
    test_site::Behaviour chunked;
    chunked.chunked = true;
    site.SetBehaviour("/chunked.bin", chunked);
    loader.heard.clear();
    loader.StartDownload(site.Url("/chunked.bin"));
    ASSERT_TRUE(Idle(loader));
    ASSERT_GE(loader.heard.size(), 4u);
    EXPECT_EQ(loader.heard[0], "check chunked.bin");
    EXPECT_EQ(loader.heard[1], "start chunked.bin");
    EXPECT_EQ(loader.heard[loader.heard.size() - 2], "progress chunked.bin 20000/0");
    EXPECT_EQ(loader.heard.back(), "finished chunked.bin 20000");

    // A proxy that asks for credentials once: they are asked of the owner
    // and the request goes again with them.
    site.AddFile("/proxied.bin", "ok", "text/plain");
    test_site::Behaviour proxy;
    proxy.status = 407;
    proxy.statusOnce = true;
    site.SetBehaviour("/proxied.bin", proxy);
    loader.heard.clear();
    loader.StartDownload(site.Url("/proxied.bin"));
    ASSERT_TRUE(Idle(loader));
    EXPECT_EQ(loader.heard, (std::vector<std::string>{"proxy proxied.bin", "check proxied.bin", "start proxied.bin",
                                                      "progress proxied.bin 2/2", "finished proxied.bin 2"}));
    const auto requests = site.RequestsFor("/proxied.bin");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].Value("Proxy-Authorization"), "Basic dXNlcjpzZWNyZXQ=");
    EXPECT_EQ(requests[0].Value("User-Agent"), kDownFileAgent);

    // 404 and a body cut off before its announced length: an error, no body.
    test_site::Behaviour cut;
    cut.dropAfter = 10000;
    site.SetBehaviour("/known.bin", cut);
    loader.heard.clear();
    loader.StartDownload(site.Url("/known.bin"));
    loader.StartDownload(site.Url("/missing.bin"));
    ASSERT_TRUE(Idle(loader));
    EXPECT_EQ(loader.heard.back() == "error known.bin" || loader.heard.back() == "error missing.bin", true);
    EXPECT_EQ(std::count(loader.heard.begin(), loader.heard.end(), "error known.bin"), 1);
    EXPECT_EQ(std::count(loader.heard.begin(), loader.heard.end(), "error missing.bin"), 1);
    for (const std::string& line : loader.heard)
        EXPECT_EQ(line.find("finished"), std::string::npos) << line;

    // A check time answered 0 ends the download without another word.
    loader.heard.clear();
    loader.checkTimeAnswer = 0;
    site.SetBehaviour("/known.bin", {});
    loader.StartDownload(site.Url("/known.bin"));
    ASSERT_TRUE(Idle(loader));
    EXPECT_EQ(loader.heard, std::vector<std::string>{"check known.bin"});
    EXPECT_FALSE(loader.StartDownload(""));
}

TEST_F(ListDownloadTest, BadListsAndVersionsChangeNothing)
{
    Publish(ListXml(5, 2), "5");
    RecordingLoader loader;
    loader.CheckForUpdate(url);
    ASSERT_TRUE(RunEventsUntil([&] { return loader.updates == 1 && loader.GetDownloadCount() == 0; }));
    const std::string goodCache = CacheBytes();

    struct Case {
        const char* name;
        std::string body;
        test_site::Behaviour behaviour;
    };
    test_site::Behaviour cutShort;
    cutShort.dropAfter = 50;
    std::vector<Case> cases = {
        {"not base64", "!!!! ???? ----", {}},
        {"not xml", EncipherListFile("this is not xml <"), {}},
        {"no i element", EncipherListFile("<root version=\"9\"></root>"), {}},
        {"empty", "", {}},
        {"longer than it arrives", EncipherListFile(ListXml(9, 20)), cutShort},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        site.AddFile("/file/8/f.xml", c.body, "text/plain");
        site.SetBehaviour("/file/8/f.xml", c.behaviour);
        site.AddFile("/file/8/f.xml.seupdate", "9", "text/plain");
        loader.heard.clear();
        loader.CheckForUpdate(url);
        ASSERT_TRUE(Idle(loader));
        EXPECT_EQ(loader.updates, 1);
        EXPECT_EQ(loader.Version(), 5);
        EXPECT_EQ(loader.List().size(), 2u);
        EXPECT_EQ(CacheBytes(), goodCache);
    }

    // A list larger than a list may be is a failed download.
    loader.SetDownloadLimits({100000, 30000});
    site.AddPatternFile("/file/8/f.xml", 200000);
    site.SetBehaviour("/file/8/f.xml", {});
    loader.heard.clear();
    loader.CheckForUpdate(url);
    ASSERT_TRUE(Idle(loader));
    EXPECT_EQ(loader.heard.back(), "error f.xml");
    EXPECT_EQ(loader.List().size(), 2u);

    // Version files that are no newer number never start a download.
    Publish(ListXml(9, 4), "0");
    for (const char* version : {"abc", "-5", "99999999999999999999", "5"}) {
        SCOPED_TRACE(version);
        site.AddFile("/file/8/f.xml.seupdate", version, "text/plain");
        site.ClearRequests();
        loader.CheckForUpdate(url);
        ASSERT_TRUE(Idle(loader));
        EXPECT_EQ(ListRequests(), 0u);
    }
    // An empty one is no version at all: the list itself is fetched.
    site.AddFile("/file/8/f.xml.seupdate", "", "text/plain");
    loader.CheckForUpdate(url);
    ASSERT_TRUE(RunEventsUntil([&] { return loader.updates == 2 && loader.GetDownloadCount() == 0; }));
    EXPECT_EQ(loader.Version(), 9);
}

TEST_F(ListDownloadTest, ATruncatedCacheFileIsReplacedByTheNextDownload)
{
    Publish(ListXml(4, 3), "4");
    fs::create_directories(folder + "sseting");
    const std::string whole = EncipherListFile(ListXml(4, 3));
    std::ofstream(folder + "sseting/" + Md5Hex(url), std::ios::binary) << whole.substr(0, whole.size() / 2);
    RecordingLoader loader;
    EXPECT_TRUE(loader.LoadFromCache(url).empty());
    EXPECT_EQ(loader.Version(), 0);
    loader.CheckForUpdate(url);
    ASSERT_TRUE(RunEventsUntil([&] { return loader.updates == 1 && loader.GetDownloadCount() == 0; }));
    EXPECT_EQ(loader.List().size(), 3u);
    EXPECT_EQ(CacheBytes(), whole);
}

TEST_F(ListDownloadTest, DestroyedWhileItsDownloadHangsItReturnsWithinTheBound)
{
    // A server that accepts connections and never answers.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 4), 0);
    socklen_t length = sizeof address;
    ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
    const std::string hanging = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/f.xml";
    // And one that trickles forever.
    site.AddFile("/endless", std::string(1 << 20, 'x'), "text/plain");
    test_site::Behaviour trickle;
    trickle.trickleBytes = 1;
    trickle.trickleDelayMs = 100;
    site.SetBehaviour("/endless", trickle);

    auto loader = std::make_unique<RecordingLoader>();
    loader->StartDownload(hanging);
    loader->StartDownload(site.Url("/endless"));
    ASSERT_TRUE(RunEventsUntil([&] {
        return std::find(loader->heard.begin(), loader->heard.end(), "start endless") != loader->heard.end();
    }));
    const auto start = std::chrono::steady_clock::now();
    loader.reset();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(2 * FCDownloadFileWndBase<CWnd>::kStopWaitMs + 500));
    // Whatever the threads still do, no message reaches a window any more.
    RunEventsUntil([] { return false; }, std::chrono::milliseconds(300));
    ::close(silent);
}

TEST_F(ListDownloadTest, CategoriesComeFromTheCategoryList)
{
    site.AddFile("/file/6/f.xml",
                 EncipherListFile("<root version=\"2\"><i><n>hot music</n><s>SiteA|SiteB</s><c></c></i>"
                                  "<i><n>columns</n><s>SiteC</s><c>hj</c></i></root>"),
                 "text/plain");
    site.AddFile("/file/6/f.xml.seupdate", "2", "text/plain");
    const std::string categoryUrl = site.Url("/file/6/f.xml");
    PlaySearchSettingInfo info;
    info.CheckForUpdate(categoryUrl);
    ASSERT_TRUE(RunEventsUntil([&] { return info.Categories().size() == 2 && info.GetDownloadCount() == 0; }));
    EXPECT_EQ(info.Categories()[1].flags, "hj");
    info.SetSelectedName("music");
    ASSERT_NE(info.Selected(), nullptr);
    EXPECT_EQ(info.Selected()->siteNames, (std::vector<std::string>{"SiteA", "SiteB"}));

    PlaySearchSettingInfo cached;
    cached.LoadCategoriesFromCache(categoryUrl);
    EXPECT_EQ(cached.Categories().size(), 2u) << "a later start reads the cache";
}

TEST_F(ListDownloadTest, TheSpeedTestMeasuresSitesWhoseTestFileIsLargeEnough)
{
    site.AddPatternFile("/fast/test.bin", 100000);
    site.AddPatternFile("/small/test.bin", 4000);
    const std::string list = "<root version=\"1\">"
                             "<i><n>/fast/</n><s>" + site.Url("/fast/test.bin") + "</s><l>0|5000</l><c>Fast</c></i>"
                             "<i><n>/small/</n><s>" + site.Url("/small/test.bin") + "</s><l>0|6000</l><c>Small</c></i>"
                             "<i><n>/nowhere/</n><s>http://127.0.0.1:1/t</s><l></l><c>Gone</c></i></root>";
    site.AddFile("/file/4/f.xml", EncipherListFile(list), "text/plain");
    site.AddFile("/file/4/f.xml.seupdate", "1", "text/plain");
    const std::string speedUrl = site.Url("/file/4/f.xml");

    PlaySpeedInfoManager first;
    first.Start(speedUrl);
    EXPECT_TRUE(first.Records().empty()) << "nothing cached yet";
    ASSERT_TRUE(RunEventsUntil([&] { return first.List().size() == 3 && first.GetDownloadCount() == 0; }));
    // A first run measures the list it just took: otherwise searches and
    // subscriptions would show nothing until the program starts again.
    ASSERT_EQ(first.Records().size(), 3u);
    EXPECT_TRUE(RunEventsUntil([&] { return first.Records().front().done; }));

    PlaySpeedInfoManager speed;
    speed.Start(speedUrl);
    ASSERT_EQ(speed.Records().size(), 3u);
    ASSERT_TRUE(RunEventsUntil([&] {
        for (const SpeedInfoRecord& record : speed.Records())
            if (!record.done)
                return false;
        return true;
    }));
    const SpeedInfoRecord* fast = speed.FindSpeedRecord(site.Url("/fast/video.mp4"));
    ASSERT_NE(fast, nullptr);
    EXPECT_EQ(fast->siteName, "Fast");
    EXPECT_LT(fast->rate, 5000) << "measured";
    EXPECT_GE(fast->rate, 0);
    EXPECT_EQ(speed.FindSpeedRecord(site.Url("/small/v.mp4"))->rate, 6000) << "a small test file says nothing";
    EXPECT_EQ(speed.FindSpeedRecord("http://x/nowhere/v")->rate, 7000) << "a failed test keeps the list's rate";
    EXPECT_EQ(speed.FindSpeedRecord("http://elsewhere/v"), nullptr);
    const auto tests = site.RequestsFor("/fast/test.bin");
    ASSERT_FALSE(tests.empty());
    EXPECT_TRUE(tests.back().Values("Range").empty());
}

}  // namespace
