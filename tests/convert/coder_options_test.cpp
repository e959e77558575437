// coder's translation of the presets' old command lines, and what it makes
// of ffmpeg's output.
#include "convert/coder/ffmpeg_report.h"
#include "convert/coder/legacy_options.h"
#include "convert/convert_formats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>

using coder::TranslateLegacyArgs;

namespace {

bool Everything(const std::string&)
{
    return true;
}

bool NoAmr(const std::string& name)
{
    return name != "libopencore_amrnb";
}

std::vector<std::string> ArgsOf(int format, const std::string& input = "in.flv", const std::string& output = "out")
{
    return convert::BuildEncoderArguments(*convert::FindPreset(format), input, output);
}

// The value that follows option in args, or "" when absent.
std::string ValueOf(const std::vector<std::string>& args, const std::string& option)
{
    const auto it = std::find(args.begin(), args.end(), option);
    return it == args.end() || it + 1 == args.end() ? "" : *(it + 1);
}

bool Has(const std::vector<std::string>& args, const std::string& word)
{
    return std::find(args.begin(), args.end(), word) != args.end();
}

std::set<std::string> MachineEncoders()
{
    std::set<std::string> names;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen("ffmpeg -hide_banner -encoders 2>/dev/null", "r"), pclose);
    if (!pipe)
        return names;
    std::array<char, 512> line{};
    while (fgets(line.data(), line.size(), pipe.get())) {
        std::istringstream words(line.data());
        std::string flags, name;
        if (words >> flags >> name && flags.size() == 6)
            names.insert(name);
    }
    return names;
}

}  // namespace

TEST(CoderOptions, EveryPresetTranslatesWithThisMachinesEncoders)
{
    const std::set<std::string> encoders = MachineEncoders();
    ASSERT_FALSE(encoders.empty()) << "ffmpeg -encoders listed nothing";
    const auto has = [&](const std::string& name) { return encoders.count(name) > 0; };
    for (int format = 1; format <= 28; ++format) {
        const auto plan = TranslateLegacyArgs(ArgsOf(format), has);
        EXPECT_EQ(plan.error, "") << "format " << format;
        for (const char* codecOption : {"-c:v", "-c:a"}) {
            const std::string encoder = ValueOf(plan.ffmpegArgs, codecOption);
            if (!encoder.empty()) {
                EXPECT_TRUE(has(encoder)) << "format " << format << " needs " << encoder;
            }
        }
        EXPECT_EQ(plan.ffmpegArgs.back(), std::string("file:out") + convert::FindPreset(format)->extension)
            << "format " << format;
    }
}

TEST(CoderOptions, RetiredOptionsBecomeTodaysEquivalents)
{
    const auto psp = TranslateLegacyArgs(ArgsOf(4), Everything).ffmpegArgs;
    EXPECT_EQ(ValueOf(psp, "-f"), "mp4");
    EXPECT_EQ(ValueOf(psp, "-c:v"), "mpeg4");
    EXPECT_EQ(ValueOf(psp, "-c:a"), "aac");
    EXPECT_EQ(ValueOf(psp, "-b:a"), "128k");          // "-ab 128" meant kilobits
    EXPECT_EQ(ValueOf(psp, "-af"), "volume=0.78125");  // "-vol" counted 256 as unchanged
    EXPECT_EQ(ValueOf(psp, "-r"), "30000/1001");
    EXPECT_EQ(ValueOf(psp, "-s"), "240x176");
    EXPECT_EQ(ValueOf(psp, "-maxrate"), "768k");

    const auto mpeg = TranslateLegacyArgs(ArgsOf(2), Everything).ffmpegArgs;
    EXPECT_EQ(ValueOf(mpeg, "-c:v"), "mpeg1video");
    EXPECT_EQ(ValueOf(mpeg, "-q:v"), "2");  // -sameq on a quantiser-based encoder

    const auto mov = TranslateLegacyArgs(ArgsOf(3), Everything).ffmpegArgs;
    EXPECT_EQ(ValueOf(mov, "-crf"), "18");  // -sameq on x264
    EXPECT_FALSE(Has(mov, "-q:v"));

    const auto m4v = TranslateLegacyArgs(ArgsOf(18), Everything).ffmpegArgs;
    EXPECT_EQ(ValueOf(m4v, "-c:a"), "aac");  // libfaac
    EXPECT_EQ(ValueOf(m4v, "-level"), "13");
    EXPECT_EQ(ValueOf(m4v, "-pix_fmt"), "yuv420p");

    const auto g2 = TranslateLegacyArgs(ArgsOf(11), Everything).ffmpegArgs;
    EXPECT_EQ(ValueOf(g2, "-b:v"), "128k");
    EXPECT_EQ(ValueOf(g2, "-b:a"), "12.2k");
    EXPECT_EQ(ValueOf(g2, "-c:v"), "h263");

    for (int audioOnly : {19, 20, 21, 22, 23}) {
        const auto args = TranslateLegacyArgs(ArgsOf(audioOnly), Everything).ffmpegArgs;
        EXPECT_TRUE(Has(args, "-vn")) << "format " << audioOnly;
        EXPECT_FALSE(Has(args, "-r")) << "format " << audioOnly;
    }
}

