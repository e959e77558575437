// The three skins of the program as the build installs them: every control
// of the main window is there, keeps its anchor at other sizes and overlaps
// no other control. Screenshots of the main window are saved for a person
// to look at.
#include "common/app_folder.h"
#include "support/event_wait.h"
#include "ui/tab_band/wnd_tab_band.h"
#include "ui/widgets/button.h"
#include "ui/widgets/panel_window.h"
#include "ui/widgets/player_ctrl_factory.h"
#include "ui/widgets/skin_paint.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace ui;

// How a control follows the window: horizontally Left, Right or Stretch,
// vertically Top, Bottom or Stretch.
struct Anchor {
    int id;
    char horizontal;
    char vertical;
};

const Anchor kMainControls[] = {
    {600, 'S', 'S'},   {201, 'S', 'B'},   {220, 'R', 'B'},   {270, 'L', 'B'},   {239, 'S', 'B'},
    {209, 'R', 'S'},   {216, 'R', 'S'},   {211, 'R', 'S'},   {212, 'R', 'S'},   {233, 'S', 'T'},
    {230, 'R', 'T'},   {213, 'R', 'T'},   {20032, 'R', 'T'}, {20000, 'L', 'B'}, {20001, 'L', 'B'},
    {20002, 'R', 'B'}, {20003, 'R', 'B'}, {20004, 'R', 'B'}, {20005, 'R', 'B'}, {20006, 'R', 'B'},
    {20007, 'R', 'B'}, {20008, 'R', 'T'}, {20021, 'R', 'T'}, {20100, 'R', 'T'}, {20102, 'R', 'T'},
    {20103, 'R', 'T'}, {20105, 'R', 'T'}, {20200, 'L', 'T'}, {20201, 'L', 'T'}, {20700, 'R', 'T'},
    {20701, 'R', 'T'}, {20702, 'R', 'T'}, {20703, 'R', 'T'},
};

// Controls that share one place on purpose: the side lists (one shown at a
// time) and the browsing tab band over the player area (one tab at a time).
bool SharePlace(int a, int b)
{
    auto sideList = [](int id) { return id == 209 || id == 211 || id == 216 || id == 212; };
    auto largeArea = [](int id) { return id == 600 || id == 233; };
    return (sideList(a) && sideList(b)) || (largeArea(a) && largeArea(b));
}

class Skins : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetAppFolderForTesting(QUELT_APP_DIR_FOR_TESTS);
        FCSetApplicationCtrlFactory(&CPlayerCtrlFactory::Instance());
        FCFontCache::Instance().ResetDefaultFont();
        FCClearSkinImageCache();
    }
    void TearDown() override
    {
        FCSetApplicationCtrlFactory(nullptr);
        SetAppFolderForTesting("");
        FCFontCache::Instance().ResetDefaultFont();
    }

    std::map<int, FCRect> ControlRects(FCPanelWindow& window)
    {
        std::map<int, FCRect> rects;
        for (const Anchor& anchor : kMainControls) {
            FCPanelItemWIN32Ctrl* item = window.GetTopItem().FindCtrl(anchor.id);
            EXPECT_NE(item, nullptr) << "control " << anchor.id << " is missing";
            if (!item)
                continue;
            rects[anchor.id] = item->GetAbsoluteRect();
            if (QWidget* created = window.GetCtrl(anchor.id)) {
                const FCRect& r = rects[anchor.id];
                EXPECT_EQ(created->geometry(), QRect(r.x, r.y, r.width, r.height)) << "window of " << anchor.id;
            }
        }
        return rects;
    }

    void SaveScreenshot(FCPanelWindow& window, const QString& name)
    {
        const QString folder = QUELT_SCREENSHOT_DIR;
        ASSERT_TRUE(QDir().mkpath(folder));
        EXPECT_TRUE(window.grab().save(folder + "/" + name));
    }

    // What a machine can see of a screenshot: each of these controls draws
    // its image where the window has it (its rectangle differs from what
    // shows there without it).
    static void ExpectButtonsDrawn(FCPanelWindow& window, std::initializer_list<int> ids)
    {
        for (const int id : ids) {
            QWidget* ctrl = window.GetCtrl(id);
            ASSERT_NE(ctrl, nullptr) << id;
            const QRect place = ctrl->geometry();
            const QImage with = window.grab(place).toImage();
            ctrl->hide();
            const QImage without = window.grab(place).toImage();
            ctrl->show();
            EXPECT_NE(with, without) << "control " << id << " shows nothing";
        }
    }

    static void ExpectInsideAndApart(const std::map<int, FCRect>& rects, QSize size)
    {
        for (const auto& [id, r] : rects) {
            EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.Right() <= size.width() && r.Bottom() <= size.height())
                << "control " << id << " leaves the " << size.width() << "x" << size.height() << " window";
            EXPECT_GT(r.width, 0) << id;
            EXPECT_GT(r.height, 0) << id;
            for (const auto& [other, o] : rects) {
                if (other <= id || SharePlace(id, other))
                    continue;
                const bool overlap = r.x < o.Right() && o.x < r.Right() && r.y < o.Bottom() && o.y < r.Bottom();
                EXPECT_FALSE(overlap) << "controls " << id << " and " << other << " overlap at " << size.width()
                                      << "x" << size.height();
            }
        }
    }
};

