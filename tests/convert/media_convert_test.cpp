// CMediaConvert end to end: the real coder and this machine's ffmpeg on
// small generated clips.
#include "convert/media_convert.h"
#include "convert_fixture.h"
#include "support/event_wait.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace convert_test;

namespace {

struct Expected {
    const char* extension;
    const char* container;
};

const char* const kMp4Family = "mov,mp4,m4a,3gp,3g2,mj2";

const std::map<int, Expected> kFormats = {
    {1, {".mpg", "mpeg"}},     {2, {".mpg", "mpeg"}},     {3, {".mov", kMp4Family}},  {4, {".mp4", kMp4Family}},
    {5, {".mp4", kMp4Family}}, {6, {".mp4", kMp4Family}}, {7, {".mp4", kMp4Family}},  {8, {".3gp", kMp4Family}},
    {9, {".3gp", kMp4Family}}, {10, {".3gp", kMp4Family}}, {11, {".3g2", kMp4Family}}, {12, {".3g2", kMp4Family}},
    {13, {".3g2", kMp4Family}}, {14, {".avi", "avi"}},     {15, {".avi", "avi"}},      {16, {".wmv", "asf"}},
    {17, {".wmv", "asf"}},     {18, {".m4v", kMp4Family}}, {19, {".wma", "asf"}},      {20, {".mp3", "mp3"}},
    {21, {".m4a", kMp4Family}}, {22, {".3gp", kMp4Family}}, {23, {".3g2", kMp4Family}}, {24, {".mp4", kMp4Family}},
    {25, {".m4v", kMp4Family}}, {26, {".mp3", "mp3"}},     {27, {".m4a", kMp4Family}}, {28, {".flv", "flv"}},
    {29, {".flv", "flv"}},     {30, {".mp4", "flv"}},  // plain copies keep the source's content
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Each test runs in a process of its own: its temporary folder, media
// library folders and home are private directories.
class MediaConvertTest : public ::testing::Test {
protected:
    static constexpr const char* kVariables[] = {"TMPDIR", "HOME", "XDG_MUSIC_DIR", "XDG_VIDEOS_DIR", "CODER_FFMPEG"};

    void SetUp() override
    {
        savedFolder_ = std::filesystem::current_path();
        for (const char* name : kVariables)
            if (const char* value = std::getenv(name))
                savedEnvironment_[name] = value;
        std::filesystem::create_directories(work_ / "tmp");
        setenv("TMPDIR", (work_ / "tmp").c_str(), 1);
        setenv("HOME", (work_ / "home").c_str(), 1);
        setenv("XDG_MUSIC_DIR", (work_ / "music").c_str(), 1);
        setenv("XDG_VIDEOS_DIR", (work_ / "videos").c_str(), 1);
    }

    void TearDown() override
    {
        std::filesystem::current_path(savedFolder_);
        for (const char* name : kVariables) {
            if (savedEnvironment_.count(name))
                setenv(name, savedEnvironment_[name].c_str(), 1);
            else
                unsetenv(name);
        }
    }

    std::vector<std::string> TempEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(work_.path() / "tmp"))
            names.push_back(entry.path().filename().string());
        return names;
    }

    TempDir work_;
    std::map<std::string, std::string> savedEnvironment_;
    std::filesystem::path savedFolder_;
};

FILEINFO Info(int format, const std::string& source, const std::string& destination)
{
    FILEINFO info;
    info.format = format;
    info.source = source;
    info.destination = destination;
    return info;
}

}  // namespace