TEST(CoderOptions, AmrNarrowbandFallsBackToAacWithANote)
{
    const auto withoutAmr = TranslateLegacyArgs(ArgsOf(8), NoAmr);
    EXPECT_EQ(ValueOf(withoutAmr.ffmpegArgs, "-c:a"), "aac");
    ASSERT_EQ(withoutAmr.notes.size(), 1u);
    EXPECT_NE(withoutAmr.notes[0].find("AAC"), std::string::npos);

    const auto withAmr = TranslateLegacyArgs(ArgsOf(22), Everything);
    EXPECT_EQ(ValueOf(withAmr.ffmpegArgs, "-c:a"), "libopencore_amrnb");
    EXPECT_TRUE(withAmr.notes.empty());
}

TEST(CoderOptions, PathsStayWholeAndCannotActAsOptions)
{
    const std::string input = "-i evil \"q\" 'x'.flv";
    const std::string output = "-f null; rm -rf x";
    const auto args = ArgsOf(20, input, output);
    EXPECT_EQ(ValueOf(args, "-i"), input);
    EXPECT_EQ(args.back(), output + ".mp3");

    const auto plan = TranslateLegacyArgs(args, Everything);
    ASSERT_EQ(plan.error, "");
    EXPECT_EQ(plan.inputPath, input);
    EXPECT_EQ(plan.outputPath, output + ".mp3");
    EXPECT_EQ(ValueOf(plan.ffmpegArgs, "-i"), "file:" + input);
    EXPECT_EQ(plan.ffmpegArgs.back(), "file:" + output + ".mp3");

    // The doubled blank of format 17 makes no empty argument.
    for (const auto& word : ArgsOf(17))
        EXPECT_FALSE(word.empty());
}

TEST(CoderOptions, MalformedCommandLinesAreRefused)
{
    EXPECT_NE(TranslateLegacyArgs({"-y", "-i", "a.flv", "-bogus", "1", "b.mp3"}, Everything).error, "");
    EXPECT_NE(TranslateLegacyArgs({"-y", "-vol", "200", "b.mp3"}, Everything).error, "");  // no input
    EXPECT_NE(TranslateLegacyArgs({"-y", "-i", "a.flv", "b.xyz"}, Everything).error, "");
    EXPECT_NE(TranslateLegacyArgs({"-y", "-i", "a.flv", "-vol", "loud", "b.mp3"}, Everything).error, "");
    EXPECT_NE(TranslateLegacyArgs({"-i", "b.mp3"}, Everything).error, "");
}

TEST(CoderReport, PrintsDurationOnceAndProgressInSeconds)
{
    coder::FfmpegReport report;
    auto lines = report.FeedLog("Input #0, flv, from 'file:a.flv':\n  Duration: 00:01:02.50, start: 0.0");
    EXPECT_TRUE(lines.empty());  // the line is not complete yet
    lines = report.FeedLog(", bitrate: 500 kb/s\nInput #1\n  Duration: 00:00:09.00, start: 0\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "  Duration: 00:01:02.50, start\n");

    lines = report.FeedProgress("frame=25\nout_time_us=N/A\nbitrate=N/A\nprogress=continue\n");
    EXPECT_TRUE(lines.empty());
    lines = report.FeedProgress("frame=50\nout_time_us=2040000\nbitrate= 65.7kbits/s\nprogress=end\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "frame=50 time=2.04 bitrate=65.7kbits/s\n");
}

// ffmpeg's log and its progress come on two pipes; a short conversion may
// deliver its only progress block before the log line with the duration. The
// library can only turn "time=" into a share after it saw the duration, so a
// block that arrives first is held back and printed right after it.
TEST(CoderReport, ProgressBeforeTheDurationIsPrintedAfterIt)
{
    coder::FfmpegReport report;
    auto lines = report.FeedProgress("frame=16\nout_time_us=1000000\nbitrate=1k\nprogress=continue\n");
    EXPECT_TRUE(lines.empty());
    lines = report.FeedProgress("frame=32\nout_time_us=2000000\nbitrate=2k\nprogress=end\n");
    EXPECT_TRUE(lines.empty());
    lines = report.FeedLog("  Duration: 00:00:02.00, start: 0\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "  Duration: 00:00:02.00, start\n");
    EXPECT_EQ(lines[1], "frame=32 time=2.00 bitrate=2k\n");  // only the latest block
    lines = report.FeedProgress("frame=33\nout_time_us=2100000\nbitrate=2k\nprogress=end\n");
    ASSERT_EQ(lines.size(), 1u);
}

TEST(CoderReport, NamesTheEncoderFfmpegLacks)
{
    coder::FfmpegReport report;
    report.FeedLog("Duration: N/A, start\nUnknown encoder 'libfoo'\r");
    EXPECT_EQ(report.MissingEncoder(), "libfoo");
    EXPECT_EQ(report.RecentLog().back(), "Unknown encoder 'libfoo'");
}
