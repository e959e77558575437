// The save dialog working its queue through the conversion library.
#include "shell/save/dlg_save_video.h"
#include "delivery/dash_manifest.h"
#include "delivery/hls_playlist.h"
#include "delivery/hls_stream.h"
#include "records/info_video.h"
#include "shell/player/video_source.h"
#include "shell/save/save_plan.h"
#include "shell/settings/app_setting.h"
#include "support/event_wait.h"
#include "support/thread_probe.h"
#include "test_site/test_videos.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class SaveDialogTest : public ::testing::Test {
protected:
    SaveDialogTest()
    {
        settings.saveFlvFolder = "";
        settings.convertSelection = 0;  // "FLV格式": a copy
        for (const char* name : {"a", "b", "c"})
            std::ofstream(folder / (std::string(name) + ".src"), std::ios::binary) << "FLV\x01 video " << name;
    }
    TempFolder folder;
    CAppSetting settings;
};

TEST_F(SaveDialogTest, ThreeVideosAreSavedFromTheEndOfTheQueueWithTheirCountdown)
{
    DlgSaveVideo dialog(settings, folder.path() + "docs");
    EXPECT_EQ(dialog.SaveFolder(), folder.path() + "docs/MyFLVVideo");
    EXPECT_TRUE(fs::is_directory(dialog.SaveFolder())) << "made when the dialog opens";
    EXPECT_EQ(dialog.FormatList()->currentText(), QStringLiteral("FLV格式"));
    for (const char* name : {"a", "b", "c"})
        dialog.AddItem(folder / (std::string(name) + ".src"), std::string("Title ") + name);
    std::ofstream(dialog.SaveFolder() + "/Title a.flv") << "already there";
    QStringList statuses;
    QObject::connect(&dialog, &DlgSaveVideo::statusChanged, [&](const QString& text) {
        statuses << text;
        if (statuses.size() == 2) {
            QDir().mkpath(QUELT_BUILD_DIR "/screenshots");
            dialog.grab().toImage().save(QUELT_BUILD_DIR "/screenshots/save-dialog.png");
        }
    });
    dialog.show();
    dialog.Save();
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return dialog.IsDone(); }));
    EXPECT_EQ(statuses, (QStringList{QStringLiteral("还有2个视频文件等待处理"), QStringLiteral("还有1个视频文件等待处理"),
                                     QStringLiteral("还有0个视频文件等待处理")}));
    EXPECT_EQ(dialog.LogText(), QStringLiteral("视频“Title c”转换成功...\n视频“Title b”转换成功...\n视频“Title a”转换成功...\n"));
    std::ifstream copied(dialog.SaveFolder() + "/Title a (2).flv");
    EXPECT_TRUE(copied.good()) << "the existing file stays, the copy gets a name of its own";
    std::ifstream kept(dialog.SaveFolder() + "/Title a.flv");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "already there");
    EXPECT_TRUE(fs::exists(dialog.SaveFolder() + "/Title c.flv"));
}

// A video cached as segments, as the download manager leaves it once every
// segment arrived: the site's manifest, its address, and one file per entry
// ("s<i>", an HLS init section "init"), here copied from the files ffmpeg made.
class SegmentedSaveTest : public ::testing::Test {
protected:
    SegmentedSaveTest() { settings.saveFlvFolder = app / "out"; }

