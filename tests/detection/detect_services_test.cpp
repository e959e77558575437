// The detection manager against the services of a test site, without a
// browser: a lookup that resolves the stream (state 6, segments asked, the
// waiting video played), the reports of found and failed streams, and the
// segment probes (three at a time, 404 ignored, records in number order).
#include "common/base64.h"
#include "common/md5.h"
#include "detection/detect_manager.h"
#include "records/info_video.h"
#include "support/event_wait.h"
#include "test_site/detection_service.h"
#include "test_site/test_site.h"

#include <gtest/gtest.h>

namespace {

using test_support::RunEventsUntil;

class DetectServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(site.Start());
        service.Install(site);
        page = site.Url("/watch/seven.html");
        auto* video = new InfoVideo;
        video->a2 = page;
        video->a1 = "Seven";
        playList.PCL_PushObject(video);
        CDetectManager::Hooks hooks;
        hooks.setVideoState = [this](int code, InfoVideo& record) {
            record.state = code;
            states.push_back(code);
        };
        hooks.playingKey = [this] { return playing; };
        hooks.play = [this](const std::string& key) { played.push_back(key); };
        manager = std::make_unique<CDetectManager>(
            playList, CDetectManager::Services{site.Url("/c.quelt?"), site.Url("/flash_process_url.php?url=")},
            hooks, "Quelt-Agent");
    }
    InfoVideo& Page() { return *playList.PCL_GetObject(0); }
    std::vector<std::string> Keys() const
    {
        std::vector<std::string> keys;
        for (const InfoVideo* video : playList)
            keys.push_back(video->a2);
        return keys;
    }
    bool ProbesIdle() { return manager->Segments().Probes().GetTaskCount() == 0 && manager->Segments().GetTaskCount() == 0; }

    test_site::TestSite site;
    test_site::DetectionService service;
    PCL_Interface_Composite<InfoVideo> playList;
    std::unique_ptr<CDetectManager> manager;
    std::string page;
    std::string playing;
    std::vector<int> states;
    std::vector<std::string> played;
};

TEST_F(DetectServicesTest, AKnownStreamResolvesWithoutABrowserAndPlaysTheWaitingVideo)
{
    service.KnowStream(page, site.Url("/v/seven.flv"), page);
    playing = page;
    Page().a4 = "stale";
    EXPECT_EQ(manager->StartDetection(Page()), nullptr);
    EXPECT_EQ(Page().a4, "") << "cleared while looking";
    EXPECT_EQ(Page().lookupDone, 1);
    EXPECT_TRUE(manager->IsDetectingCurrent());
    EXPECT_FALSE(manager->IsDetectionIdle());
    ASSERT_TRUE(RunEventsUntil([&] { return !played.empty(); }));
    EXPECT_EQ(states, (std::vector<int>{6}));
    EXPECT_EQ(Page().a4, site.Url("/v/seven.flv"));
    EXPECT_EQ(Page().a3, page);
    EXPECT_EQ(manager->DetectingKey(), "") << "no browser was opened";
    EXPECT_EQ(service.Lookups(), (std::vector<std::string>{page}));
    const auto lookup = site.RequestsFor("/c.quelt?c=g&m=" + Md5Hex(page) + "&url=" + Base64Encode(page));
    EXPECT_EQ(lookup.size(), 1u);
    ASSERT_TRUE(RunEventsUntil([&] { return service.SegmentQueries().size() == 1; }));
    EXPECT_EQ(service.SegmentQueries().front(), site.Url("/v/seven.flv"));
    ASSERT_TRUE(RunEventsUntil([&] { return manager->IsDetectionIdle(); }));
}

TEST_F(DetectServicesTest, ReportsOfFoundAndFailedStreamsAreSigned)
{
    manager->Commit().SendDetectionReport(page, site.Url("/v/seven.flv"), page);
    manager->Commit().SendDetectionReport(page, "d", "d");
    ASSERT_TRUE(RunEventsUntil([&] { return service.Reports().size() == 2; }));
    const auto reports = service.Reports();
    for (const auto& report : reports) {
        EXPECT_TRUE(report.signatureValid);
        EXPECT_EQ(report.m, Md5Hex(page));
    }
    const auto& found = reports[0].failure ? reports[1] : reports[0];
    const auto& failed = reports[0].failure ? reports[0] : reports[1];
    EXPECT_EQ(found.streamUrl, site.Url("/v/seven.flv"));
    EXPECT_EQ(found.referer, page);
    EXPECT_TRUE(failed.failure);
}

