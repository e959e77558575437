// How quelt ends: the quit signals run the same exit as closing the window,
// and a killed program has already saved its play list.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "common/md5.h"
#include "test_site/demo_lists.h"
#include "test_site/test_site.h"
#include "test_site/test_videos.h"

#include <algorithm>
#include <csignal>

namespace {

// A stream nobody serves: the video joins the play list, its download fails.
const QString kStreamUrl = QStringLiteral("http://127.0.0.1:9/videos/exit-test.flv");

class ProgramExitTest : public ::testing::Test {
protected:
    // Runs a copy of quelt in a program folder of its own, so that its
    // "setting.xml" is this test's, and waits until the video is listed and
    // its download has failed (nobody serves it).
    void StartQuelt(const QString& argument = kStreamUrl, const QByteArray& awaited = "quelt: failed: ")
    {
        ASSERT_TRUE(folder.isValid());
        if (!QFile::exists(Program())) {
            CopyProgram();
            // The skins and the player page are the build's.
            QFile::link(AppFolder() + "/skin", folder.filePath("skin"));
        }
        Prepare(quelt);
        QProcessEnvironment environment = quelt.processEnvironment();
        environment.insert(extraEnvironment);
        quelt.setProcessEnvironment(environment);
        quelt.start(Program(), {argument});
        ASSERT_TRUE(quelt.waitForStarted());
        ASSERT_TRUE(WaitForOutput(awaited)) << "quelt did not try the video: " << output.toStdString();
    }
    static QString AppFolder() { return QFileInfo(QStringLiteral(QUELT_BINARY)).absolutePath(); }
    // quelt with the library and the encoder it loads from its own folder.
    void CopyProgram()
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUELT_BINARY), Program()));
        for (const char* name : {"libConvert.so", "coder"})
            QFile::link(AppFolder() + "/" + name, folder.filePath(name));
    }
    static void Prepare(QProcess& process)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::SeparateChannels);
    }
    // Reads quelt's output until it holds the text (after from).
    bool WaitForOutput(const QByteArray& text, qsizetype from = 0)
    {
        while (output.indexOf(text, std::max<qsizetype>(from, 0)) < 0) {
            if (!quelt.waitForReadyRead(20000))
                return false;
            output += quelt.readAllStandardOutput();
        }
        return true;
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
        // A process that is not there has no id: kill(0) would hit the
        // whole process group, the test runner included.
        ASSERT_GT(quelt.processId(), 0) << "quelt is not running";
        ::kill(static_cast<pid_t>(quelt.processId()), signal);
        ASSERT_TRUE(quelt.waitForFinished(20000));
    }

    QTemporaryDir folder;
    QProcess quelt;
    QByteArray output;
    // Set for StartQuelt's program on top of this process's environment.
    QProcessEnvironment extraEnvironment;
};

TEST_F(ProgramExitTest, TermAndInterruptSaveTheSettingsLikeClosingTheWindow)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        QFile::remove(SettingFile());
        output.clear();
        StartQuelt();
        ASSERT_FALSE(HasFatalFailure());
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
    ASSERT_FALSE(HasFatalFailure());
    if (!SettingsHoldTheVideo())
        loop.exec();
    SignalAndWait(SIGKILL);
    EXPECT_EQ(quelt.exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(SettingsHoldTheVideo());

    // The killed instance left its socket behind: the next start takes it
    // over instead of handing over to nobody.
    output.clear();
    StartQuelt();
    ASSERT_FALSE(HasFatalFailure());
    SignalAndWait(SIGTERM);
    EXPECT_EQ(quelt.exitCode(), 0);
}

TEST_F(ProgramExitTest, ASecondStartHandsItsFileToTheRunningInstance)
{
    StartQuelt();
    ASSERT_FALSE(HasFatalFailure());
    const std::string made = test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 2);
    ASSERT_FALSE(made.empty());
    const QString video = folder.filePath("holiday.flv");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(made), video));

    QProcess second;
    Prepare(second);
    second.start(Program(), {"\"" + video + "\""});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    // The hand-over says nothing at all.
    EXPECT_EQ(second.readAllStandardError(), "");
    EXPECT_EQ(second.readAllStandardOutput(), "");
    // The first instance plays the file, through its play server.
    ASSERT_TRUE(WaitForOutput("quelt: playing"));
    const QByteArray key = video.toUtf8().toBase64();
    EXPECT_TRUE(WaitForOutput(key)) << output.toStdString();

    // A path that names no file starts nothing new either: the second start
    // says why and fails, and the running instance plays nothing for it.
    for (const QString& bad : {folder.filePath("missing.flv"), folder.path()}) {
        SCOPED_TRACE(bad.toStdString());
        QProcess third;
        Prepare(third);
        third.start(Program(), {bad});
        ASSERT_TRUE(third.waitForFinished(20000));
        EXPECT_EQ(third.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(third.exitCode(), 2);
        const QByteArray said = third.readAllStandardError();
        EXPECT_TRUE(said.contains("quelt: " + bad.toUtf8() + ": ")) << said.toStdString();
        // A play URL ends its key with "-".
        EXPECT_FALSE(output.contains(bad.toUtf8().toBase64() + "-")) << output.toStdString();
    }
    SignalAndWait(SIGTERM);
    EXPECT_EQ(quelt.exitCode(), 0);
}

