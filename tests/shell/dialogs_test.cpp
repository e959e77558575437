// The settings and colour-scheme dialogs: what they show, what they store,
// what they broadcast, and what cancelling puts back.
#include "common/event_window.h"
#include "common/ids/string_ids.h"
#include "common/string_table.h"
#include "delivery/flv_download_manager.h"
#include "delivery/play_request_manager.h"
#include "platform/desktop_integration.h"
#include "shell/dialogs/dlg_color_scheme.h"
#include "shell/dialogs/dlg_input_video_html.h"
#include "shell/dialogs/dlg_setting.h"
#include "shell/settings/app_setting_downloads.h"
#include "shell/window/screen_place.h"
#include "support/event_wait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;

void SaveScreenshot(QWidget* widget, const QString& name)
{
    QDir().mkpath(QUELT_BUILD_DIR "/screenshots");
    widget->grab().toImage().save(QUELT_BUILD_DIR "/screenshots/" + name);
}

// Counts the recolour broadcasts.
class RecolourCounter : public CEventWindowBaseT<CWnd> {
public:
    RecolourCounter() { Create(); }
    int count = 0;

protected:
    void OnEventSkinRecoloured() override { ++count; }
};

TEST(DlgSetting, ShowsTheSettingsAndStoresAndAppliesThemOnOk)
{
    const fs::path home = fs::temp_directory_path() / ("quelt-dlg-" + std::to_string(::getpid()));
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    CAppSetting settings;
    settings.idleDownEnable = 0;
    settings.maxDownload = 2;
    CPlayRequestManager server;
    CAppSettingDownloads downloadSettings(settings);
    CFLVDownloadManager downloads(downloadSettings, &server);
    const platform::DesktopIntegration desktop("/opt/quelt/quelt");
    DlgSetting dialog(settings, desktop, downloads);
    dialog.show();
    const QImage untouched = dialog.grab().toImage();

    const auto boxes = dialog.findChildren<QCheckBox*>();
    ASSERT_EQ(boxes.size(), 5);
    auto* combo = dialog.findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_FALSE(combo->isEnabled()) << "background caching is off";
    QCheckBox* autoStart = boxes[0];
    QCheckBox* associate = boxes[1];
    QCheckBox* idle = boxes[2];
    EXPECT_EQ(idle->text(), QStringLiteral("空闲时自动缓冲列表中的视频"));
    idle->setChecked(true);
    EXPECT_TRUE(combo->isEnabled()) << "follows the box at once";
    combo->setCurrentIndex(2);
    autoStart->setChecked(true);
    associate->setChecked(true);
    boxes[3]->setChecked(true);
    SaveScreenshot(&dialog, "settings-dialog.png");
    EXPECT_NE(dialog.grab().toImage(), untouched) << "the ticked boxes and the new choice show";

    dialog.Apply();
    EXPECT_EQ(settings.idleDownEnable, 1);
    EXPECT_EQ(settings.maxDownload, 3);
    EXPECT_EQ(settings.associateFlv, 1);
    EXPECT_EQ(settings.exitDeletePlaylist, 1);
    EXPECT_EQ(settings.exitClearHistory, 0);
    EXPECT_TRUE(desktop.IsAutoStart());
    EXPECT_TRUE(desktop.IsFlvAssociated());

    DlgSetting again(settings, desktop, downloads);
    EXPECT_TRUE(again.findChildren<QCheckBox*>()[0]->isChecked()) << "autostart is read back from the desktop";
    again.findChildren<QCheckBox*>()[0]->setChecked(false);
    again.findChildren<QCheckBox*>()[1]->setChecked(false);
    again.Apply();
    EXPECT_FALSE(desktop.IsAutoStart());
    EXPECT_FALSE(desktop.IsFlvAssociated());
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
    fs::remove_all(home);
}

TEST(DlgColorScheme, PicksTheStripsColourBroadcastsEveryChangeAndCancelPutsItBack)
{
    CAppSetting settings;
    settings.skinColorTone = 0x123456;
    settings.skinSaturation = 150;
    RecolourCounter counter;
    DlgColorScheme dialog(settings);
    dialog.show();
    EXPECT_EQ(dialog.Slider()->value(), 150);
    const auto shows = [&](const QString& text) {
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            if (label->text() == text)
                return true;
        return false;
    };
    EXPECT_TRUE(shows("150")) << "the vividness in figures beside its slider";

    const auto click = [&](const QPoint& at, QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, dialog.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &event);
    };
    const QRect strip = dialog.Strip()->geometry();
    click(strip.center(), QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(static_cast<std::uint32_t>(settings.skinColorTone), dialog.ToneAt(strip.center() - strip.topLeft()));
    EXPECT_NE(settings.skinColorTone, 0x123456);
    EXPECT_EQ(counter.count, 1);
    // A drag outside the strip keeps the tone but still tells the windows.
    const int picked = settings.skinColorTone;
    click(QPoint(strip.left(), strip.bottom() + 40), QEvent::MouseMove, Qt::LeftButton);
    EXPECT_EQ(settings.skinColorTone, picked);
    EXPECT_EQ(counter.count, 2);

    dialog.Slider()->setValue(60);
    EXPECT_EQ(settings.skinSaturation, 60);
    EXPECT_EQ(counter.count, 3);
    EXPECT_TRUE(shows("60")) << "the figure follows the slider";
    SaveScreenshot(&dialog, "colour-dialog.png");
    {
        // The strip shows the range of colours to pick from.
        const QImage shot = dialog.grab().toImage();
        std::set<QRgb> colours;
        for (int step = 0; step < 24; ++step)
            colours.insert(shot.pixel(strip.left() + strip.width() * (2 * step + 1) / 48, strip.center().y()));
        EXPECT_GE(colours.size(), 12u) << "the colour strip is drawn";
    }
    dialog.RestoreDefault();
    EXPECT_EQ(settings.skinColorTone, 0);
    EXPECT_EQ(settings.skinSaturation, 100);
    EXPECT_EQ(dialog.Slider()->value(), 100);
    EXPECT_EQ(counter.count, 4);

    dialog.reject();
    EXPECT_EQ(settings.skinColorTone, 0x123456) << "cancel restores the scheme the dialog found";
    EXPECT_EQ(settings.skinSaturation, 150);
    EXPECT_EQ(counter.count, 5);
}