// Every format at once: also shows that many objects convert side by side.
TEST_F(MediaConvertTest, EveryFormatConvertsIntoItsContainerWithProgressToTheEnd)
{
    const std::string clip = GeneratedClip(2);
    std::filesystem::create_directories(work_ / "out");
    std::map<int, std::unique_ptr<RecordingConvert>> jobs;
    for (const auto& [format, expected] : kFormats) {
        jobs[format] = std::make_unique<RecordingConvert>();
        ASSERT_EQ(jobs[format]->StartConvert(Info(format, clip, work_ / ("out/format" + std::to_string(format)))), 0);
    }
    for (const auto& [format, expected] : kFormats) {
        auto& job = *jobs[format];
        ASSERT_TRUE(job.WaitForResult()) << "format " << format;
        EXPECT_EQ(job.Results(), std::vector<int>{MEDIA_CONVERT_SUCCEEDED}) << "format " << format;
        EXPECT_EQ(job.IsFinishConvert(), 1);
        const std::string output = work_ / ("out/format" + std::to_string(format) + expected.extension);
        EXPECT_EQ(ProbeContainer(output), expected.container) << "format " << format;
        const auto rates = job.Rates();
        ASSERT_FALSE(rates.empty()) << "format " << format;
        EXPECT_FLOAT_EQ(rates.back(), 1.0f) << "format " << format;
        for (float rate : rates)
            EXPECT_TRUE(rate >= 0 && rate <= 1.2f) << "format " << format << " rate " << rate;
    }
    EXPECT_EQ(ReadFile(work_ / "out/format29.flv"), ReadFile(clip));
    EXPECT_EQ(ReadFile(work_ / "out/format30.mp4"), ReadFile(clip));
    // The media-library formats left a copy in the user's folders.
    for (const char* added : {"videos/format24.mp4", "videos/format25.m4v", "music/format26.mp3", "music/format27.m4a"})
        EXPECT_TRUE(std::filesystem::is_regular_file(work_ / added)) << added;
    EXPECT_TRUE(TempEntries().empty());
}

TEST_F(MediaConvertTest, RefusedStartsAndUnusableInputs)
{
    const std::string clip = GeneratedClip(2);
    RecordingConvert job;
    EXPECT_EQ(job.StartConvert(Info(20, "", work_ / "x")), 0);
    EXPECT_EQ(job.StartConvert(Info(20, clip, "")), 0);
    EXPECT_FALSE(job.HasResult());

    // A source that cannot be opened is reported before StartConvert returns.
    EXPECT_EQ(job.StartConvert(Info(20, work_ / "missing.flv", work_ / "x")), 0);
    EXPECT_EQ(job.Results(), std::vector<int>{MEDIA_CONVERT_SOURCE_UNREADABLE});
    EXPECT_EQ(job.IsFinishConvert(), 1);

    RecordingConvert unknown;
    EXPECT_EQ(unknown.StartConvert(Info(31, clip, work_ / "x")), 0);
    ASSERT_TRUE(unknown.WaitForResult());
    EXPECT_EQ(unknown.Results(), std::vector<int>{MEDIA_CONVERT_UNKNOWN_FORMAT});

    RecordingConvert missingCopy;
    EXPECT_EQ(missingCopy.StartConvert(Info(29, work_ / "missing.flv", work_ / "copy")), 0);
    ASSERT_TRUE(missingCopy.WaitForResult());
    EXPECT_EQ(missingCopy.Results(), std::vector<int>{MEDIA_CONVERT_FAILED});
    EXPECT_EQ(work_.Entries(), (std::vector<std::string>{"tmp"}));
}

TEST_F(MediaConvertTest, SecondStartWhileRunningChangesNothing)
{
    const std::string clip = GeneratedClip(10);
    RecordingConvert job;
    job.onRate = [&](float) { job.EndConvert(); };
    ASSERT_EQ(job.StartConvert(Info(3, clip, work_ / "first")), 0);
    EXPECT_EQ(job.IsFinishConvert(), 0);
    EXPECT_EQ(job.StartConvert(Info(20, clip, work_ / "second")), 0);
    ASSERT_TRUE(job.WaitForResult());
    test_support::RunEventsUntil([&] { return job.IsFinishConvert() == 1; });
    EXPECT_EQ(job.Results(), std::vector<int>{MEDIA_CONVERT_FAILED});
    EXPECT_FALSE(std::filesystem::exists(work_ / "second.mp3"));
}