// The terminal follows a play as it happens: a page is looked up, its
// stream found, cached and played, one line each; a failure says why.
TEST_F(ProgramExitTest, TheTerminalShowsEachStepOfAPlayAndAFailureAsTheyHappen)
{
    test_site::TestSite site;
    ASSERT_TRUE(site.Start());
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 2);
    ASSERT_FALSE(mp4.empty());
    site.AddFileFromDisk("/clip.mp4", mp4, "video/mp4");
    site.AddFile("/watch.html", "<html><head><title>Clip</title></head><body><video autoplay muted width='480' "
                                "height='360' src='/clip.mp4'></video></body></html>",
                 "text/html");
    // By name: the detection leaves the loopback address alone.
    const QString page = "http://localhost:" + QString::number(site.Port()) + "/watch.html";
    StartQuelt(page, "quelt: playing ");
    ASSERT_FALSE(HasFatalFailure());
    WaitForOutput("\n", output.indexOf("quelt: playing "));
    const QList<QByteArray> lines = output.trimmed().split('\n');
    ASSERT_GE(lines.size(), 4) << output.toStdString();
    EXPECT_EQ(lines[0], "quelt: looking up " + page.toUtf8());
    EXPECT_EQ(lines[1], "quelt: detected http://localhost:" + QByteArray::number(site.Port()) + "/clip.mp4");
    int tenth = -1;
    for (qsizetype i = 2; i + 1 < lines.size(); ++i) {
        SCOPED_TRACE(lines[i].toStdString());
        ASSERT_TRUE(lines[i].startsWith("quelt: caching ") && lines[i].endsWith(" %"));
        const int percent = lines[i].mid(15, lines[i].size() - 17).toInt();
        EXPECT_GT(percent / 10, tenth) << "at most one line per tenth";
        tenth = percent / 10;
    }
    EXPECT_TRUE(lines.back().startsWith("quelt: playing http://127.0.0.1:")) << output.toStdString();
    SignalAndWait(SIGTERM);
    // Nothing but the program's own lines: no engine dump, no D-Bus.
    EXPECT_EQ(quelt.readAllStandardError(), "");
    output += quelt.readAllStandardOutput();
    for (const QByteArray& line : output.trimmed().split('\n'))
        EXPECT_TRUE(line.startsWith("quelt: ")) << line.toStdString();

    // A stream nobody serves: no "playing", the status line's reason.
    output.clear();
    StartQuelt();
    ASSERT_FALSE(HasFatalFailure());
    WaitForOutput("\n", output.indexOf("quelt: failed: "));
    EXPECT_TRUE(output.startsWith("quelt: failed: 127.0.0.1")) << output.toStdString();
    EXPECT_FALSE(output.contains("quelt: playing")) << output.toStdString();
    SignalAndWait(SIGTERM);
}

