// The settings reach the disk soon after they change, and only then.
#include "shell/settings/app_setting.h"
#include "shell/settings/setting_autosave.h"
#include "support/event_wait.h"
#include "support/thread_probe.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

TEST(SettingAutoSave, WritesOnlyAfterAChangeAndRetriesAFailedWrite)
{
    TempFolder folder;
    const std::string path = folder / "programs/setting.xml";  // the folder is missing at first
    CAppSetting settings;
    CSettingAutoSave autoSave(settings, path, 10);

    autoSave.SaveIfChanged();
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing changed, nothing written";

    auto* video = new InfoVideo;
    video->a2 = "http://page.test/autosave";
    settings.playList.PCL_PushObject(video);
    autoSave.SaveIfChanged();  // fails: no folder
    autoSave.Finish();
    std::filesystem::create_directories(folder / "programs");
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return std::filesystem::exists(path); }))
        << "the timer tries again";
    EXPECT_EQ(ReadWholeFile(path), settings.ToXml());

    // Written once: a later check with no change leaves the file alone.
    std::filesystem::remove(path);
    autoSave.SaveIfChanged();
    EXPECT_FALSE(std::filesystem::exists(path));
}

// The save waits for the disk (it syncs), which is no work for the
// user-interface thread: a named pipe stands where the new file is written
// first, and whichever thread writes it waits in open() until it is named.
TEST(SettingAutoSave, WritesOffTheUserInterfaceThread)
{
    TempFolder folder;
    const std::string path = folder / "setting.xml";
    CAppSetting settings;
    CSettingAutoSave autoSave(settings, path, 60000);
    ASSERT_EQ(::mkfifo((path + ".part").c_str(), 0600), 0);
    test_support::PipeWriterWatch watch(path + ".part");

    auto* video = new InfoVideo;
    video->a2 = "http://page.test/off-the-ui-thread";
    settings.playList.PCL_PushObject(video);
    autoSave.SaveIfChanged();
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return watch.Drained(); }));
    watch.Join();
    ASSERT_NE(watch.Writer(), 0) << "no thread wrote the settings";
    EXPECT_NE(watch.Writer(), static_cast<long>(::gettid())) << "written on the user-interface thread";
}
