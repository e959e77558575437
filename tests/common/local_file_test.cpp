// Which keys name a file of this machine: only an absolute path to a
// regular file that is there.
#include "common/local_file.h"
#include "../shell/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(LocalFile, OnlyAnAbsolutePathToAnExistingRegularFileIsALocalFile)
{
    TempFolder folder;
    const std::string file = folder / "clip.flv";
    WriteWholeFile(file, "FLV");
    std::filesystem::create_symlink(file, folder / "link.flv");

    EXPECT_TRUE(IsLocalFile(file));
    EXPECT_TRUE(IsLocalFile(folder / "link.flv")) << "a link to a file plays the file";
    EXPECT_FALSE(IsLocalFile(folder.path())) << "a folder is no video";
    EXPECT_FALSE(IsLocalFile(folder / "gone.flv"));
    EXPECT_FALSE(IsLocalFile(""));

    // A relative name is never a key of a file, even when the file is in
    // the working folder: keys are addresses or absolute paths.
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    EXPECT_FALSE(IsLocalFile("clip.flv"));
    std::filesystem::current_path(before);
}

TEST(LocalFile, APathKeyIsTellableWithoutTheFile)
{
    EXPECT_TRUE(IsLocalPathKey("/no/such/file.flv"));
    EXPECT_FALSE(IsLocalPathKey("http://videos.example/watch/1"));
    EXPECT_FALSE(IsLocalPathKey(""));
}
