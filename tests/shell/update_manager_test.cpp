// The update check against the test site: versions, the setup download and
// its digests, the retries and the one question.
#include "common/md5.h"
#include "shell/update/update_manager.h"
#include "support/event_wait.h"
#include "temp_folder.h"
#include "test_site/test_site.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using test_support::RunEventsUntil;

const std::string kSetup = "#!/bin/sh\necho a new Quelt\n";

class UpdateTest : public ::testing::Test {
protected:
    UpdateTest()
    {
        site.Start();
        site.AddFile("/setup", kSetup);
        hooks.askToUpdate = [this] {
            ++questions;
            return answer;
        };
        hooks.showUpdaterNote = [this] { ++notes; };
        hooks.exitProgram = [this] { ++exits; };
        hooks.startUpdater = [this](const std::string& updater, const std::string& pid) { started = updater + " " + pid; };
    }
    void Config(const std::string& text) { site.AddFile("/config", text); }
    std::string Configured(const std::string& version, const std::string& md5, const std::string& extra = {})
    {
        return "[info]\nver=" + version + "\nmd5=" + md5 + "\nsetup_url=" + site.Url("/setup") + "\n" + extra;
    }
    std::unique_ptr<CUpdateManager> Manager()
    {
        auto manager = std::make_unique<CUpdateManager>(site.Url("/config"), folder.path(), hooks);
        manager->SetRetryDelay(50);
        return manager;
    }
    void Installed(const std::string& version) { WriteWholeFile(folder / "update_config.x", "[info]\nver=" + version + "\n"); }
    std::size_t Requests(const std::string& path) const { return site.RequestsFor(path).size(); }

    TempFolder folder;
    test_site::TestSite site;
    CUpdateManager::Hooks hooks;
    int questions = 0, notes = 0, exits = 0;
    bool answer = true;
    std::string started;
};

TEST_F(UpdateTest, TheSameVersionRemovesTheLeftoverAndAsksNothing)
{
    Installed("2.0");
    WriteWholeFile(folder / "update_setup", "old setup");
    Config(Configured("2.0", Md5Hex(kSetup)));
    auto manager = Manager();
    manager->StartCheck(0);
    ASSERT_TRUE(RunEventsUntil([&] { return !fs::exists(folder / "update_setup"); }));
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(Requests("/setup"), 0u);
}

TEST_F(UpdateTest, AnotherVersionEvenALowerOneIsDownloadedVerifiedAndOffered)
{
    Installed("3.0");
    Config(Configured("2.9", Md5Hex(kSetup)));
    auto manager = Manager();
    manager->StartCheck(0);
    ASSERT_TRUE(RunEventsUntil([&] { return questions == 1; }));
    EXPECT_EQ(ReadWholeFile(folder / "update_setup"), kSetup);
    struct stat info {};
    ASSERT_EQ(::stat((folder / "update_setup").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "owner-only, and not executable";
    EXPECT_FALSE(fs::exists(folder / "update_setup.part"));
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(started, folder / ("AutoUpdate " + std::to_string(::getpid())));
    EXPECT_EQ(notes, 0) << "Linux counts as platform version 5";
    manager->AskAndRunUpdater();
    EXPECT_EQ(questions, 1) << "asked once per run";
}

// A configuration saved with a UTF-8 byte order mark and upper-case hex
// digests is the same configuration: the setup is fetched once and offered.
TEST_F(UpdateTest, ByteOrderMarkAndUpperCaseDigestsAreUnderstood)
{
    const std::string sha = QCryptographicHash::hash(QByteArray::fromStdString(kSetup), QCryptographicHash::Sha256)
                                .toHex().toUpper().toStdString();
    Config("\xEF\xBB\xBF" + Configured("2.0", QByteArray::fromStdString(Md5Hex(kSetup)).toUpper().toStdString(),
                                       "sha256=" + sha + "\n"));
    auto manager = Manager();
    manager->StartCheck(0);
    ASSERT_TRUE(RunEventsUntil([&] { return questions == 1; }, std::chrono::seconds(5)));
    EXPECT_EQ(Requests("/setup"), 1u);
    EXPECT_EQ(ReadWholeFile(folder / "update_setup"), kSetup);
}

TEST_F(UpdateTest, AValidSetupAlreadyThereGoesStraightToTheQuestion)
{
    Installed("1.0");
    WriteWholeFile(folder / "update_setup", kSetup);
    Config(Configured("2.0", Md5Hex(kSetup)));
    answer = false;
    auto manager = Manager();
    manager->SetPlatformMajorVersion(6);
    manager->StartCheck(0);
    ASSERT_TRUE(RunEventsUntil([&] { return questions == 1; }));
    EXPECT_EQ(Requests("/setup"), 0u);
    EXPECT_EQ(exits, 0) << "No: nothing happens";
    EXPECT_EQ(notes, 0);
}

TEST_F(UpdateTest, MissingKeysAndNonsenseRetryTheConfiguration)
{
    Config("this is not INI\n\x01\x02");
    auto manager = Manager();
    manager->StartCheck(0);
    ASSERT_TRUE(RunEventsUntil([&] { return Requests("/config") >= 2; }));
    Config("[info]\nver=2.0\nsetup_url=" + site.Url("/setup") + "\n");  // no md5
    const std::size_t before = Requests("/config");
    ASSERT_TRUE(RunEventsUntil([&] { return Requests("/config") >= before + 2; }));
    EXPECT_EQ(Requests("/setup"), 0u);
    EXPECT_EQ(questions, 0);
}

TEST_F(UpdateTest, AWrongDigestIsDownloadedAgainAndNeverOffered)
{
    Config(Configured("2.0", Md5Hex("something else")));
    auto manager = Manager();
    manager->StartCheck(0);
    ASSERT_TRUE(RunEventsUntil([&] { return Requests("/setup") >= 3; }));
    EXPECT_EQ(questions, 0);
    EXPECT_FALSE(fs::exists(folder / "update_setup"));

    // A right MD5 with a wrong SHA-256 is no better.
    const std::string sha = QCryptographicHash::hash("other", QCryptographicHash::Sha256).toHex().toStdString();
    Config(Configured("2.0", Md5Hex(kSetup), "sha256=" + sha + "\n"));
    auto second = Manager();
    const std::size_t before = Requests("/setup");
    second->StartCheck(0);
    ASSERT_TRUE(RunEventsUntil([&] { return Requests("/setup") >= before + 2; }));
    EXPECT_EQ(questions, 0);
}

// A large setup file takes a while to hash; the window's thread keeps
// turning meanwhile (a timer on it keeps ticking).
TEST_F(UpdateTest, ALargeSetupIsHashedWithoutStoppingTheEventLoop)
{
    Installed("1.0");
    // Sparse: 128 MiB of zeros that costs no disk.
    { std::ofstream(folder / "update_setup"); }
    fs::resize_file(folder / "update_setup", std::uintmax_t{128} << 20);
    Config(Configured("2.0", Md5Hex(kSetup)));
    auto manager = Manager();
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    ticker.start(10);
    manager->StartCheck(0);
    // The large file does not match: it goes, and the right one comes.
    ASSERT_TRUE(RunEventsUntil([&] { return questions == 1; }, std::chrono::seconds(20)));
    ticker.stop();
    EXPECT_EQ(ReadWholeFile(folder / "update_setup"), kSetup);
    EXPECT_LT(longestGap, 250);
}

}  // namespace