TEST_F(MediaConvertTest, EndConvertDuringAConversionLeavesNoFileBehind)
{
    // Blanks in both paths, so that temporary copies are in play as well.
    const std::string source = work_ / "my videos/long clip.flv";
    std::filesystem::create_directories(work_ / "my videos");
    std::filesystem::copy_file(GeneratedClip(10), source);
    RecordingConvert job;
    job.onRate = [&](float) { job.EndConvert(); };
    ASSERT_EQ(job.StartConvert(Info(3, source, work_ / "my videos/long result")), 0);
    ASSERT_TRUE(job.WaitForResult());
    EXPECT_EQ(job.Results(), std::vector<int>{MEDIA_CONVERT_FAILED});
    EXPECT_EQ(job.Rates().size(), 1u);  // nothing after the cancel
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(work_.path() / "my videos"))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"long clip.flv"});
    EXPECT_TRUE(TempEntries().empty());
}

TEST_F(MediaConvertTest, EndConvertDuringACopyLeavesNoFileBehind)
{
    const std::string source = work_ / "big.flv";
    std::filesystem::resize_file((std::ofstream(source), source), 64 * 1024 * 1024);
    std::filesystem::create_directories(work_ / "out");
    RecordingConvert job;
    job.onRate = [&](float) { job.EndConvert(); };
    ASSERT_EQ(job.StartConvert(Info(30, source, work_ / "out/big")), 0);
    ASSERT_TRUE(job.WaitForResult());
    EXPECT_EQ(job.Results(), std::vector<int>{MEDIA_CONVERT_FAILED});
    EXPECT_TRUE(std::filesystem::is_empty(work_ / "out"));
}

TEST_F(MediaConvertTest, PathsWithBlanksQuotesShellTextAndLeadingDashes)
{
    const std::string clip = GeneratedClip(2);
    const std::string odd = "a b \"q\" 'x' ; touch pwned $(touch pwned2) -f null";
    std::filesystem::create_directories(work_ / "in dir");
    std::filesystem::create_directories(work_ / "out dir");
    std::filesystem::copy_file(clip, work_ / ("in dir/" + odd + ".flv"));
    ASSERT_EQ(chdir(work_.path().c_str()), 0);
    std::filesystem::copy_file(clip, work_ / "-i.flv");

    RecordingConvert blanks, dashes;
    ASSERT_EQ(blanks.StartConvert(Info(20, "  " + (work_ / ("in dir/" + odd + ".flv")) + " ",
                                       work_ / ("out dir/-y " + odd))),
              0);
    ASSERT_EQ(dashes.StartConvert(Info(28, "-i.flv", "-vn")), 0);  // relative paths that look like options
    ASSERT_TRUE(blanks.WaitForResult());
    ASSERT_TRUE(dashes.WaitForResult());
    EXPECT_EQ(blanks.Results(), std::vector<int>{MEDIA_CONVERT_SUCCEEDED});
    EXPECT_EQ(dashes.Results(), std::vector<int>{MEDIA_CONVERT_SUCCEEDED});
    EXPECT_EQ(ProbeContainer(work_ / ("out dir/-y " + odd + ".mp3")), "mp3");
    EXPECT_EQ(ProbeContainer(work_ / "-vn.flv"), "flv");
    EXPECT_FALSE(std::filesystem::exists(work_ / "pwned"));
    EXPECT_FALSE(std::filesystem::exists(work_ / "pwned2"));
    EXPECT_TRUE(TempEntries().empty());
}

