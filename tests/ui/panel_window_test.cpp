// The skinned window: building from a file, drawing, placing child windows,
// the control factories and the delivery of commands.
#include "common/app_folder.h"
#include "image/skin_color_scheme.h"
#include "skin_test_files.h"
#include "support/event_wait.h"
#include "ui/widgets/button.h"
#include "ui/widgets/ctrl_factory.h"
#include "ui/widgets/ctrl_id.h"
#include "ui/widgets/edit_combo.h"
#include "ui/widgets/skin_paint.h"
#include "widget_test_support.h"

#include <QImage>
#include <QLabel>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace ui;
using ui_test::Click;
using ui_test::RecordingWindow;

// Colour values are 0x00BBGGRR.
constexpr const char* kSkin = R"(
<skin width="400" height="300" init_wnd_x="400" init_wnd_y="300" app_min_size_x="200" app_min_size_y="150">
  <panel x="0" y="0" width="400" height="300" resize_x_mode="0" resize_y_mode="0" filltype="1" fillvalue="2105376">
    <panel x="300" y="10" width="90" height="40" position_x_mode="0" filltype="1" fillvalue="255"
           item_command_id="20102"/>
    <panel x="10" y="250" width="380" height="40" position_y_mode="0" resize_x_mode="0" filltype="2"
           fillvalue="img/green.png" border="1" color_lt="16777215" color_rb="16777215"/>
    <string_item x="10" y="60" width="200" height="30" text="Quelt 播放器" txt_cr_normal="16777215" font_size="140"/>
  </panel>
  <win32_ctrl x="10" y="100" width="60" height="30" ctrl_name="uis_button" ctrl_id="20000">
    <but_img_text tooltip="暂停 （空格）" text="Play" txt_cr_normal="16777215"/>
  </win32_ctrl>
  <win32_ctrl x="330" y="100" width="60" height="30" position_x_mode="0" ctrl_name="uis_check" ctrl_id="20007"/>
  <win32_ctrl x="10" y="140" width="200" height="24" resize_x_mode="0" ctrl_name="uis_edit" ctrl_id="230"
              edit_style="32"/>
  <win32_ctrl x="220" y="140" width="100" height="24" ctrl_name="uis_combobox" ctrl_id="231"/>
  <win32_ctrl x="10" y="170" width="100" height="24" ctrl_name="flash_player" ctrl_id="600"/>
</skin>)";

class PanelWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        QImage green(8, 8, QImage::Format_ARGB32);
        green.fill(QColor(0, 200, 0));
        QDir().mkpath(QString::fromStdString(folder_.Path("img")));
        ASSERT_TRUE(green.save(QString::fromStdString(folder_.Path("img/green.png"))));
        SetAppFolderForTesting(folder_.Folder());
        FCClearSkinImageCache();
        path_ = folder_.Write("skin.xml", kSkin);
    }
    void TearDown() override
    {
        FCSetApplicationCtrlFactory(nullptr);
        SetAppFolderForTesting("");
        FCClearSkinImageCache();
    }
    static QColor PixelAt(QWidget& window, QPoint point) { return window.grab().toImage().pixelColor(point); }

    ui_test::SkinFolder folder_;
    std::string path_;
};

TEST_F(PanelWindow, BuildsItselfFromTheSkinAndDrawsFillsFramesAndTexts)
{
    FCPanelWindow window;
    ASSERT_TRUE(window.LoadSkin(path_));
    EXPECT_EQ(window.size(), QSize(400, 300));
    EXPECT_EQ(window.minimumSize(), QSize(200, 150));

    const QImage shot = window.grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(0x20, 0x20, 0x20));     // background colour 2105376
    EXPECT_EQ(shot.pixelColor(340, 30), QColor(0xFF, 0, 0));        // 255 is red in 0x00BBGGRR
    EXPECT_EQ(shot.pixelColor(200, 270), QColor(0, 200, 0));        // image fill
    EXPECT_EQ(shot.pixelColor(10, 250), QColor(0xFF, 0xFF, 0xFF));  // its frame
    bool textDrawn = false;
    for (int x = 10; x < 200 && !textDrawn; ++x)
        for (int y = 60; y < 90 && !textDrawn; ++y)
            textDrawn = shot.pixelColor(x, y).lightness() > 200;
    EXPECT_TRUE(textDrawn);
}

