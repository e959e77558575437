// What the one argument of quelt asks for: a file to play, "uninstall", a
// stream address or a page address; quotes around it do not count.
#include "app/command_line.h"

#include "common/ids/string_ids.h"
#include "common/string_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(CommandLineTest, FilesUninstallStreamsAndPagesAreToldApartWithOrWithoutQuotes)
{
    const fs::path folder = fs::temp_directory_path() / ("quelt-command-line-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string file = (folder / "clip one.flv").string();
    std::ofstream(file) << "FLV";

    // An existing file, bare or in quotes, is the video to play.
    for (const std::string& argument : {file, "\"" + file + "\"", "\"\"" + file + "\"\""}) {
        SCOPED_TRACE(argument);
        const StartRequest request = ParseCommandLine(argument);
        EXPECT_EQ(request.pendingKey, file);
        EXPECT_EQ(request.streamUrl, "");
        EXPECT_EQ(request.pageUrl, "");
        EXPECT_FALSE(request.uninstall);
    }
    // A relative name becomes the file's full path.
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    EXPECT_EQ(ParseCommandLine("clip one.flv").pendingKey, file);
    fs::current_path(before);

    // A missing file, a folder and nothing at all ask for nothing.
    for (const std::string& argument : {(folder / "missing.flv").string(), folder.string(), std::string(), std::string("\"\"")}) {
        SCOPED_TRACE(argument);
        const StartRequest request = ParseCommandLine(argument);
        EXPECT_EQ(request.pendingKey, "");
        EXPECT_EQ(request.streamUrl, "");
        EXPECT_EQ(request.pageUrl, "");
        EXPECT_FALSE(request.uninstall);
    }

    EXPECT_TRUE(ParseCommandLine("uninstall").uninstall);
    EXPECT_TRUE(ParseCommandLine("\"uninstall\"").uninstall);
    EXPECT_FALSE(ParseCommandLine("uninstall-now").uninstall);
    EXPECT_EQ(ParseCommandLine("uninstall").pendingKey, "");

    // A stream: the path ends in .flv or .mp4, whatever its query says.
    for (const std::string& url : {std::string("http://host/v/clip.flv"), std::string("https://host/a.mp4?token=1"),
                                   std::string("http://host/b.flv#start")}) {
        SCOPED_TRACE(url);
        const StartRequest request = ParseCommandLine("\"" + url + "\"");
        EXPECT_EQ(request.streamUrl, url);
        EXPECT_EQ(request.pageUrl, "");
        EXPECT_EQ(request.pendingKey, "");
    }
    // A page: any other address, a query naming a .flv included.
    for (const std::string& url : {std::string("http://host/watch?v=1"), std::string("https://host/play.html"),
                                   std::string("http://host/page?file=a.flv")}) {
        SCOPED_TRACE(url);
        const StartRequest request = ParseCommandLine(url);
        EXPECT_EQ(request.pageUrl, url);
        EXPECT_EQ(request.streamUrl, "");
    }
    // Not an address of the web: nothing.
    EXPECT_EQ(ParseCommandLine("ftp://host/a.flv").streamUrl, "");
    EXPECT_EQ(ParseCommandLine("ftp://host/a.flv").pageUrl, "");

    EXPECT_EQ(StreamTitle("http://host/v/clip.flv?x=1"), "clip.flv");
    EXPECT_EQ(StreamTitle("http://host/"), "http://host/");
    fs::remove_all(folder);
}

// A path that names no file plays nothing, and the request says why, for
// the terminal and for the status line.
TEST(CommandLineTest, APathThatNamesNoFileSaysWhyForTheTerminalAndTheStatusLine)
{
    const fs::path folder = fs::temp_directory_path() / ("quelt-bad-path-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string missing = (folder / "missing.flv").string();
    struct Case {
        std::string argument;
        PathProblem problem;
        std::string reason;
        int status;
    };
    for (const Case& bad : {Case{missing, PathProblem::Missing, missing + ": no such file", IDS_ARG_NO_SUCH_FILE},
                            Case{"\"" + folder.string() + "\"", PathProblem::Folder,
                                 folder.string() + ": is a folder, not a video file", IDS_ARG_IS_FOLDER},
                            Case{"/dev/null", PathProblem::NotAFile, "/dev/null: is not a file that can be played",
                                 IDS_ARG_NOT_A_FILE}}) {
        SCOPED_TRACE(bad.argument);
        const StartRequest request = ParseCommandLine(bad.argument);
        EXPECT_EQ(request.problem, bad.problem);
        EXPECT_EQ(request.pendingKey, "");
        EXPECT_EQ(BadPathReason(request), bad.reason);
        const std::string status = BadPathStatus(request);
        const std::string text = LoadString(bad.status);
        ASSERT_NE(text.find("%s"), std::string::npos);
        EXPECT_EQ(status, text.substr(0, text.find("%s")) + request.badPath) << status;
    }
    // The Chinese texts of the string table, in its style.
    EXPECT_EQ(LoadString(IDS_ARG_NO_SUCH_FILE), "找不到视频文件：%s");
    EXPECT_EQ(LoadString(IDS_ARG_IS_FOLDER), "这是一个文件夹，不是视频文件：%s");

    // A file, a page, "uninstall" and nothing at all are no bad path.
    const std::string file = (folder / "clip.flv").string();
    std::ofstream(file) << "FLV";
    for (const std::string& argument : {file, std::string("http://host/page"), std::string("uninstall"), std::string()}) {
        SCOPED_TRACE(argument);
        const StartRequest request = ParseCommandLine(argument);
        EXPECT_EQ(request.problem, PathProblem::None);
        EXPECT_EQ(BadPathReason(request), "");
        EXPECT_EQ(BadPathStatus(request), "");
    }
    fs::remove_all(folder);
}

TEST(CommandLineTest, VerboseIsAnOptionWhereverItStandsAndTheFirstOtherArgumentCounts)
{
    const char* before[] = {"quelt", "--verbose", "http://host/page", "http://host/other"};
    StartRequest request = ParseArguments(4, before);
    EXPECT_TRUE(request.verbose);
    EXPECT_EQ(request.pageUrl, "http://host/page");
    const char* after[] = {"quelt", "http://host/v.flv", "--verbose"};
    request = ParseArguments(3, after);
    EXPECT_TRUE(request.verbose);
    EXPECT_EQ(request.streamUrl, "http://host/v.flv");
    const char* none[] = {"quelt"};
    request = ParseArguments(1, none);
    EXPECT_FALSE(request.verbose);
    EXPECT_EQ(request.problem, PathProblem::None);
}

}  // namespace
