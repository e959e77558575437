// How quelt ends: the quit signals run the same exit as closing the window,
// and a killed program has already saved its play list.
#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>

namespace {

// A stream nobody serves: the video joins the play list, its download fails.
const QString kStreamUrl = QStringLiteral("http://127.0.0.1:9/videos/exit-test.flv");

class ProgramExitTest : public ::testing::Test {
protected:
    // Runs a copy of quelt in a program folder of its own, so that its
    // "setting.xml" is this test's, and waits until the video plays.
    void StartQuelt()
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUELT_BINARY), Program()));
        // The skins and the player page are the build's.
        const QString skin = QFileInfo(QStringLiteral(QUELT_BINARY)).absolutePath() + "/skin";
        QFile::link(skin, folder.filePath("skin"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        quelt.setProcessEnvironment(environment);
        quelt.setProcessChannelMode(QProcess::SeparateChannels);
        quelt.start(Program(), {kStreamUrl});
        ASSERT_TRUE(quelt.waitForStarted());
        QByteArray output;
        while (!output.contains("quelt: playing")) {
            ASSERT_TRUE(quelt.waitForReadyRead(20000)) << "quelt did not add the video";
            output += quelt.readAllStandardOutput();
        }
    }
    QString Program() const { return folder.filePath("quelt"); }
    QString SettingFile() const { return folder.filePath("setting.xml"); }
    bool SettingsHoldTheVideo() const
    {
        QFile file(SettingFile());
        return file.open(QIODevice::ReadOnly) && file.readAll().contains(kStreamUrl.toUtf8());
    }
    void SignalAndWait(int signal)
    {
        ::kill(static_cast<pid_t>(quelt.processId()), signal);
        ASSERT_TRUE(quelt.waitForFinished(20000));
    }

    QTemporaryDir folder;
    QProcess quelt;
};

TEST_F(ProgramExitTest, TermAndInterruptSaveTheSettingsLikeClosingTheWindow)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        QFile::remove(Program());
        QFile::remove(SettingFile());
        StartQuelt();
        SignalAndWait(signal);
        EXPECT_EQ(quelt.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(quelt.exitCode(), 0);
        EXPECT_TRUE(SettingsHoldTheVideo());
        EXPECT_FALSE(QFile::exists(SettingFile() + ".part"));
    }
}

TEST_F(ProgramExitTest, AKilledProgramHasAlreadySavedItsPlayList)
{
    // The save replaces the file by a rename, which changes the folder.
    QFileSystemWatcher watcher({folder.path()});
    QEventLoop loop;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, [&] {
        if (SettingsHoldTheVideo())
            loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    StartQuelt();
    if (!SettingsHoldTheVideo())
        loop.exec();
    SignalAndWait(SIGKILL);
    EXPECT_EQ(quelt.exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(SettingsHoldTheVideo());
}

}  // namespace