TEST_F(PanelWindow, LaysItemsAndChildWindowsOutOnEveryResize)
{
    FCPanelWindow window;
    ASSERT_TRUE(window.LoadSkin(path_));
    window.show();
    QWidget* check = window.GetCtrl(20007);
    QWidget* edit = window.GetCtrl(230);
    ASSERT_NE(check, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(check->geometry(), QRect(330, 100, 60, 30));

    window.resize(600, 400);
    EXPECT_EQ(check->geometry(), QRect(530, 100, 60, 30));
    EXPECT_EQ(edit->geometry(), QRect(10, 140, 400, 24));
    EXPECT_EQ(PixelAt(window, {540, 30}), QColor(0xFF, 0, 0));
    EXPECT_EQ(PixelAt(window, {300, 370}), QColor(0, 200, 0));

    window.resize(400, 300);
    EXPECT_EQ(check->geometry(), QRect(330, 100, 60, 30));
    EXPECT_EQ(edit->geometry(), QRect(10, 140, 200, 24));
}

TEST_F(PanelWindow, GenericFactoryMakesTheToolkitControlsAndNothingForOtherNames)
{
    FCPanelWindow window;
    ASSERT_TRUE(window.LoadSkin(path_));
    auto* button = qobject_cast<FCButtonBase*>(window.GetCtrl(20000));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), QString::fromUtf8("暂停 （空格）"));
    EXPECT_EQ(GetCtrlId(button), 20000);
    EXPECT_EQ(button->focusPolicy(), Qt::TabFocus);
    EXPECT_EQ(button->font().pixelSize(), FCSkinFont(FCFontCache::Instance().GetDefaultFont()).pixelSize());
    EXPECT_NE(qobject_cast<FCButtonCheck*>(window.GetCtrl(20007)), nullptr);
    auto* edit = qobject_cast<FCCtrlColorEdit*>(window.GetCtrl(230));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);  // edit_style 0x20
    EXPECT_NE(qobject_cast<FCCtrlCombobox*>(window.GetCtrl(231)), nullptr);
    // No application factory knows "flash_player" yet: its place stays empty.
    EXPECT_EQ(window.GetCtrl(600), nullptr);
    EXPECT_NE(window.GetTopItem().FindCtrl(600), nullptr);
}

class LabelFactory : public FCCtrlFactory {
public:
    QWidget* CreateCtrl(const pugi::xml_node& element, const QRect& rect, QWidget* parent,
                        const std::string& name) override
    {
        names.push_back(name);
        if (name != "flash_player" && name != "uis_button")
            return nullptr;
        auto* label = new QLabel(QString::fromStdString(element.attribute("ctrl_name").value()), parent);
        label->setGeometry(rect);
        return label;
    }
    std::vector<std::string> names;
};

TEST_F(PanelWindow, ApplicationFactoryIsAskedFirstInDocumentOrder)
{
    LabelFactory factory;
    FCSetApplicationCtrlFactory(&factory);
    FCPanelWindow window;
    ASSERT_TRUE(window.LoadSkin(path_));
    EXPECT_EQ(factory.names,
              (std::vector<std::string>{"uis_button", "uis_check", "uis_edit", "uis_combobox", "flash_player"}));
    EXPECT_NE(qobject_cast<QLabel*>(window.GetCtrl(20000)), nullptr);  // it overrides the generic button
    EXPECT_NE(qobject_cast<QLabel*>(window.GetCtrl(600)), nullptr);
    EXPECT_EQ(window.GetCtrl(600)->geometry(), QRect(10, 170, 100, 24));
    EXPECT_NE(qobject_cast<FCButtonCheck*>(window.GetCtrl(20007)), nullptr);
}