TEST_F(DetectServicesTest, SegmentsThatAnswerBecomeRecordsInNumberOrder)
{
    for (const char* path : {"/v/s1.flv", "/v/s2.flv", "/v/s4.flv", "/v/s5.flv"})
        site.AddFile(path, "FLV");
    service.SetSegments("/v/seven.flv", {"/v/s1.flv", "/v/s2.flv", "/v/s3.flv", "/v/s4.flv", "/v/s5.flv"});
    std::vector<std::string> updated;
    manager->Segments().QuerySegments(page, site.Url("/v/seven.flv"));
    ASSERT_TRUE(RunEventsUntil([&] { return manager->Segments().Probes().GetTaskCount() > 0; }));
    ASSERT_TRUE(RunEventsUntil([&] { return ProbesIdle() && manager->Segments().Probes().QueuedChecks() == 0; }));
    EXPECT_EQ(Keys(), (std::vector<std::string>{page, page + " 1", page + " 2", page + " 4", page + " 5"}))
        << "the missing third segment makes no record";
    EXPECT_EQ(playList.PCL_GetObject(3)->a1, "Seven 4");
    EXPECT_EQ(playList.PCL_GetObject(3)->a4, site.Url("/v/s4.flv"));
    EXPECT_EQ(site.RequestsFor("/v/s3.flv").size(), 1u);
}

TEST_F(DetectServicesTest, ThreeProbesRunAtATimeAndThoseThatFindNoServerDoNotStallTheQueue)
{
    site.AddFile("/v/s5.flv", "FLV");
    const std::string nowhere = "http://127.0.0.1:1/none.flv";
    auto& probes = manager->Segments().Probes();
    for (int i = 1; i <= 4; ++i)
        probes.EnqueueSegmentCheck(page + " " + std::to_string(i), nowhere);
    probes.EnqueueSegmentCheck(page + " 5", site.Url("/v/s5.flv"));
    EXPECT_EQ(probes.GetRunningTasks().size(), 3u);
    EXPECT_EQ(probes.QueuedChecks(), 2u);
    ASSERT_TRUE(RunEventsUntil([&] { return playList.PCL_GetObjectCount() == 2; }));
    EXPECT_EQ(Keys(), (std::vector<std::string>{page, page + " 5"}));
}

// A page key may hold blanks (an address typed with one, a local page):
// a probe's key is split at its last blank, the segment's number.
TEST_F(DetectServicesTest, APageKeyWithBlanksStillGetsItsSegmentsBesideIt)
{
    site.AddFile("/v/s2.flv", "FLV");
    const std::string spaced = "http://videos.test/watch a b";
    auto* video = new InfoVideo;
    video->a2 = spaced;
    video->a1 = "Spaced";
    playList.PCL_PushObject(video);
    auto& probes = manager->Segments().Probes();
    probes.EnqueueSegmentCheck(spaced + " 2", site.Url("/v/s2.flv"));
    ASSERT_TRUE(RunEventsUntil([&] { return playList.PCL_GetObjectCount() == 3; }));
    EXPECT_EQ(Keys(), (std::vector<std::string>{page, spaced, spaced + " 2"}));
    EXPECT_EQ(playList.PCL_GetObject(2)->a1, "Spaced 2");
}

TEST_F(DetectServicesTest, SegmentAnswersOfOtherShapesAndUnlistedPagesAreIgnored)
{
    site.AddFile("/v/s1.flv", "FLV");
    const auto answer = [&](const std::string& body, const std::string& key) {
        service.SetSegmentBody(body);
        manager->Segments().QuerySegments(key, "http://c/v.flv");
        return RunEventsUntil([&] { return ProbesIdle(); });
    };
    for (const std::string& body : {site.Url("/v/s1.flv"), std::string(300000, 'x')})
        ASSERT_TRUE(answer(body, page));
    ASSERT_TRUE(answer("<\r" + site.Url("/v/s1.flv") + "\r>", "http://not/listed"));
    EXPECT_EQ(service.SegmentQueries().size(), 3u);
    EXPECT_EQ(Keys(), (std::vector<std::string>{page}));
    EXPECT_TRUE(site.RequestsFor("/v/s1.flv").empty());
}

}  // namespace