TEST_F(Skins, MainSkinKeepsEveryControlAtItsAnchor)
{
    FCPanelWindow window;
    ASSERT_TRUE(window.LoadSkin(GetAppFolder() + "skin/main/skin.xml"));
    window.SetDrawPlaceholders(true);
    window.show();
    // As with the player tab selected: the browsing band is hidden.
    ASSERT_NE(window.GetCtrl(233), nullptr);
    window.GetCtrl(233)->hide();
    for (int tab : {20200, 20701})
        if (auto* button = qobject_cast<FCButtonBase*>(window.GetCtrl(tab)))
            button->SetCheck(true);
    ASSERT_NE(window.GetTopItem().FindByCommandId(305), nullptr);

    const QSize designSize(960, 640);
    EXPECT_EQ(window.size(), designSize);
    EXPECT_EQ(window.minimumSize(), QSize(840, 560));
    const auto before = ControlRects(window);
    ExpectInsideAndApart(before, designSize);
    SaveScreenshot(window, "main-960x640.png");
    ExpectButtonsDrawn(window, {20000, 20001, 20002, 20003, 20004, 20006, 20100, 20103, 20701});

    const QSize largeSize(1280, 800);
    window.resize(largeSize);
    const auto after = ControlRects(window);
    ExpectInsideAndApart(after, largeSize);
    SaveScreenshot(window, "main-1280x800.png");
    ExpectButtonsDrawn(window, {20000, 20002, 20100, 20701});

    const int dx = largeSize.width() - designSize.width();
    const int dy = largeSize.height() - designSize.height();
    for (const Anchor& anchor : kMainControls) {
        if (!before.count(anchor.id) || !after.count(anchor.id))
            continue;
        const FCRect& b = before.at(anchor.id);
        const FCRect& a = after.at(anchor.id);
        const FCRect expected{b.x + (anchor.horizontal == 'R' ? dx : 0), b.y + (anchor.vertical == 'B' ? dy : 0),
                              b.width + (anchor.horizontal == 'S' ? dx : 0),
                              b.height + (anchor.vertical == 'S' ? dy : 0)};
        EXPECT_EQ(a, expected) << "control " << anchor.id;
    }

    window.resize(window.minimumSize());
    ExpectInsideAndApart(ControlRects(window), window.minimumSize());
}

TEST_F(Skins, BrowsingTabsOnTheMainSkin)
{
    FCPanelWindow window;
    ASSERT_TRUE(window.LoadSkin(GetAppFolder() + "skin/main/skin.xml"));
    window.show();
    auto* band = qobject_cast<CWndTabBand*>(window.GetCtrl(233));
    ASSERT_NE(band, nullptr);
    const char* titles[] = {"首页", "搜索结果：纪录片", "一个很长很长很长很长的视频网页标题"};
    for (int i = 0; i < 3; ++i) {
        band->AddButton(2100 + i, i != 0);
        band->SetButtonText(2100 + i, titles[i]);
        ASSERT_TRUE(test_support::RunEventsUntil([&] { return band->GetSelectedViewId() == 2100 + i; }));
    }
    if (auto* button = qobject_cast<FCButtonBase*>(window.GetCtrl(20201)))
        button->SetCheck(true);
    SaveScreenshot(window, "main-tabs.png");

    // The three tabs sit side by side inside the band, each painted (its
    // area is not one colour), the long title no wider than the others.
    const QImage shot = band->grab().toImage();
    int right = 0;
    for (int i = 0; i < 3; ++i) {
        const FCRect r = band->FindButton(2100 + i)->GetRect();
        EXPECT_GE(r.x, right) << i;
        EXPECT_LE(r.Right(), band->width()) << i;
        right = r.Right();
        const QImage part = shot.copy(QRect(r.x, r.y, r.width, r.height));
        bool painted = false;
        for (int y = 0; y < part.height() && !painted; ++y)
            for (int x = 0; x < part.width() && !painted; ++x)
                painted = part.pixel(x, y) != part.pixel(0, 0);
        EXPECT_TRUE(painted) << i;
    }
    EXPECT_LE(band->FindButton(2102)->GetRect().width, band->FindButton(2101)->GetRect().width + 1);
}

TEST_F(Skins, MiniAndPreviewSkinsHoldTheirControls)
{
    FCPanelWindow mini;
    ASSERT_TRUE(mini.LoadSkin(GetAppFolder() + "skin/mini/skin.xml"));
    for (int id : {20050, 20051, 20000})
        EXPECT_NE(mini.GetCtrl(id), nullptr) << id;
    EXPECT_NE(mini.GetTopItem().FindByCommandId(600), nullptr);  // where the main player goes

    FCPanelWindow preview;
    ASSERT_TRUE(preview.LoadSkin(GetAppFolder() + "skin/preview/skin.xml"));
    EXPECT_EQ(preview.size(), QSize(325, 265));
    EXPECT_NE(preview.GetTopItem().FindCtrl(601), nullptr);
    for (int id : {20301, 20302})
        EXPECT_NE(preview.GetCtrl(id), nullptr) << id;
    mini.show();
    preview.show();
    mini.SetDrawPlaceholders(true);
    preview.SetDrawPlaceholders(true);
    SaveScreenshot(mini, "mini.png");
    SaveScreenshot(preview, "preview.png");
    ExpectButtonsDrawn(mini, {20050, 20051, 20000});
    ExpectButtonsDrawn(preview, {20301, 20302});
}

TEST_F(Skins, EveryImageTheSkinsNameExists)
{
    for (const char* skin : {"main", "mini", "preview"}) {
        pugi::xml_document document;
        ASSERT_TRUE(document.load_file((GetAppFolder() + "skin/" + skin + "/skin.xml").c_str())) << skin;
        int images = 0;
        for (const pugi::xpath_node& node : document.select_nodes("//@*")) {
            const std::string value = node.attribute().value();
            if (value.size() < 4 || value.compare(value.size() - 4, 4, ".png") != 0)
                continue;
            ++images;
            EXPECT_FALSE(QImage(QString::fromStdString(GetAppFolder() + value)).isNull()) << skin << ": " << value;
        }
        EXPECT_GT(images, 0) << skin;
    }
}

}  // namespace