// A converted file is a file the user saves: its mode follows the user's
// umask, as a copy's does, whether or not a temporary name was in play.
TEST_F(MediaConvertTest, ConvertedFilesAndCopiesGetTheModeOfTheUsersUmask)
{
    const std::string clip = GeneratedClip(2);
    std::filesystem::create_directories(work_ / "out dir");
    const mode_t previous = umask(022);
    RecordingConvert plain, blank, copy;
    ASSERT_EQ(plain.StartConvert(Info(20, clip, work_ / "plain")), 0);
    ASSERT_EQ(blank.StartConvert(Info(20, clip, work_ / "out dir/with blank")), 0);
    ASSERT_EQ(copy.StartConvert(Info(29, clip, work_ / "copied")), 0);
    for (RecordingConvert* job : {&plain, &blank, &copy}) {
        ASSERT_TRUE(job->WaitForResult());
        EXPECT_EQ(job->Results(), std::vector<int>{MEDIA_CONVERT_SUCCEEDED});
    }
    umask(previous);
    const auto mode = [](const std::string& path) {
        struct stat status {};
        return ::stat(path.c_str(), &status) == 0 ? (status.st_mode & 07777) : 0u;
    };
    EXPECT_EQ(mode(work_ / "plain.mp3"), 0644u);
    EXPECT_EQ(mode(work_ / "out dir/with blank.mp3"), 0644u);
    EXPECT_EQ(mode(work_ / "copied.flv"), 0644u);

    // A stricter umask is kept too.
    umask(027);
    RecordingConvert strict, strictCopy;
    ASSERT_EQ(strict.StartConvert(Info(20, clip, work_ / "out dir/strict one")), 0);
    ASSERT_EQ(strictCopy.StartConvert(Info(29, clip, work_ / "strict copy")), 0);
    ASSERT_TRUE(strict.WaitForResult());
    ASSERT_TRUE(strictCopy.WaitForResult());
    umask(previous);
    EXPECT_EQ(mode(work_ / "out dir/strict one.mp3"), 0640u);
    EXPECT_EQ(mode(work_ / "strict copy.flv"), 0640u);
}

TEST_F(MediaConvertTest, EncoderFailureAndSilentEncoder)
{
    // A stand-in for ffmpeg: lists two encoders, then either fails after
    // writing part of the output or writes it without any progress.
    const std::string fake = work_ / "fake-ffmpeg";
    std::ofstream(fake) << "#!/bin/sh\n"
                           "case \"$*\" in *-encoders*) echo ' A..... libmp3lame mp3'; echo ' A..... aac aac'; exit 0;; esac\n"
                           "for last; do :; done\n"
                           "out=\"${last#file:}\"\n"
                           "echo partial > \"$out\"\n"
                           "if [ \"$FAKE_FFMPEG_FAILS\" = 1 ]; then echo \"Unknown encoder 'libmp3lame'\" >&2; exit 1; fi\n";
    std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
    setenv("CODER_FFMPEG", fake.c_str(), 1);
    const std::string clip = GeneratedClip(2);

    setenv("FAKE_FFMPEG_FAILS", "1", 1);
    RecordingConvert failing;
    ASSERT_EQ(failing.StartConvert(Info(20, clip, work_ / "failed")), 0);
    ASSERT_TRUE(failing.WaitForResult());
    EXPECT_EQ(failing.Results(), std::vector<int>{MEDIA_CONVERT_FAILED});
    EXPECT_FALSE(std::filesystem::exists(work_ / "failed.mp3"));

    setenv("FAKE_FFMPEG_FAILS", "0", 1);
    RecordingConvert silent;
    ASSERT_EQ(silent.StartConvert(Info(21, clip, work_ / "silent")), 0);
    ASSERT_TRUE(silent.WaitForResult());
    EXPECT_EQ(silent.Results(), std::vector<int>{MEDIA_CONVERT_SUCCEEDED});
    EXPECT_TRUE(silent.Rates().empty());
}