    std::unique_ptr<InfoVideo> Cache(const std::string& media, const std::string& manifest, const std::string& title)
    {
        const std::string site = "http://cdn.test/stream/";
        auto video = MakeVideoRecord("http://page.test/" + title, title, "2", site + manifest);
        video->state = VIDEO_STATE_MANIFEST;
        const std::string hls = HlsFolderOf(*video);
        fs::create_directories(hls);
        const std::string text = test_site::ReadFileBytes(media + "/" + manifest);
        std::ofstream(hls + "source.url") << video->a4;
        std::ofstream(hls + (manifest.ends_with(".mpd") ? "source.mpd" : "source.m3u8"), std::ios::binary) << text;
        std::vector<DashEntry> entries;
        if (manifest.ends_with(".mpd")) {
            // A SegmentBase track's index is kept beside the manifest as the download keeps it.
            DashManifest dash = ParseDashManifest(text, video->a4);
            for (std::size_t t = 0; t < dash.tracks.size(); ++t) {
                const DashTrack& track = dash.tracks[t];
                if (!AwaitsIndex(track))
                    continue;
                const std::string index = test_site::ReadFileBytes(media + "/" + track.indexUrl.substr(site.size()))
                                              .substr(track.indexRange.first, track.indexRange.Size());
                std::ofstream(hls + "index" + std::to_string(t), std::ios::binary) << index;
                EXPECT_TRUE(ApplyDashIndex(dash.tracks[t], index));
            }
            entries = DashEntries(dash);
        } else {
            for (const HlsSegment& segment : ParseHlsPlaylist(text, video->a4).segments)
                entries.push_back(DashEntry{segment.url, {}});
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::string file = media + "/" + entries[i].url.substr(site.size());
            const ByteRange& range = entries[i].range;
            std::ofstream(hls + "s" + std::to_string(i), std::ios::binary)
                << (range.set ? test_site::ReadFileBytes(file).substr(range.first, range.Size())
                              : test_site::ReadFileBytes(file));
        }
        return video;
    }

    // Saves the video with the format chosen in the list, clicking "保存" as the user does.
    void Save(const InfoVideo& video, int format)
    {
        const SaveDecision decision = DecideSave(DecideVideoSource(video.a2, &video), &video);
        ASSERT_TRUE(decision.item) << "missing " << decision.missingSegments;
        DlgSaveVideo dialog(settings, app.path());
        dialog.AddItem(*decision.item);
        dialog.FormatList()->setCurrentIndex(dialog.FormatList()->findData(format));
        dialog.show();
        QPushButton* save = nullptr;
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("保存(&S)"))
                save = button;
        ASSERT_TRUE(save);
        QTest::mouseClick(save, Qt::LeftButton);
        ASSERT_TRUE(test_support::RunEventsUntil([&] { return dialog.IsDone(); }));
        EXPECT_EQ(dialog.LogText(), QStringLiteral("视频“%1”转换成功...\n").arg(QString::fromStdString(video.a1)));
    }

    static std::string Probe(const std::string& path, const std::string& entries)
    {
        const std::string command = "ffprobe -v error -show_entries " + entries + " -of default=nw=1:nk=1 '" + path + "'";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
        std::string text;
        char buffer[256];
        while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()))
            text += buffer;
        return text;
    }

    TempAppFolder app;
    CAppSetting settings;
};

TEST_F(SegmentedSaveTest, ACachedHlsStreamIsSavedAsOneMp4OfItsWholeDuration)
{
    const std::string media = test_site::MakeTestHls(4);
    ASSERT_FALSE(media.empty());
    const auto video = Cache(media, "v0/index.m3u8", "hls");
    Save(*video, 29);  // "FLV格式", the plain copy: the joined MP4
    const std::string saved = app / "out/hls.mp4";
    EXPECT_EQ(Probe(saved, "format=format_name"), "mov,mp4,m4a,3gp,3g2,mj2\n");
    EXPECT_EQ(Probe(saved, "stream=codec_name"), "h264\naac\n");
    EXPECT_NEAR(std::strtod(Probe(saved, "format=duration").c_str(), nullptr), 4.0, 0.2);
    EXPECT_EQ(std::vector<std::string>{"hls.mp4"}, [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(app / "out"))
            names.push_back(entry.path().filename().string());
        return names;
    }()) << "nothing but the result";
}

