// The main window speaks the language of the desktop: Chinese under a
// Chinese locale, English under any other. A picture of each is saved as
// build/screenshots/window-zh.png and window-en.png.
#include "main_window_fixture.h"

#include "common/ids/command_ids.h"
#include "common/lang/language.h"
#include "platform/web/page_texts.h"
#include "ui/toolkit/list_item.h"

#include <QTest>

#include <map>

namespace main_window_test {
namespace {

struct WindowLook {
    QImage shot;
    std::map<int, std::string> texts;  // the drawn text of a button, by control id
    std::string playTooltip;
};

std::string ButtonText(QWidget* control)
{
    auto* button = dynamic_cast<ui::FCButtonBase*>(control);
    if (!button)
        return {};
    for (const auto& item : button->GetItems())
        if (auto* check = dynamic_cast<const ui::FCListItem_Button_Check*>(item.get()))
            return check->text.text;
    return {};
}

class WindowLanguageTest : public MainWindowTest {
protected:
    // Builds the window anew as the program does at start, after the
    // language was decided from the environment.
    static void RestartIn(const char* language)
    {
        qputenv("QUELT_LANG", language);
        lang::SetCurrentLanguage(lang::LanguageFromEnvironment());
        window.reset();
        parts.reset();
        StartWindow();
    }

    static WindowLook Look(const QString& file)
    {
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        WindowLook look;
        look.shot = window->grab().toImage();
        QDir().mkpath(QUELT_BUILD_DIR "/screenshots");
        look.shot.save(QUELT_BUILD_DIR "/screenshots/" + file);
        for (int id : {command::kPlayerTab, command::kBrowseTab, command::kPlayListPanel})
            look.texts[id] = ButtonText(window->GetCtrl(id));
        look.playTooltip = window->GetCtrl(command::kPlayPause)->toolTip().toStdString();
        return look;
    }
};

}  // namespace

TEST_F(WindowLanguageTest, ChineseOrEnglishByTheLocale)
{
    RestartIn("zh");
    const WindowLook chinese = Look("window-zh.png");
    EXPECT_EQ(chinese.texts.at(command::kPlayerTab), "播放器");
    EXPECT_EQ(chinese.texts.at(command::kBrowseTab), "网络浏览");
    EXPECT_EQ(chinese.texts.at(command::kPlayListPanel), "播放队列");
    EXPECT_EQ(chinese.playTooltip, "播放 （空格）");
    EXPECT_EQ(platform::PageTexts(), "{}") << "the pages keep their Chinese";

    RestartIn("en");
    const WindowLook english = Look("window-en.png");
    EXPECT_EQ(english.texts.at(command::kPlayerTab), "Player");
    EXPECT_EQ(english.texts.at(command::kBrowseTab), "Browse");
    EXPECT_EQ(english.texts.at(command::kPlayListPanel), "Play list");
    EXPECT_EQ(english.playTooltip, "Play (Space)");
    EXPECT_NE(platform::PageTexts().find("\"No related videos yet\""), std::string::npos)
        << "the pages are handed the English texts";
    EXPECT_EQ(english.shot.size(), chinese.shot.size());
    EXPECT_NE(english.shot, chinese.shot) << "the two pictures show different texts";
    const QRect tab = window->GetCtrl(command::kPlayerTab)->geometry();
    EXPECT_NE(english.shot.copy(tab), chinese.shot.copy(tab)) << "the player tab is drawn in English";

    // The other cases of a run of the whole binary see the Chinese window.
    RestartIn("zh");
}

}  // namespace main_window_test