TEST_F(MediaConvertTest, MediaLibraryFailureGivesSevenAndKeepsTheResult)
{
    std::ofstream(work_ / "plain-file") << "";
    setenv("XDG_MUSIC_DIR", (work_ / "plain-file/music").c_str(), 1);
    RecordingConvert job;
    ASSERT_EQ(job.StartConvert(Info(26, GeneratedClip(2), work_ / "song")), 0);
    ASSERT_TRUE(job.WaitForResult());
    EXPECT_EQ(job.Results(), std::vector<int>{MEDIA_CONVERT_LIBRARY_ADD_FAILED});
    EXPECT_EQ(ProbeContainer(work_ / "song.mp3"), "mp3");
}

TEST_F(MediaConvertTest, NextConversionStartsFromInsideTheResult)
{
    const std::string clip = GeneratedClip(2);
    RecordingConvert job;
    int started = 0;
    job.onResult = [&](MEDIA_CONVERT_RESULT) {
        if (started++ == 0) {
            job.EndConvert();  // as the save dialog does before starting the next item
            EXPECT_EQ(job.StartConvert(Info(29, clip, work_ / "second")), 0);
        }
    };
    ASSERT_EQ(job.StartConvert(Info(29, clip, work_ / "first")), 0);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return job.Results().size() == 2; }));
    EXPECT_EQ(job.Results(), (std::vector<int>{MEDIA_CONVERT_SUCCEEDED, MEDIA_CONVERT_SUCCEEDED}));
    EXPECT_TRUE(test_support::RunEventsUntil([&] { return job.IsFinishConvert() == 1; }));
    EXPECT_TRUE(std::filesystem::exists(work_ / "second.flv"));
}

TEST_F(MediaConvertTest, DestroyingAnObjectStopsItsConversion)
{
    struct Counts {
        std::atomic<int> rates{0};
        std::atomic<int> results{0};
    };
    struct Plain : CMediaConvert {
        explicit Plain(Counts& c) : counts(c) {}
        void OnFinishRate(float) override { ++counts.rates; }
        void OnFinishResult(MEDIA_CONVERT_RESULT) override { ++counts.results; }
        Counts& counts;
    };
    Counts counts;
    auto job = std::make_unique<Plain>(counts);
    ASSERT_EQ(job->StartConvert(Info(3, GeneratedClip(10), work_ / "dropped")), 0);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return counts.rates > 0; }));
    job.reset();  // waits for the worker
    EXPECT_EQ(counts.results, 0);
    EXPECT_FALSE(std::filesystem::exists(work_ / "dropped.mov"));
}

// A video cached as segments is joined by stream copy into one MP4: the
// copy format keeps that MP4, any other format converts it.
TEST_F(MediaConvertTest, HlsSegmentsAreJoinedIntoOneMp4OfTheWholeDuration)
{
    std::filesystem::create_directories(work_ / "out");
    RecordingConvert job;
    FILEINFO info = Info(30, "", work_ / "out/stream");
    info.tracks = GeneratedSegments(SegmentedKind::Hls);
    ASSERT_EQ(job.StartConvert(info), 0);
    ASSERT_TRUE(job.WaitForResult());
    EXPECT_EQ(job.Results(), std::vector<int>{MEDIA_CONVERT_SUCCEEDED});
    const std::string output = work_ / "out/stream.mp4";
    EXPECT_EQ(ProbeContainer(output), kMp4Family);
    EXPECT_EQ(ProbeCodecs(output), "h264,aac");
    EXPECT_NEAR(ProbeDuration(output), 4.0, 0.2);
    ASSERT_FALSE(job.Rates().empty());
    EXPECT_FLOAT_EQ(job.Rates().back(), 1.0f);
    EXPECT_EQ(std::vector<std::string>{"stream.mp4"}, [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(work_.path() / "out"))
            names.push_back(entry.path().filename().string());
        return names;
    }());
    EXPECT_TRUE(TempEntries().empty());
}