TEST(DlgInputVideoHtml, KeepsAWebAddressFromTheClipboardAndReturnsTheLinesAsTyped)
{
    DlgInputVideoHtml offered(QStringLiteral("watch this: https://videos.test/a"));
    EXPECT_EQ(offered.Edit()->toPlainText(), QStringLiteral("watch this: https://videos.test/a"))
        << "https counts like http";
    DlgInputVideoHtml dropped(QStringLiteral("just words"));
    EXPECT_TRUE(dropped.Edit()->toPlainText().isEmpty());
    // Only empty lines go; blanks around an address are the user's and stay.
    dropped.Edit()->setPlainText(QStringLiteral("http://a.test/1\n\n  http://a.test/2  \n \n"));
    dropped.Choose(DlgInputVideoHtml::kAddToList);
    EXPECT_EQ(dropped.result(), DlgInputVideoHtml::kAddToList);
    EXPECT_EQ(dropped.Lines(), (std::vector<std::string>{"http://a.test/1", "  http://a.test/2  ", " "}));
    // A line is read up to 8192 bytes.
    DlgInputVideoHtml longLine(QString{});
    longLine.Edit()->setPlainText(QStringLiteral("http://a.test/") + QString(9000, 'x'));
    longLine.Choose(DlgInputVideoHtml::kPlayNow);
    ASSERT_EQ(longLine.Lines().size(), 1u);
    EXPECT_EQ(longLine.Lines()[0].size(), 8192u);
}

// Once the dialog is on screen, a balloon with the example addresses points
// at the edit box; it comes by a message the dialog posts to itself, so it
// is not there while the dialog is still being built.
TEST(DlgInputVideoHtml, ShowsTheExampleBalloonAtTheEditBoxOnceOnScreen)
{
    DlgInputVideoHtml dialog(QString{});
    dialog.show();
    QWidget* balloon = dialog.Balloon();
    ASSERT_NE(balloon, nullptr);
    EXPECT_FALSE(balloon->isVisible()) << "shown by the posted message, not during the set-up";
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return balloon->isVisible(); }));
    EXPECT_TRUE(balloon->isWindow() && (balloon->windowFlags() & Qt::ToolTip) == Qt::ToolTip)
        << "a tooltip-style window above the dialog";
    auto* text = balloon->findChild<QLabel*>(QStringLiteral("text"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), QString::fromStdString(LoadString(IDS_INPUT_PAGES_TIP)).remove('\r'));
    const QRect edit(dialog.Edit()->mapToGlobal(QPoint(0, 0)), dialog.Edit()->size());
    const QRect shown = balloon->geometry();
    EXPECT_TRUE(edit.contains(QPoint(shown.left() + 20, shown.top())))
        << "the balloon's tail sits in the edit box";
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        EXPECT_TRUE(label == text || label->text() != text->text()) << "no permanent label in the balloon's place";
    SaveScreenshot(balloon, "page-address-balloon.png");
    const QImage picture = balloon->grab().toImage();
    EXPECT_NE(picture.pixelColor(picture.width() / 2, picture.height() / 2),
              picture.pixelColor(picture.width() / 2, picture.height() - 3))
        << "the balloon shows something";
    // Typing closes it, as a balloon goes when the user works in the box.
    QTest::keyClicks(dialog.Edit(), QStringLiteral("h"));
    EXPECT_FALSE(balloon->isVisible());
    dialog.reject();
}

// A place stored on a larger or another screen opens on this one, its
// size kept: past any edge it moves back in.
TEST(ScreenPlace, AStoredPlaceOffTheScreenMovesBackOntoIt)
{
    const QRect area(0, 0, 1280, 800);
    EXPECT_EQ(KeepOnScreen(QRect(100, 50, 660, 612), area), QRect(100, 50, 660, 612));
    EXPECT_EQ(KeepOnScreen(QRect(-222, 2, 1024, 733), area), QRect(0, 2, 1024, 733));
    EXPECT_EQ(KeepOnScreen(QRect(900, -40, 660, 612), area), QRect(620, 0, 660, 612));
    EXPECT_EQ(KeepOnScreen(QRect(2000, 1500, 660, 612), area), QRect(620, 188, 660, 612));
}

}  // namespace
