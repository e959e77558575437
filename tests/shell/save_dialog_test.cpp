// The save dialog working its queue through the conversion library.
#include "shell/save/dlg_save_video.h"
#include "shell/settings/app_setting.h"
#include "support/event_wait.h"
#include "test_site/test_videos.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QDir>
#include <QImage>

#include <filesystem>
#include <fstream>

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

}  // namespace
