// Where the user's files live: beside a portable program, under the
// user's XDG folders for an installed one.
#include "common/app_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class AppFolderTest : public ::testing::Test {
protected:
    AppFolderTest() { fs::create_directories(program); }
    ~AppFolderTest() override
    {
        fs::permissions(program, fs::perms::owner_all);
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    const fs::path root = fs::temp_directory_path() / ("quelt-app-folder-" + std::to_string(::getpid()));
    const std::string program = (root / "lib" / "quelt").string();
};

TEST_F(AppFolderTest, AWritableFolderWithoutTheMarkerIsPortableAndKeepsTheFilesBesideTheProgram)
{
    const UserFolders folders = DecideUserFolders(program, "/home/u/.local/share", "/home/u/.cache");
    EXPECT_EQ(folders.data, program + "/");
    EXPECT_EQ(folders.cache, program + "/");
}

TEST_F(AppFolderTest, TheInstallsMarkerPutsTheFilesUnderTheUsersDataAndCacheFolders)
{
    std::ofstream(program + "/" + kInstalledMarker) << "";
    const UserFolders folders = DecideUserFolders(program + "/", "/home/u/.local/share", "/home/u/.cache/");
    EXPECT_EQ(folders.data, "/home/u/.local/share/quelt/");
    EXPECT_EQ(folders.cache, "/home/u/.cache/quelt/");
}

TEST_F(AppFolderTest, AFolderTheUserCannotWriteCountsAsInstalled)
{
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(program.c_str(), W_OK) == 0)
        GTEST_SKIP() << "this user writes any folder (root)";
    const UserFolders folders = DecideUserFolders(program, "/d", "/c");
    EXPECT_EQ(folders.data, "/d/quelt/");
    EXPECT_EQ(folders.cache, "/c/quelt/");
}

TEST_F(AppFolderTest, ATestsProgramFolderHoldsItsOwnFiles)
{
    SetAppFolderForTesting(program);
    std::ofstream(program + "/" + kInstalledMarker) << "";
    EXPECT_EQ(GetUserFolders().data, program + "/");
    EXPECT_EQ(GetUserFolders().cache, program + "/");
    SetAppFolderForTesting("");
}

}  // namespace
