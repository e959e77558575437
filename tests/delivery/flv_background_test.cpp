// The background step: which play list videos it caches, how many at once,
// and when it rests.
#include "flv_download_fixture.h"

#include <algorithm>

namespace flv_test {
namespace {

class BackgroundTest : public DownloadTest {
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        const std::string source = test_site::ReadFileBytes(test_site::MakeTestVideo(test_site::VideoKind::Flv, 4));
        ASSERT_FALSE(source.empty());
        test_site::Behaviour slow;  // downloads stay running for the whole test
        slow.trickleBytes = 1000;
        slow.trickleDelayMs = 50;
        for (int i = 1; i <= 6; ++i) {
            const std::string path = "/v" + std::to_string(i) + ".flv";
            site.AddFile(path, source, "video/x-flv");
            site.SetBehaviour(path, slow);
        }
        settings.idleDownEnable = 1;
        settings.maxDownload = 2;
    }
    std::vector<std::string> RunningKeys() const
    {
        std::vector<std::string> keys;
        for (HttpTask* task : manager.GetRunningTasks())
            keys.push_back(task->key);
        return keys;
    }
    using Keys = std::vector<std::string>;
};

TEST_F(BackgroundTest, StartsOneDownloadPerStepUpToTheLimitAndStopsTheOldestFirst)
{
    for (int i = 1; i <= 4; ++i)
        AddVideo("v" + std::to_string(i), "/v" + std::to_string(i) + ".flv");
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), Keys{"v1"});
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), (Keys{"v1", "v2"}));
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), (Keys{"v1", "v2"})) << "max_download respected";

    manager.StartDownload(settings.playList.PCL_GetObject(2));
    ASSERT_EQ(RunningKeys(), (Keys{"v1", "v2", "v3"}));
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), (Keys{"v2", "v3"})) << "the oldest gives way";

    settings.maxDownload = 3;
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), (Keys{"v2", "v3", "v1"})) << "a stopped video is picked up again";
}

TEST_F(BackgroundTest, AnOutOfRangeLimitCountsAsTheNearestAllowedOne)
{
    for (int i = 1; i <= 5; ++i)
        AddVideo("v" + std::to_string(i), "/v" + std::to_string(i) + ".flv");
    settings.maxDownload = 1000;
    for (int step = 0; step < 5; ++step)
        manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), (Keys{"v1", "v2", "v3"}));

    settings.maxDownload = 0;
    manager.RunBackgroundStep();
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), Keys{"v3"}) << "0 means one, not background caching switched off";
}

TEST_F(BackgroundTest, RestsWhileThePlayingOrPreviewedVideoDownloads)
{
    AddVideo("playing", "/v1.flv");
    AddVideo("preview", "/v2.flv");
    AddVideo("other", "/v3.flv");
    Play("playing");
    manager.StartDownload(settings.playList.PCL_GetObject(0));
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), Keys{"playing"});

    settings.nowPlaying.reset();
    settings.nowPreviewing = std::make_unique<PlayingInfo>();
    settings.nowPreviewing->key = "playing";
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), Keys{"playing"});

    settings.nowPreviewing.reset();
    settings.idleDownEnable = 0;
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), Keys{"playing"}) << "background download switched off";

    settings.idleDownEnable = 1;
    observer.detectionIdle = false;
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), Keys{"playing"}) << "a busy detection comes first";

    observer.detectionIdle = true;
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), (Keys{"playing", "preview"}));
}

TEST_F(BackgroundTest, PicksVideosByTheirState)
{
    AddVideo("whole", "/v1.flv", VIDEO_STATE_INCOMPLETE);
    AddVideo("failed", "/v2.flv", VIDEO_STATE_NO_RESPONSE);
    InfoVideo* done = AddVideo("done", "/v3.flv", VIDEO_STATE_NEW);
    WriteFile(GetCachePath(*done), "0123456789");
    done->a5 = "10";
    AddVideo("page seg2", "/v4.flv", VIDEO_STATE_INCOMPLETE);
    AddVideo("lost", "", VIDEO_STATE_HTTP_ERROR);
    AddVideo("fresh", "", VIDEO_STATE_NEW);
    AddVideo("loaded", "/v5.flv", VIDEO_STATE_LOADED);
    settings.maxDownload = 3;

    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), Keys{"page seg2"}) << "a segment in state 17 is retried, a whole video is not";
    EXPECT_TRUE(observer.detectionsStarted.empty());
    manager.RunBackgroundStep();
    EXPECT_EQ(observer.detectionsStarted, Keys{"fresh"}) << "a video without stream URL is detected first";
    EXPECT_EQ(RunningKeys(), Keys{"page seg2"});
    settings.playList.PCL_DeleteObject(5);
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), (Keys{"page seg2", "loaded"}));
    manager.RunBackgroundStep();
    EXPECT_EQ(RunningKeys(), (Keys{"page seg2", "loaded"})) << "nothing left to start";
}

TEST_F(BackgroundTest, TheTimerRunsTheStepAndStopsFollowTheCurrentVideos)
{
    for (int i = 1; i <= 3; ++i)
        AddVideo("v" + std::to_string(i), "/v" + std::to_string(i) + ".flv");
    manager.SetBackgroundPeriod(20);
    ASSERT_TRUE(Wait([&] { return manager.GetRunningTasks().size() == 2; }));
    manager.SetBackgroundPeriod(0);
    EXPECT_EQ(RunningKeys(), (Keys{"v1", "v2"}));

    manager.StartDownload(settings.playList.PCL_GetObject(2));
    Play("v2");
    settings.nowPreviewing = std::make_unique<PlayingInfo>();
    settings.nowPreviewing->key = "v3";
    EXPECT_TRUE(manager.IsCurrentVideoDownloading());
    manager.StopDownloadsExceptCurrent();
    EXPECT_EQ(RunningKeys(), (Keys{"v2", "v3"}));
    manager.StopDownloadsExceptPlaying();
    EXPECT_EQ(RunningKeys(), Keys{"v2"});
    manager.StopAllTasks();
    EXPECT_FALSE(manager.IsCurrentVideoDownloading());
    EXPECT_TRUE(WaitIdle());
}

}  // namespace
}  // namespace flv_test