TEST_F(ProgramExitTest, UninstallEndsTheRunningInstanceAndUndoesTheDesktopEntries)
{
    const QString home = folder.filePath("home");
    QDir().mkpath(home + "/config/autostart");
    QFile entry(home + "/config/autostart/quelt.desktop");
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nExec=\"x\"\n");
    entry.close();
    // The .flv files open with this Quelt, beside another type's default,
    // and it has a menu entry.
    QDir().mkpath(home + "/data/applications");
    for (const char* name : {"quelt.desktop", "quelt-flv.desktop"}) {
        QFile application(home + "/data/applications/" + name);
        ASSERT_TRUE(application.open(QIODevice::WriteOnly));
        application.write("[Desktop Entry]\nExec=\"" + Program().toUtf8() + "\" %f\nMimeType=video/x-flv;\n");
    }
    QFile mimeApps(home + "/config/mimeapps.list");
    ASSERT_TRUE(mimeApps.open(QIODevice::WriteOnly));
    mimeApps.write("[Default Applications]\nvideo/x-flv=quelt-flv.desktop\ntext/plain=editor.desktop\n");
    mimeApps.close();
    StartQuelt();
    ASSERT_FALSE(HasFatalFailure());

    QProcess uninstall;
    Prepare(uninstall);
    QProcessEnvironment environment = uninstall.processEnvironment();
    environment.insert("XDG_CONFIG_HOME", home + "/config");
    environment.insert("XDG_DATA_HOME", home + "/data");
    uninstall.setProcessEnvironment(environment);
    uninstall.start(Program(), {"uninstall"});
    ASSERT_TRUE(uninstall.waitForFinished(20000));
    EXPECT_EQ(uninstall.exitCode(), 0);
    ASSERT_TRUE(quelt.waitForFinished(20000)) << "the running instance was told to exit";
    EXPECT_EQ(quelt.exitCode(), 0);
    EXPECT_TRUE(SettingsHoldTheVideo()) << "and it saved on its way out";
    EXPECT_FALSE(QFile::exists(home + "/config/autostart/quelt.desktop"));
    ASSERT_TRUE(mimeApps.open(QIODevice::ReadOnly));
    const QByteArray defaults = mimeApps.readAll();
    mimeApps.close();
    EXPECT_FALSE(defaults.contains("video/x-flv=")) << defaults.toStdString();
    EXPECT_TRUE(defaults.contains("text/plain=editor.desktop")) << "another type's default stays";
    EXPECT_FALSE(QFile::exists(home + "/data/applications/quelt-flv.desktop"));
    EXPECT_FALSE(QFile::exists(home + "/data/applications/quelt.desktop")) << "the menu entry goes too";

    // With none running there is nothing to wait for.
    QElapsedTimer timer;
    timer.start();
    uninstall.start(Program(), {"uninstall"});
    ASSERT_TRUE(uninstall.waitForFinished(20000));
    EXPECT_EQ(uninstall.exitCode(), 0);
    EXPECT_LT(timer.elapsed(), 1500) << "no 2-second wait without a running instance";
}

// With "associate_flv" set (its default), each start makes Quelt the .flv
// files' program again, whoever took them; with it cleared, the start leaves
// the association alone.
TEST_F(ProgramExitTest, AStartKeepsTheFlvAssociationOnlyWhenTheSettingAsksForIt)
{
    const QString home = folder.filePath("home");
    QDir().mkpath(home + "/config");
    extraEnvironment.insert("XDG_CONFIG_HOME", home + "/config");
    extraEnvironment.insert("XDG_DATA_HOME", home + "/data");
    const auto writeDefaults = [&] {
        QFile mimeApps(home + "/config/mimeapps.list");
        ASSERT_TRUE(mimeApps.open(QIODevice::WriteOnly));
        mimeApps.write("[Default Applications]\nvideo/x-flv=other-player.desktop\ntext/plain=editor.desktop\n");
    };
    const auto readDefaults = [&] {
        QFile mimeApps(home + "/config/mimeapps.list");
        return mimeApps.open(QIODevice::ReadOnly) ? mimeApps.readAll() : QByteArray();
    };
    writeDefaults();
    StartQuelt();
    ASSERT_FALSE(HasFatalFailure());
    SignalAndWait(SIGTERM);
    QByteArray defaults = readDefaults();
    EXPECT_TRUE(defaults.contains("video/x-flv=quelt-flv.desktop")) << defaults.toStdString();
    EXPECT_TRUE(defaults.contains("text/plain=editor.desktop")) << "another type's default stays";
    QFile application(home + "/data/applications/quelt-flv.desktop");
    ASSERT_TRUE(application.open(QIODevice::ReadOnly));
    EXPECT_TRUE(application.readAll().contains("Exec=\"" + Program().toUtf8() + "\" %f"));
    application.close();

    // The setting cleared in the file the first run saved.
    QFile setting(SettingFile());
    ASSERT_TRUE(setting.open(QIODevice::ReadOnly));
    QByteArray text = setting.readAll();
    setting.close();
    ASSERT_TRUE(text.contains("associate_flv=\"1\""));
    text.replace("associate_flv=\"1\"", "associate_flv=\"0\"");
    ASSERT_TRUE(setting.open(QIODevice::WriteOnly | QIODevice::Truncate));
    setting.write(text);
    setting.close();
    writeDefaults();
    output.clear();
    StartQuelt();
    ASSERT_FALSE(HasFatalFailure());
    SignalAndWait(SIGTERM);
    defaults = readDefaults();
    EXPECT_TRUE(defaults.contains("video/x-flv=other-player.desktop")) << defaults.toStdString();
}

