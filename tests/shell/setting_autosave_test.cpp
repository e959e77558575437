// The settings reach the disk soon after they change, and only then.
#include "shell/settings/app_setting.h"
#include "shell/settings/setting_autosave.h"
#include "support/event_wait.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

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
    std::filesystem::create_directories(folder / "programs");
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return std::filesystem::exists(path); }))
        << "the timer tries again";
    EXPECT_EQ(ReadWholeFile(path), settings.ToXml());

    // Written once: a later check with no change leaves the file alone.
    std::filesystem::remove(path);
    autoSave.SaveIfChanged();
    EXPECT_FALSE(std::filesystem::exists(path));
}