TEST_F(SegmentedSaveTest, ACachedDashStreamIsSavedWithItsVideoAndAudioAndConverted)
{
    const std::string media = test_site::MakeTestDash(4);
    ASSERT_FALSE(media.empty());
    const auto video = Cache(media, "manifest.mpd", "dash");
    Save(*video, 29);
    EXPECT_EQ(Probe(app / "out/dash.mp4", "stream=codec_name"), "h264\naac\n");
    EXPECT_NEAR(std::strtod(Probe(app / "out/dash.mp4", "format=duration").c_str(), nullptr), 4.0, 0.2);
    Save(*video, 20);  // an MP3: converted from the joined MP4
    EXPECT_EQ(Probe(app / "out/dash.mp3", "stream=codec_name"), "mp3\n");
}

// One file per representation: the ranges cached as entries join like
// files of their own.
TEST_F(SegmentedSaveTest, CachedByteRangeAndSegmentBaseStreamsAreSavedWithTheirVideoAndAudio)
{
    for (const auto kind : {test_site::DashKind::ByteRanges, test_site::DashKind::SegmentBase}) {
        const std::string media = test_site::MakeTestDash(4, kind);
        ASSERT_FALSE(media.empty());
        const std::string title = kind == test_site::DashKind::ByteRanges ? "ranges" : "base";
        const auto video = Cache(media, "manifest.mpd", title);
        Save(*video, 29);
        EXPECT_EQ(Probe(app / ("out/" + title + ".mp4"), "stream=codec_name"), "h264\naac\n") << title;
        EXPECT_NEAR(std::strtod(Probe(app / ("out/" + title + ".mp4"), "format=duration").c_str(), nullptr), 4.0, 0.2)
            << title;
    }
}

TEST_F(SaveDialogTest, AFailedVideoIsLoggedAndTheNextOneStillSaved)
{
    settings.saveFlvFolder = folder / "out";
    DlgSaveVideo dialog(settings, folder.path());
    dialog.AddItem(folder / "b.src", "good");
    dialog.AddItem(folder / "missing.src", "bad");
    dialog.Save();
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return dialog.IsDone(); }));
    EXPECT_EQ(dialog.LogText(), QStringLiteral("视频“bad”转换失败...\n视频“good”转换成功...\n"));
    EXPECT_TRUE(fs::exists(folder / "out/good.flv"));
    EXPECT_FALSE(fs::exists(folder / "out/bad.flv"));
}

TEST_F(SaveDialogTest, ClosingDuringAConversionStopsItAndLeavesNoPartialFile)
{
    const std::string video = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 20);
    ASSERT_FALSE(video.empty());
    settings.saveFlvFolder = folder / "out";
    auto dialog = std::make_unique<DlgSaveVideo>(settings, folder.path());
    dialog->AddItem(video, "long");
    dialog->FormatList()->setCurrentIndex(dialog->FormatList()->findData(14));  // 高清晰avi格式
    dialog->Save();
    EXPECT_EQ(dialog->QueueSize(), 0u) << "the conversion started";
    dialog.reset();
    EXPECT_TRUE(fs::is_empty(folder / "out"));
}

// A copy whose worker is stuck reading a named pipe that never sends: the
// dialog closes within a bound, and the window's thread keeps turning
// meanwhile (a timer on it keeps ticking).
TEST_F(SaveDialogTest, ClosingWhileTheWorkerIsStuckReturnsWithinABoundAndKeepsTheEventLoopTurning)
{
    const std::string fifo = folder / "stuck.flv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    settings.saveFlvFolder = folder / "out";
    auto dialog = std::make_unique<DlgSaveVideo>(settings, folder.path());
    dialog->AddItem(fifo, "stuck");
    dialog->Save();
    // The worker waits in open() for a writer that only comes at the end.
    ASSERT_TRUE(test_support::RunEventsUntil([] { return test_support::SomeThreadOpens(); }));
    // A destructor without a bound would wait until the pipe opens.
    std::promise<void> closed;
    std::thread unblock([&fifo, done = closed.get_future()] {
        done.wait_for(std::chrono::seconds(15));
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    });
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    QElapsedTimer took;
    took.start();
    dialog.reset();
    const qint64 elapsed = took.elapsed();
    ticker.stop();
    closed.set_value();
    unblock.join();
    EXPECT_LT(elapsed, 4500);
    EXPECT_GE(ticks, 10);
    // The worker, let go, now finds no file to copy and ends on its own
    // without notifying anything (the sanitizer build watches that).
}