// Font sizes at the ends of the integer range (a damaged skin) give a font
// that can still be drawn.
TEST_F(PanelWindow, ExtremeFontSizesAreDrawnAtABoundedSize)
{
    FCFontCache& fonts = FCFontCache::Instance();
    for (const int tenths : {INT_MIN, -90, 0, INT_MAX}) {
        const int pixels = FCSkinFont(fonts.Get("Noto Sans CJK SC", tenths, kFontWeightRegular)).pixelSize();
        EXPECT_GE(pixels, 1) << tenths;
        EXPECT_LE(pixels, 1000) << tenths;
    }
    EXPECT_EQ(FCSkinFont(fonts.Get("Noto Sans CJK SC", 90, kFontWeightRegular)).pixelSize(), 12);

    FCPanelWindow window;
    ASSERT_TRUE(window.LoadSkin(folder_.Write(
        "fonts.xml", "<skin width='200' height='100'>"
                     "<string_item x='0' y='0' width='200' height='50' text='big' font_size='2147483647'/>"
                     "<string_item x='0' y='50' width='200' height='50' text='odd' font_size='-2147483648'/>"
                     "</skin>")));
    // Each text is still painted, in a size that fits: its area is not one colour.
    const QImage shot = window.grab().toImage();
    for (const QRect area : {QRect(0, 0, 200, 50), QRect(0, 50, 200, 50)}) {
        const QImage part = shot.copy(area);
        bool painted = false;
        for (int y = 0; y < part.height() && !painted; ++y)
            for (int x = 0; x < part.width() && !painted; ++x)
                painted = part.pixel(x, y) != part.pixel(0, 0);
        EXPECT_TRUE(painted) << area.y();
    }
}

TEST_F(PanelWindow, ItemsAndButtonsDeliverTheirCommandsToTheWindowProcedure)
{
    RecordingWindow window;
    std::vector<int> commands;
    window.SetCommandHandler([&commands](int id) { commands.push_back(id); });
    ASSERT_TRUE(window.LoadSkin(path_));
    window.show();

    Click(&window, {340, 30});  // panel with item_command_id 20102
    Click(&window, {100, 30});  // background without a command
    Click(window.GetCtrl(20000), {5, 5});
    Click(window.GetCtrl(20007), {5, 5});
    EXPECT_EQ(commands, (std::vector<int>{20102, 20000, 20007}));

    // Press on one item and release elsewhere: no command.
    ui_test::Press(&window, {340, 30});
    ui_test::Release(&window, {100, 30});
    EXPECT_EQ(commands.size(), 3u);

    // The check mark belongs to the program: a click does not change it.
    auto* check = qobject_cast<FCButtonCheck*>(window.GetCtrl(20007));
    EXPECT_FALSE(check->GetCheck());

    // Other parts reach the same procedure through the handle.
    ASSERT_TRUE(platform::PostMessage(window.GetSafeHwnd(), WM_COMMAND, 20105, 0));
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return commands.size() == 4; }));
    EXPECT_EQ(commands.back(), 20105);
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(window.messages.front().msg, WM_COMMAND);
}

TEST_F(PanelWindow, ASkinnedWindowHasNoFrameOfTheWindowManagerAndMovesByItsFreeSkin)
{
    FCPanelWindow window;
    ASSERT_TRUE(window.LoadSkin(path_));
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint) << "the skin draws the only title bar";
    window.move(100, 80);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // A drag on the skin where it has no command moves the window with the mouse.
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(150, 20));
    QTest::mouseMove(&window, QPoint(190, 50));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(190, 50));
    EXPECT_EQ(window.pos(), QPoint(140, 110));
    // Once let go, the mouse moves alone.
    QTest::mouseMove(&window, QPoint(60, 60));
    EXPECT_EQ(window.pos(), QPoint(140, 110));

    // Not from an item with a command, nor from a control.
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(340, 30));
    QTest::mouseMove(&window, QPoint(300, 60));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(300, 60));
    EXPECT_EQ(window.pos(), QPoint(140, 110));
    QWidget* button = window.GetCtrl(20000);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(button, QPoint(40, 40));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(window.pos(), QPoint(140, 110));

    // A window inside another is not moved by its skin.
    QWidget host;
    FCPanelWindow inner(&host);
    EXPECT_FALSE(inner.windowFlags() & Qt::FramelessWindowHint);
}

