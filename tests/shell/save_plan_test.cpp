// The save dialog's rules: the offered formats, safe file names, the
// default folder and destinations that never overwrite a file.
#include "shell/save/save_plan.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

TEST(SavePlan, TheFormatsAreOfferedFlvFirstAndWithoutTheLibrarysOthers)
{
    const auto& formats = OfferedFormats();
    ASSERT_EQ(formats.size(), 23u);
    EXPECT_EQ(formats.front().format, 29);
    EXPECT_EQ(formats.front().stringId, 30090);
    EXPECT_EQ(formats.back().format, 1);
    for (const int missing : {3, 17, 19, 22, 23, 28, 30})
        EXPECT_TRUE(std::none_of(formats.begin(), formats.end(), [&](const OfferedFormat& f) { return f.format == missing; }))
            << missing;
    EXPECT_EQ(ExtensionOfFormat(29), ".flv");
    EXPECT_EQ(ExtensionOfFormat(20), ".mp3");
}

TEST(SavePlan, AnyTitleGivesAValidFileName)
{
    EXPECT_EQ(MakeSafeFileName("a:b?c"), "a_b_c");
    EXPECT_EQ(MakeSafeFileName("\\/:*?\"<>|"), "_________");
    EXPECT_EQ(MakeSafeFileName("two\r\nlines\tand tab"), "two__lines_and tab");
    EXPECT_EQ(MakeSafeFileName(" .. "), "video");
    EXPECT_EQ(MakeSafeFileName(""), "video");
    EXPECT_EQ(MakeSafeFileName("..secret"), "secret") << "no hidden file, no way up";
    const std::string chinese = "视频";  // 6 bytes
    std::string longTitle;
    for (int i = 0; i < 60; ++i)
        longTitle += chinese;
    const std::string cut = MakeSafeFileName(longTitle);
    EXPECT_LE(cut.size(), 200u);
    EXPECT_EQ(cut.size() % 3, 0u) << "no character is split";
    EXPECT_EQ(MakeSafeFileName(std::string(300, 'x')).size(), 200u);

    TempFolder folder;
    for (const std::string& title : {std::string("a/b:c?*\"<>|\n"), longTitle, std::string(300, 'x')}) {
        const std::string path = folder / (MakeSafeFileName(title) + ".flv");
        EXPECT_TRUE(std::ofstream(path).good()) << title;
    }
}

TEST(SavePlan, FolderAndDestination)
{
    EXPECT_EQ(ChooseSaveFolder("", "/home/u/Documents"), "/home/u/Documents/MyFLVVideo");
    EXPECT_EQ(ChooseSaveFolder("/data/videos///", "/x"), "/data/videos");
    TempFolder folder;
    const std::string base = folder.path().substr(0, folder.path().size() - 1);
    EXPECT_EQ(UniqueDestination(base, "clip", ".flv"), base + "/clip");
    std::ofstream(base + "/clip.flv") << "taken";
    std::ofstream(base + "/clip (2).flv") << "taken";
    EXPECT_EQ(UniqueDestination(base, "clip", ".flv"), base + "/clip (3)") << "an existing file is never overwritten";
    EXPECT_EQ(UniqueDestination(base, "clip", ".mp3"), base + "/clip");
}