TEST_F(SaveDialogTest, AFolderThatCannotBeWrittenKeepsTheQueue)
{
    // A file where the folder should be: it can be neither made nor written.
    std::ofstream(folder / "blocked") << "a file";
    settings.saveFlvFolder = folder / "blocked";
    DlgSaveVideo dialog(settings, folder.path());
    dialog.AddItem(folder / "a.src", "a");
    // The message box that says so is closed as soon as it shows.
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    dialog.Save();
    EXPECT_EQ(dialog.QueueSize(), 1u);
    EXPECT_FALSE(dialog.IsDone());
}

// The folder and the format the user chose are remembered for the next
// dialog; an empty queue just closes.
TEST_F(SaveDialogTest, TheChosenFolderAndFormatAreRememberedAndAnEmptyQueueCloses)
{
    fs::create_directories(folder / "chosen");
    {
        DlgSaveVideo dialog(settings, folder.path());
        dialog.show();
        // The folder button ("..."), answered as a user would in the chooser.
        QPushButton* browse = nullptr;
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("..."))
                browse = button;
        ASSERT_NE(browse, nullptr);
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            chooser->setDirectory(QString::fromStdString(folder / "chosen"));
            chooser->selectFile(QString::fromStdString(folder / "chosen"));
            QMetaObject::invokeMethod(chooser, "accept");
        });
        QTest::mouseClick(browse, Qt::LeftButton);
        EXPECT_EQ(dialog.SaveFolder(), folder / "chosen");
        EXPECT_EQ(settings.saveFlvFolder, folder / "chosen") << "save_flv_folder";

        dialog.FormatList()->setCurrentIndex(3);
        dialog.Save();  // nothing queued
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << "an empty queue closes the dialog";
        EXPECT_EQ(settings.convertSelection, 3) << "cs_set_covertsel";
        EXPECT_TRUE(fs::is_empty(folder / "chosen"));
    }
    DlgSaveVideo next(settings, folder.path());
    EXPECT_EQ(next.SaveFolder(), folder / "chosen");
    EXPECT_EQ(next.FormatList()->currentIndex(), 3);
}

// A video converted for the media library that the library cannot take
// is reported as such, and the dialog's cancel button turns into close.
TEST_F(SaveDialogTest, AConversionTheLibraryCannotTakeIsLoggedAndTheButtonCloses)
{
    const std::string video = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 1);
    ASSERT_FALSE(video.empty());
    std::ofstream(folder / "not-a-folder") << "a file";
    const QByteArray videos0 = qgetenv("XDG_VIDEOS_DIR");
    qputenv("XDG_VIDEOS_DIR", QByteArray::fromStdString(folder / "not-a-folder/Videos"));
    settings.saveFlvFolder = folder / "out";
    {
        DlgSaveVideo dialog(settings, folder.path());
        dialog.AddItem(video, "clip");
        dialog.FormatList()->setCurrentIndex(dialog.FormatList()->findData(24));  // ITUNES_MP4
        ASSERT_EQ(dialog.FormatList()->currentData().toInt(), 24);
        dialog.show();
        dialog.Save();
        ASSERT_TRUE(test_support::RunEventsUntil([&] { return dialog.IsDone(); }, std::chrono::seconds(60)));
        EXPECT_EQ(dialog.LogText(), QStringLiteral("视频“clip”转换成功但未能成功添加进ITUNES...\n"));
        EXPECT_TRUE(fs::exists(folder / "out/clip.mp4")) << "the converted file is kept";
        QStringList texts;
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            texts << button->text();
        EXPECT_TRUE(texts.contains(QStringLiteral("关闭(&C)"))) << texts.join('|').toStdString();
    }
    if (videos0.isNull())
        qunsetenv("XDG_VIDEOS_DIR");
    else
        qputenv("XDG_VIDEOS_DIR", videos0);
}

}  // namespace