TEST_F(ProgramExitTest, AFirstRunSendsTheUseInstallAndOnlineReportsOnceAndFetchesTheProbeFile)
{
    // The default statistics and file hosts are the demo service's address.
    test_site::TestSite service;
    if (!service.Start(20080))
        GTEST_SKIP() << "port 20080 is taken (a demo service runs?)";
    for (const char* report : {"use", "install", "online"})
        service.AddFile(std::string("/count/soft_") + report + ".php", "ok");
    test_site::PublishDemoLists(service);
    const QString probeCache =
        folder.filePath(QString::fromStdString("sseting/" + Md5Hex("http://127.0.0.1:20080/file/5/f.xml")));
    const auto count = [&](const std::string& report) {
        int n = 0;
        for (const auto& request : service.Requests())
            n += request.target.starts_with("/count/soft_" + report + ".php?r=");
        return n;
    };
    StartQuelt();
    ASSERT_FALSE(HasFatalFailure());
    // The watch reports 2 s after the start; the online report follows.
    QElapsedTimer waited;
    waited.start();
    while ((count("online") == 0 || !QFile::exists(probeCache)) && waited.elapsed() < 20000)
        quelt.waitForReadyRead(100);
    SignalAndWait(SIGTERM);
    EXPECT_EQ(service.RequestsFor("/file/5/f.xml").size(), 1u) << "the connectivity probe file, at network-ready";
    EXPECT_TRUE(QFile::exists(probeCache)) << "kept in the list cache";
    EXPECT_EQ(count("use"), 1);
    EXPECT_EQ(count("install"), 1);
    EXPECT_EQ(count("online"), 1);
    QFile file(SettingFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("first_run=\"0\"")) << "the install report goes once per installation";
}

// A first start given a path that names no file says why and opens its
// window all the same.
TEST_F(ProgramExitTest, AFirstStartGivenAMissingFileSaysWhyAndRuns)
{
    CopyProgram();
    QFile::link(AppFolder() + "/skin", folder.filePath("skin"));
    Prepare(quelt);
    // The program ends by itself once its player page is ready.
    QProcessEnvironment environment = quelt.processEnvironment();
    environment.insert("QUELT_EXIT_WHEN_READY", "1");
    quelt.setProcessEnvironment(environment);
    const QString missing = folder.filePath("missing.flv");
    quelt.start(Program(), {missing});
    ASSERT_TRUE(quelt.waitForFinished(20000));
    EXPECT_EQ(quelt.exitCode(), 0);
    EXPECT_TRUE(quelt.readAllStandardOutput().contains("quelt: ready")) << "the window opens all the same";
    const QByteArray said = quelt.readAllStandardError();
    EXPECT_TRUE(said.contains("quelt: " + missing.toUtf8() + ": no such file\n")) << said.toStdString();
}

// The browser engine's messages reach the terminal only when asked for.
TEST_F(ProgramExitTest, AStartIsQuietUnlessQueltDebugOrVerboseAsksForTheEnginesMessages)
{
    CopyProgram();
    QFile::link(AppFolder() + "/skin", folder.filePath("skin"));
    struct Run {
        const char* debug;
        QStringList arguments;
        bool verbose;
    };
    for (const Run& run : {Run{"", {}, false}, Run{"0", {}, false}, Run{"1", {}, true}, Run{"", {"--verbose"}, true}}) {
        SCOPED_TRACE(std::string(run.debug) + " " + run.arguments.join(' ').toStdString());
        QProcess program;
        Prepare(program);
        QProcessEnvironment environment = program.processEnvironment();
        environment.insert("QUELT_EXIT_WHEN_READY", "1");
        environment.remove("QUELT_DEBUG");
        if (*run.debug)
            environment.insert("QUELT_DEBUG", run.debug);
        program.setProcessEnvironment(environment);
        program.start(Program(), run.arguments);
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_EQ(program.readAllStandardOutput(), "quelt: ready\n");
        const QByteArray said = program.readAllStandardError();
        if (run.verbose)
            EXPECT_TRUE(said.contains("qt.webenginecontext")) << said.toStdString();
        else
            EXPECT_EQ(said, "");
    }
}

