// The library's parts: temporary names, chunked copies, the media library
// and the sweep that stops running encoders.
#include "convert/file_copy.h"
#include "convert/media_library.h"
#include "convert/process_sweep.h"
#include "convert/temp_names.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using convert::LibraryKind;
using convert_test::TempDir;

extern char** environ;

namespace {

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old, hadOld_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (hadOld_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool hadOld_ = false;
};

}  // namespace

TEST(TempNames, ConcurrentObjectsNeverShareAName)
{
    std::mutex lock;
    std::set<std::string> names;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                const std::string base = convert::NewTempBase();
                std::lock_guard<std::mutex> hold(lock);
                names.insert(base);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(names.size(), 4000u);
    for (const auto& name : names)
        ASSERT_EQ(name.rfind(convert::TempFolder(), 0), 0u) << name;
}

TEST(TempNames, ReservationNeverReusesAnExistingFile)
{
    TempDir dir;
    ScopedEnv tmp("TMPDIR", dir.path().string());
    EXPECT_TRUE(convert::CreateExclusive(dir / "taken.flv"));
    EXPECT_FALSE(convert::CreateExclusive(dir / "taken.flv"));
    symlink("/nonexistent-target", (dir / "link.flv").c_str());
    EXPECT_FALSE(convert::CreateExclusive(dir / "link.flv"));

    const std::string base = convert::ReserveTempFile(".mp3");
    ASSERT_FALSE(base.empty());
    EXPECT_EQ(base.rfind(dir.path().string() + "/", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(base + ".mp3"));
}

TEST(FileCopy, CopiesWithRisingProgressAndReplacesOnlyWhenComplete)
{
    TempDir dir;
    const std::string content(1024 * 1024 + 7, 'x');
    WriteFile(dir / "source.flv", content);
    WriteFile(dir / "dest.flv", "old");

    std::vector<float> rates;
    ASSERT_TRUE(convert::CopyFileWithProgress(dir / "source.flv", dir / "dest.flv", nullptr,
                                              [&](float rate) { rates.push_back(rate); }));
    EXPECT_EQ(ReadFile(dir / "dest.flv"), content);
    ASSERT_GE(rates.size(), 4u);
    EXPECT_TRUE(std::is_sorted(rates.begin(), rates.end()));
    EXPECT_FLOAT_EQ(rates.back(), 1.0f);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"dest.flv", "source.flv"}));
}

TEST(FileCopy, CancelAndFailureLeaveNoPartialFileAndKeepTheOldOne)
{
    TempDir dir;
    WriteFile(dir / "source.flv", std::string(2 * 1024 * 1024, 'y'));
    WriteFile(dir / "dest.flv", "old");
    std::atomic<int> cancel{0};
    EXPECT_FALSE(convert::CopyFileWithProgress(dir / "source.flv", dir / "dest.flv", &cancel,
                                               [&](float) { cancel = 1; }));
    EXPECT_EQ(ReadFile(dir / "dest.flv"), "old");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"dest.flv", "source.flv"}));

    EXPECT_FALSE(convert::CopyFileWithProgress(dir / "missing.flv", dir / "new.flv", nullptr, nullptr));
    EXPECT_FALSE(convert::CopyFileWithProgress(dir / "source.flv", dir / "no-such-folder/new.flv", nullptr, nullptr));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"dest.flv", "source.flv"}));
}

TEST(MediaLibrary, FolderComesFromEnvironmentThenUserDirsThenHome)
{
    TempDir home;
    ScopedEnv homeVar("HOME", home.path().string());
    ScopedEnv config("XDG_CONFIG_HOME", home / "config");
    unsetenv("XDG_MUSIC_DIR");
    unsetenv("XDG_VIDEOS_DIR");
    EXPECT_EQ(convert::MediaLibraryFolder(LibraryKind::Music), home / "Music");
    EXPECT_EQ(convert::MediaLibraryFolder(LibraryKind::Video), home / "Videos");

    std::filesystem::create_directories(home / "config");
    WriteFile(home / "config/user-dirs.dirs",
              "# written by xdg-user-dirs-update\nXDG_MUSIC_DIR=\"$HOME/Musik\"\nXDG_VIDEOS_DIR=\"/srv/filme\"\n");
    EXPECT_EQ(convert::MediaLibraryFolder(LibraryKind::Music), home / "Musik");
    EXPECT_EQ(convert::MediaLibraryFolder(LibraryKind::Video), "/srv/filme");

    ScopedEnv music("XDG_MUSIC_DIR", home / "from-env");
    EXPECT_EQ(convert::MediaLibraryFolder(LibraryKind::Music), home / "from-env");
    EXPECT_EQ(convert::MediaLibraryFolder(LibraryKind::None), "");
}

TEST(MediaLibrary, AddsACopyUnderAFreeNameAndReportsFailure)
{
    TempDir dir;
    WriteFile(dir / "song.mp3", "tune");
    ScopedEnv music("XDG_MUSIC_DIR", dir / "lib/music");
    EXPECT_EQ(convert::AddToMediaLibrary(dir / "song.mp3", LibraryKind::Music), dir / "lib/music/song.mp3");
    EXPECT_EQ(convert::AddToMediaLibrary(dir / "song.mp3", LibraryKind::Music), dir / "lib/music/song (2).mp3");
    EXPECT_EQ(ReadFile(dir / "lib/music/song (2).mp3"), "tune");
    EXPECT_TRUE(std::filesystem::exists(dir / "song.mp3"));

    WriteFile(dir / "plain-file", "");
    ScopedEnv blocked("XDG_VIDEOS_DIR", dir / "plain-file/videos");
    EXPECT_EQ(convert::AddToMediaLibrary(dir / "song.mp3", LibraryKind::Video), "");
}

TEST(ProcessSweep, StopsOnlyProcessesOfThatExecutable)
{
    TempDir dir;
    const std::string fakeEncoder = dir / "coder";
    std::filesystem::copy_file("/bin/sleep", fakeEncoder);
    std::filesystem::permissions(fakeEncoder, std::filesystem::perms::owner_all);

    auto start = [](const std::string& program) {
        pid_t pid = -1;
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("30"), nullptr};
        posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ);
        return pid;
    };
    const pid_t encoder = start(fakeEncoder);
    const pid_t bystander = start("/bin/sleep");
    ASSERT_GT(encoder, 0);
    ASSERT_GT(bystander, 0);

    EXPECT_EQ(convert::TerminateProcessesRunning(fakeEncoder), 1);
    int status = 0;
    ASSERT_EQ(waitpid(encoder, &status, 0), encoder);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(waitpid(bystander, &status, WNOHANG), 0);  // still running
    kill(bystander, SIGKILL);
    waitpid(bystander, &status, 0);
}