// Menus, message boxes and the lists of combo boxes are plain Qt windows:
// they take the skin's colours and the string table's button texts.
TEST_F(PanelWindow, PlainQtWindowsTakeTheSkinsColoursAndChineseButtonTexts)
{
    FCApplySkinLook();
    QMenu menu;
    menu.addAction(QStringLiteral("播放"));
    EXPECT_EQ(menu.palette().color(QPalette::Window), FCSkinColour(1709589, 1));
    EXPECT_EQ(menu.palette().color(QPalette::WindowText), FCSkinColour(14208713, 1));
    QComboBox combo;
    combo.addItems({QStringLiteral("FLV格式"), QStringLiteral("mp3音频格式")});
    EXPECT_EQ(combo.view()->palette().color(QPalette::Base), FCSkinColour(2104090, 1));
    EXPECT_EQ(combo.view()->palette().color(QPalette::Highlight), FCSkinColour(16747852, 1));

    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quelt"), QStringLiteral("您继续吗？"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("是(&Y)"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("否(&N)"));
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
    EXPECT_EQ(box.palette().color(QPalette::Window), FCSkinColour(1709589, 1));

    // Qt's own dialogs speak Chinese too (Qt's translations).
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setAcceptMode(QFileDialog::AcceptSave);
    auto* buttons = files.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    ASSERT_NE(buttons->button(QDialogButtonBox::Save), nullptr);
    EXPECT_TRUE(buttons->button(QDialogButtonBox::Save)->text().contains(QStringLiteral("保存")))
        << buttons->button(QDialogButtonBox::Save)->text().toStdString();
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
}

TEST_F(PanelWindow, MissingOrBrokenSkinGivesAnEmptyWindowAndALogLine)
{
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) { logged << text; });
    FCPanelWindow window;
    EXPECT_FALSE(window.LoadSkin(folder_.Path("nowhere/skin.xml")));
    EXPECT_FALSE(window.LoadSkin(folder_.Write("broken.xml", "<skin><panel filltype='1'></skin>")));
    qInstallMessageHandler(previous);

    ASSERT_EQ(logged.size(), 2);
    EXPECT_TRUE(logged[0].contains("nowhere/skin.xml"));
    EXPECT_TRUE(logged[1].contains("not well formed"));
    EXPECT_EQ(window.GetTopItem().GetChildren().PCL_GetObjectCount(), 0u);
    window.resize(320, 200);
    window.show();
    Click(&window, {10, 10});
    EXPECT_FALSE(window.grab().isNull());
}

// The windows of a detached skin must neither show through the skin that
// replaces it nor take its clicks; they come back as they were.
TEST_F(PanelWindow, ADetachedSkinsWindowsStayOutOfSightUntilAttached)
{
    FCPanelWindow window;
    ASSERT_TRUE(window.LoadSkin(path_));
    window.show();
    QWidget* button = window.GetCtrl(20000);
    QWidget* check = window.GetCtrl(20007);
    check->hide();  // hidden by the program before the swap: stays hidden
    auto mainSkin = window.DetachSkin();
    ASSERT_TRUE(
        window.LoadSkin(folder_.Write("mini.xml", "<skin width='100' height='80' init_wnd_x='400' init_wnd_y='300'/>")));
    EXPECT_FALSE(button->isVisible());
    EXPECT_EQ(window.childAt(QPoint(20, 110)), nullptr);

    window.AttachSkin(std::move(mainSkin));
    EXPECT_TRUE(button->isVisible());
    EXPECT_FALSE(check->isVisible());
}