TEST_F(MediaConvertTest, DashVideoAndAudioTracksAreJoinedIntoOneMp4)
{
    RecordingConvert job;
    FILEINFO info = Info(30, "", work_ / "stream");
    info.tracks = GeneratedSegments(SegmentedKind::Dash);
    ASSERT_EQ(info.tracks.size(), 2u);
    ASSERT_EQ(job.StartConvert(info), 0);
    ASSERT_TRUE(job.WaitForResult());
    EXPECT_EQ(job.Results(), std::vector<int>{MEDIA_CONVERT_SUCCEEDED});
    EXPECT_EQ(ProbeCodecs(work_ / "stream.mp4"), "h264,aac");
    EXPECT_NEAR(ProbeDuration(work_ / "stream.mp4"), 4.0, 0.2);
    EXPECT_TRUE(TempEntries().empty());
}

TEST_F(MediaConvertTest, AConversionOfSegmentsTakesTheJoinedMp4AsItsInput)
{
    RecordingConvert job;
    FILEINFO info = Info(20, "", work_ / "song");
    info.tracks = GeneratedSegments(SegmentedKind::Hls);
    ASSERT_EQ(job.StartConvert(info), 0);
    ASSERT_TRUE(job.WaitForResult());
    EXPECT_EQ(job.Results(), std::vector<int>{MEDIA_CONVERT_SUCCEEDED});
    EXPECT_EQ(ProbeContainer(work_ / "song.mp3"), "mp3");
    EXPECT_NEAR(ProbeDuration(work_ / "song.mp3"), 4.0, 0.3);
    const auto rates = job.Rates();
    ASSERT_FALSE(rates.empty());
    // The conversion's rate follows on from the join's (an encoder's rate may pass 1 a little at its end).
    for (std::size_t i = 1; i < rates.size(); ++i)
        EXPECT_GE(rates[i], rates[i - 1] - 0.01f) << ::testing::PrintToString(rates);
    EXPECT_FLOAT_EQ(rates.back(), 1.0f);
    EXPECT_TRUE(TempEntries().empty()) << "the joined MP4 is gone";
}

TEST_F(MediaConvertTest, AJoinThatFailsOrIsCancelledLeavesNoFileBehind)
{
    std::filesystem::create_directories(work_ / "out");
    const auto outEntries = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(work_.path() / "out"))
            names.push_back(entry.path().filename().string());
        return names;
    };
    // A segment that is not there: ffmpeg cannot read the track.
    std::vector<std::vector<std::string>> broken = GeneratedSegments(SegmentedKind::Hls);
    broken[0][2] = work_ / "gone.ts";
    RecordingConvert failing;
    FILEINFO info = Info(30, "", work_ / "out/broken");
    info.tracks = broken;
    ASSERT_EQ(failing.StartConvert(info), 0);
    ASSERT_TRUE(failing.WaitForResult());
    EXPECT_EQ(failing.Results(), std::vector<int>{MEDIA_CONVERT_FAILED});
    EXPECT_TRUE(outEntries().empty());
    EXPECT_TRUE(TempEntries().empty());

    // A stand-in ffmpeg writes part of its output and then hangs until it
    // is stopped.
    const std::string fake = work_ / "slow-ffmpeg";
    std::ofstream(fake) << "#!/bin/sh\n"
                           "for last; do :; done\n"
                           "echo partial > \"${last#file:}\"\n"
                           "exec sleep 60\n";
    std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
    setenv("CODER_FFMPEG", fake.c_str(), 1);
    RecordingConvert cancelled;
    info = Info(30, "", work_ / "out/cancelled");
    info.tracks = GeneratedSegments(SegmentedKind::Hls);
    ASSERT_EQ(cancelled.StartConvert(info), 0);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return !outEntries().empty(); })) << "the join never began";
    cancelled.EndConvert();
    ASSERT_TRUE(cancelled.WaitForResult());
    EXPECT_EQ(cancelled.Results(), std::vector<int>{MEDIA_CONVERT_FAILED});
    EXPECT_TRUE(outEntries().empty());
    EXPECT_TRUE(TempEntries().empty());
}
