// A save that cannot complete must leave the old "setting.xml" as it was,
// and a save interrupted at any moment must leave a loadable file.
#include "sample_setting.h"
#include "save_helper_process.h"
#include "temp_folder.h"

#include "shell/settings/app_setting.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <poll.h>
#include <iterator>
#include <random>
#include <thread>

namespace fs = std::filesystem;

namespace {

class SettingSaveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FillSample(old_, 1, 3);
        ASSERT_TRUE(old_.Save(Path()));
        oldBytes_ = ReadWholeFile(Path());
    }
    std::string Path() const { return folder_ / "setting.xml"; }
    void ExpectOldFileIntact() const
    {
        EXPECT_EQ(ReadWholeFile(Path()), oldBytes_);
        EXPECT_FALSE(fs::exists(Path() + ".part"));
    }

    TempFolder folder_;
    CAppSetting old_;
    std::string oldBytes_;
};

}  // namespace

TEST_F(SettingSaveTest, SavingReplacesTheFileAndLeavesNoTemporaryBehind)
{
    CAppSetting newer;
    FillSample(newer, 2, 1);
    ASSERT_TRUE(newer.Save(Path()));
    EXPECT_NE(ReadWholeFile(Path()), oldBytes_);
    const auto entries = std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator());
    EXPECT_EQ(entries, 1) << "only setting.xml expected";
}

TEST_F(SettingSaveTest, FolderThatCannotHoldFilesFailsTheSave)
{
    // Root ignores permission bits; a regular file in place of the folder
    // stops everyone.
    WriteWholeFile(folder_ / "not-a-folder", "x");
    CAppSetting setting;
    EXPECT_FALSE(setting.Save(folder_ / "not-a-folder/setting.xml"));
    EXPECT_EQ(ReadWholeFile(folder_ / "not-a-folder"), "x");
}

TEST_F(SettingSaveTest, UnwritableTemporaryLeavesTheOldFileUnchanged)
{
    fs::create_directory(Path() + ".part");
    WriteWholeFile(Path() + ".part/inside", "x");
    CAppSetting newer;
    FillSample(newer, 2, 1);
    EXPECT_FALSE(newer.Save(Path()));
    EXPECT_EQ(ReadWholeFile(Path()), oldBytes_);
}

TEST_F(SettingSaveTest, FullDiskLeavesTheOldFileUnchanged)
{
    // The helper's file size limit makes its writes fail half way, as a full
    // disk would.
    const pid_t pid = StartSaveHelper({"limited", Path(), "4096"});
    ASSERT_GT(pid, 0);
    const int status = WaitForChild(pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "Save must report the failure";
    ExpectOldFileIntact();
}

TEST_F(SettingSaveTest, ProcessKilledAtAnyMomentOfASaveLeavesALoadableFile)
{
    // How long one save of the helper's content takes, to spread the kills
    // over a few saves.
    CAppSetting probe;
    FillSample(probe, 1, kCrashTestRecords);
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(probe.Save(folder_ / "probe.xml"));
    const auto saveTime = (std::chrono::steady_clock::now() - started) / 3;
    const auto killWindow = std::chrono::duration_cast<std::chrono::microseconds>(saveTime * 3);

    std::random_device device;
    const unsigned seed = device();
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> delay(0, killWindow.count());
    SCOPED_TRACE("seed " + std::to_string(seed));

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int kills = 0;
    int midSave = 0;
    int versions[3] = {};
    while (kills < 100 && std::chrono::steady_clock::now() < deadline) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t pid = StartSaveHelper({"loop", Path()}, pipeFds[1]);
        ::close(pipeFds[1]);
        ASSERT_GT(pid, 0);
        // The helper reports the start of its first save.
        pollfd ready{pipeFds[0], POLLIN, 0};
        char marker = 0;
        const bool started = ::poll(&ready, 1, 10000) == 1 && ::read(pipeFds[0], &marker, 1) == 1;
        if (started)
            std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(pid, SIGKILL);
        WaitForChild(pid);
        ::close(pipeFds[0]);
        ASSERT_TRUE(started);
        ++kills;
        if (fs::exists(Path() + ".part"))
            ++midSave;

        CAppSetting loaded;
        ASSERT_TRUE(loaded.Load(Path())) << "after kill " << kills;
        // Either the old file (version 1 with 3 records) or a complete
        // save of version 1 or 2 with all their records.
        const int version = loaded.searchUrl.back() - '0';
        ASSERT_TRUE(version == 1 || version == 2) << loaded.searchUrl;
        const std::size_t count = loaded.playList.PCL_GetObjectCount();
        ASSERT_TRUE(count == 3 || count == static_cast<std::size_t>(kCrashTestRecords)) << count;
        EXPECT_EQ(loaded.history.PCL_GetObjectCount(), count);
        EXPECT_EQ(loaded.searchKeys.PCL_GetObjectCount(), count);
        ++versions[count == 3 ? 0 : version];
    }
    std::printf("%d kills (%d during a write), files found: old %d, version 1 %d, version 2 %d\n", kills,
                midSave, versions[0], versions[1], versions[2]);
    EXPECT_GE(kills, 20);
    EXPECT_GT(midSave, 0) << "no kill landed inside a write";

    // A left-over temporary does not get in the way of the next save.
    ASSERT_TRUE(old_.Save(Path()));
    EXPECT_FALSE(fs::exists(Path() + ".part"));
}