// Attaching over a skin that was not detached deletes its windows, as
// loading over it does, instead of leaving them behind untracked.
TEST_F(PanelWindow, AttachingOverASkinDeletesItsWindows)
{
    FCPanelWindow window;
    ASSERT_TRUE(window.LoadSkin(path_));
    window.show();
    auto mainSkin = window.DetachSkin();
    ASSERT_TRUE(window.LoadSkin(folder_.Write(
        "mini.xml", "<skin width='100' height='80'><win32_ctrl x='0' y='0' width='20' height='20' "
                    "ctrl_name='uis_button' ctrl_id='20050'/></skin>")));
    QPointer<QWidget> miniButton = window.GetCtrl(20050);
    ASSERT_FALSE(miniButton.isNull());
    window.AttachSkin(std::move(mainSkin));
    EXPECT_FALSE(miniButton->isVisible());
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return miniButton.isNull(); }));
    EXPECT_EQ(window.findChildren<FCButtonBase*>().size(), 2);
}

TEST_F(PanelWindow, ADetachedSkinComesBackWithItsWindows)
{
    FCPanelWindow window;
    ASSERT_TRUE(window.LoadSkin(path_));
    window.show();
    QWidget* button = window.GetCtrl(20000);
    auto mainSkin = window.DetachSkin();
    ASSERT_TRUE(window.LoadSkin(folder_.Write("mini.xml", "<skin width='100' height='80' init_wnd_x='120'/>")));
    EXPECT_EQ(window.GetCtrl(20000), nullptr);
    window.AttachSkin(std::move(mainSkin));
    window.resize(500, 300);
    EXPECT_EQ(window.GetCtrl(20000), button);
    EXPECT_EQ(window.GetCtrl(20007)->geometry(), QRect(430, 100, 60, 30));

    // Loading over a skin without detaching it deletes its windows.
    QPointer<QWidget> replaced = window.GetCtrl(20000);
    ASSERT_TRUE(window.LoadSkin(path_));
    EXPECT_NE(window.GetCtrl(20000), replaced.data());
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return replaced.isNull(); }));
    EXPECT_EQ(window.findChildren<FCButtonBase*>().size(), 2);
}

}  // namespace

namespace {

// Turns every colour and pixel pure blue.
class BlueScheme : public FCSkinColorScheme {
public:
    std::uint32_t RecolourValue(std::uint32_t) const override { return 0xFF0000; }
    void RecolourImage(const FCImageView& image) const override
    {
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                std::uint8_t* pixel = image.Pixel(x, y);
                pixel[kBlue] = 255;
                pixel[kGreen] = 0;
                pixel[kRed] = 0;
            }
    }
};

TEST_F(PanelWindow, ColourSchemeRecoloursOnlyFlaggedItems)
{
    const std::string path = folder_.Write(
        "scheme.xml",
        "<skin width='200' height='100' init_wnd_x='200' init_wnd_y='100'>"
        "<panel x='0' y='0' width='50' height='50' filltype='1' fillvalue='255'/>"
        "<panel x='50' y='0' width='50' height='50' filltype='1' fillvalue='255' color_scheme='0'/>"
        "<panel x='100' y='0' width='50' height='50' filltype='2' fillvalue='img/green.png'/>"
        "<panel x='150' y='0' width='50' height='50' filltype='2' fillvalue='img/green.png' color_scheme='0'/>"
        "</skin>");
    BlueScheme scheme;
    FCSetSkinColorScheme(&scheme);
    FCPanelWindow window;
    ASSERT_TRUE(window.LoadSkin(path));
    const QImage shot = window.grab().toImage();
    FCSetSkinColorScheme(nullptr);
    EXPECT_EQ(shot.pixelColor(25, 25), QColor(0, 0, 255));
    EXPECT_EQ(shot.pixelColor(75, 25), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(125, 25), QColor(0, 0, 255));
    EXPECT_EQ(shot.pixelColor(175, 25), QColor(0, 200, 0));
    // Without a scheme the cache gives the original image again.
    EXPECT_EQ(window.grab().toImage().pixelColor(125, 25), QColor(0, 200, 0));
}

}  // namespace