// scripts/install.sh into a prefix: the program, its command, icon and menu
// entry; the installed program keeps the user's files in the XDG folders,
// and "quelt uninstall" takes the installation away again.
TEST_F(ProgramExitTest, AnInstallRunsWithTheUsersFilesInTheXdgFoldersAndUninstallRemovesIt)
{
    const QString prefix = folder.filePath("prefix");
    QProcess install;
    Prepare(install);
    QProcessEnvironment environment = install.processEnvironment();
    environment.insert("QUELT_BUILD_DIR", QUELT_BUILD_DIR);
    install.setProcessEnvironment(environment);
    install.start("bash", {QUELT_SOURCE_DIR "/scripts/install.sh", prefix});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    // The prefix's bin/ is not on this PATH: the install says how to start
    // the program (and "quelt uninstall") all the same.
    const QByteArray said = install.readAllStandardOutput();
    EXPECT_TRUE(said.contains(prefix.toUtf8() + "/bin is not on your PATH")) << said.toStdString();
    const QString program = prefix + "/lib/quelt/quelt";
    for (const QString& file : {program, prefix + "/lib/quelt/libConvert.so", prefix + "/lib/quelt/coder",
                                prefix + "/lib/quelt/skin/main/skin.xml", prefix + "/bin/quelt"})
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    // The icon in the theme's sizes, each as large as its folder says, so
    // that menus and docks need not scale up a small one; and as SVG.
    const QStringList sizes = QStringLiteral(QUELT_ICON_SIZES).split(',');
    EXPECT_GE(sizes.size(), 6);
    EXPECT_TRUE(sizes.contains("256"));
    QStringList icons{prefix + "/share/icons/hicolor/scalable/apps/quelt.svg"};
    for (const QString& size : sizes) {
        const QString icon = prefix + "/share/icons/hicolor/" + size + "x" + size + "/apps/quelt.png";
        icons << icon;
        EXPECT_EQ(QImageReader(icon).size(), QSize(size.toInt(), size.toInt())) << icon.toStdString();
    }
    QFile svg(icons.front());
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().startsWith("<svg ")) << "a vector image";
    svg.close();
    QFile entry(prefix + "/share/applications/quelt.desktop");
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    entry.close();
    EXPECT_TRUE(text.contains("Exec=\"" + program.toUtf8() + "\" %f")) << text.toStdString();
    EXPECT_TRUE(text.contains("Icon=quelt\n")) << text.toStdString();

    // The installed program, by its command, for a user of this test.
    const QString home = folder.filePath("home");
    QProcess run;
    Prepare(run);
    environment = run.processEnvironment();
    environment.insert("QUELT_EXIT_WHEN_READY", "1");
    environment.insert("XDG_DATA_HOME", home + "/data");
    environment.insert("XDG_CACHE_HOME", home + "/cache");
    environment.insert("XDG_CONFIG_HOME", home + "/config");
    run.setProcessEnvironment(environment);
    run.start(prefix + "/bin/quelt", {});
    ASSERT_TRUE(run.waitForFinished(20000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo::exists(home + "/data/quelt/setting.xml"));
    EXPECT_TRUE(QFileInfo(home + "/data/quelt/favorite").isDir());
    EXPECT_TRUE(QFileInfo(home + "/cache/quelt/temp").isDir());
    EXPECT_FALSE(QFileInfo::exists(prefix + "/lib/quelt/setting.xml")) << "nothing of the user's in the program folder";

    // From a terminal without any display, as on a server.
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(variable);
    run.setProcessEnvironment(environment);
    run.start(prefix + "/bin/quelt", {"uninstall"});
    ASSERT_TRUE(run.waitForFinished(20000));
    const QByteArray uninstallSaid = run.readAllStandardError();
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << uninstallSaid.toStdString();
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(uninstallSaid, QByteArray()) << "an uninstall without a display says nothing";
    for (const QString& gone : QStringList{prefix + "/lib/quelt", prefix + "/bin/quelt",
                                           prefix + "/share/applications/quelt.desktop"} + icons)
        EXPECT_FALSE(QFileInfo::exists(gone) || QFileInfo(gone).isSymLink()) << gone.toStdString();
    EXPECT_TRUE(QFileInfo::exists(home + "/data/quelt/setting.xml")) << "the user's files stay";
}

TEST_F(ProgramExitTest, AMissingSkinIsOneClearMessageAndAFailureStatus)
{
    CopyProgram();
    Prepare(quelt);
    quelt.start(Program(), QStringList());
    ASSERT_TRUE(quelt.waitForFinished(20000));
    EXPECT_EQ(quelt.exitCode(), 1);
    EXPECT_TRUE(quelt.readAllStandardError().contains("quelt: the main skin cannot be read"));
}

}  // namespace
