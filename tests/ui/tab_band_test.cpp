// The tab band inside a skinned window: adding, selecting, removing and
// closing tabs, the views it shows and hides, its widths and its menu.
#include "skin_test_files.h"
#include "support/event_wait.h"
#include "ui/tab_band/wnd_tab_band.h"
#include "ui/widgets/ctrl_id.h"
#include "ui/widgets/player_ctrl_factory.h"
#include "widget_test_support.h"

#include <QMenu>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

using namespace ui;
using ui_test::RecordingWindow;

constexpr UINT kMarker = WM_USER + 77;

class TabBand : public ::testing::Test {
protected:
    void SetUp() override
    {
        FCSetApplicationCtrlFactory(&CPlayerCtrlFactory::Instance());
        const std::string path = folder_.Write(
            "skin.xml",
            "<skin width='700' height='300'><win32_ctrl x='0' y='0' width='612' height='30' ctrl_name='tab_band' "
            "ctrl_id='233' max_itemwidth='150' min_itemwidth='60'/></skin>");
        ASSERT_TRUE(window_.LoadSkin(path));
        window_.show();
        band_ = qobject_cast<CWndTabBand*>(window_.GetCtrl(233));
        ASSERT_NE(band_, nullptr);
        ASSERT_EQ(band_->width(), 612);
    }
    void TearDown() override { FCSetApplicationCtrlFactory(nullptr); }

    QWidget* View(int viewId)
    {
        QWidget*& view = views_[viewId];
        if (!view) {
            view = new QWidget(&window_);
            SetCtrlId(view, viewId);
            view->show();
        }
        return view;
    }
    // Adds the tab and waits until the band has selected it, as the program
    // does between two user actions.
    void Add(int viewId, bool closable = true)
    {
        View(viewId);
        band_->AddButton(viewId, closable);
        ASSERT_TRUE(test_support::RunEventsUntil([&] { return band_->GetSelectedViewId() == viewId; }));
    }
    void Select(int viewId)
    {
        band_->SelectButton(viewId);
        ASSERT_TRUE(test_support::RunEventsUntil([&] { return band_->GetSelectedViewId() == viewId; }));
    }
    std::vector<int> Order() const
    {
        std::vector<int> ids;
        for (const auto& button : band_->GetButtons())
            ids.push_back(button->GetViewId());
        return ids;
    }
    std::vector<int> VisibleViews() const
    {
        std::vector<int> ids;
        for (const auto& [id, view] : views_)
            if (view->isVisible())
                ids.push_back(id);
        return ids;
    }
    // Everything posted before now has been handled once the marker arrives.
    std::vector<ui_test::Message> PostedSoFar()
    {
        window_.messages.clear();
        platform::PostMessage(window_.GetSafeHwnd(), kMarker, 0, 0);
        EXPECT_TRUE(test_support::RunEventsUntil([&] {
            return std::any_of(window_.messages.begin(), window_.messages.end(),
                               [](const ui_test::Message& m) { return m.msg == kMarker; });
        }));
        std::vector<ui_test::Message> before;
        for (const auto& m : window_.messages) {
            if (m.msg == kMarker)
                break;
            before.push_back(m);
        }
        return before;
    }

    ui_test::SkinFolder folder_;
    RecordingWindow window_;
    CWndTabBand* band_ = nullptr;
    std::map<int, QWidget*> views_;
};

TEST_F(TabBand, NewTabsGoAfterTheSelectedOneAndShowOnlyTheirView)
{
    Add(2100);
    EXPECT_EQ(VisibleViews(), (std::vector<int>{2100}));
    Add(2101);
    Add(2102);
    Add(2103);
    Select(2101);
    EXPECT_EQ(VisibleViews(), (std::vector<int>{2101}));

    Add(2104);
    EXPECT_EQ(Order(), (std::vector<int>{2100, 2101, 2104, 2102, 2103}));
    EXPECT_EQ(VisibleViews(), (std::vector<int>{2104}));
    const auto selected = std::count_if(band_->GetButtons().begin(), band_->GetButtons().end(),
                                        [](const auto& b) { return b->IsSelected(); });
    EXPECT_EQ(selected, 1);
}

TEST_F(TabBand, ButtonWidthsFollowTheCountBetweenTheLimits)
{
    auto widthWith = [this](int count) {
        while (static_cast<int>(band_->GetButtons().size()) < count)
            band_->AddButton(2100 + static_cast<int>(band_->GetButtons().size()), true);
        return band_->GetButtons().front()->GetRect().width;
    };
    EXPECT_EQ(widthWith(3), 150);
    EXPECT_EQ(widthWith(5), 120);
    EXPECT_EQ(widthWith(12), 60);
    EXPECT_EQ(band_->GetButtons()[1]->GetRect().x, 72);
    EXPECT_EQ(band_->GetButtons()[0]->GetRect().height, 30);
}

TEST_F(TabBand, RemovingSelectsTheTabBeforeOrTheNewFirst)
{
    Add(2100);
    Add(2101);
    Add(2102);
    band_->RemoveButton(2102);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return band_->GetSelectedViewId() == 2101; }));
    band_->RemoveButton(2100);
    EXPECT_EQ(Order(), (std::vector<int>{2101}));
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return band_->GetSelectedViewId() == 2101; }));
    EXPECT_EQ(band_->GetButtons().front()->GetRect().x, 12);

    Add(2103);
    Select(2101);
    band_->RemoveButton(2101);  // the first one
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return band_->GetSelectedViewId() == 2103; }));
    band_->RemoveButton(2103);
    EXPECT_TRUE(band_->GetButtons().empty());
    EXPECT_EQ(band_->GetSelectedViewId(), -1);
    band_->RemoveButton(4242);  // not there: nothing happens
    PostedSoFar();
}

TEST_F(TabBand, CloseBoxPostsTabCloseToTheMainWindow)
{
    Add(2100, true);
    Add(2101, false);
    Select(2100);
    const CTabButtonItem* closable = band_->FindButton(2100);
    const FCRect box = closable->GetCloseBoxRect();
    const QPoint inBox(box.x + 6, box.y + 6);

    // Pressing in the box and releasing outside it closes nothing.
    ui_test::Press(band_, inBox);
    ui_test::Release(band_, QPoint(inBox.x() - 40, inBox.y()));
    EXPECT_TRUE(PostedSoFar().empty());

    ui_test::Click(band_, inBox);
    const auto posted = PostedSoFar();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].msg, WM_TAB_CLOSE);
    EXPECT_EQ(posted[0].wParam, 233u);
    EXPECT_EQ(posted[0].lParam, 2100);
    EXPECT_EQ(band_->GetButtons().size(), 2u);  // the main window decides

    // The same spot on a tab without a close box only selects it.
    const FCRect other = band_->FindButton(2101)->GetRect();
    ui_test::Click(band_, QPoint(other.Right() - 16 + 6, other.y + 8 + 6));
    EXPECT_EQ(band_->GetSelectedViewId(), 2101);
    EXPECT_TRUE(PostedSoFar().empty());
}

TEST_F(TabBand, HidingRemembersTheViewAndShowingSelectsItAgain)
{
    Add(2100);
    Add(2101);
    Add(2102);
    Select(2101);
    band_->hide();
    EXPECT_TRUE(VisibleViews().empty());
    EXPECT_EQ(band_->GetRememberedViewId(), 2101);

    band_->show();
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return VisibleViews() == std::vector<int>{2101}; }));

    // A new title is painted into its own button and nowhere else.
    const QImage before = band_->grab().toImage();
    band_->SetButtonText(2101, "一个很长很长很长的网页标题");
    const QImage after = band_->grab().toImage();
    ASSERT_EQ(before.size(), after.size());
    const auto region = [&](int viewId) {
        const auto rect = band_->FindButton(viewId)->GetRect();
        return QRect(rect.x, rect.y, rect.width, rect.height);
    };
    const auto same = [&](const QRect& area) { return before.copy(area) == after.copy(area); };
    EXPECT_FALSE(same(region(2101)));
    EXPECT_TRUE(same(region(2100)));
    EXPECT_TRUE(same(region(2102)));
}

// A selection still on its way when the band is hidden (a tab opened, or the
// band shown, and hidden again in the same turn) must not bring a view back
// over what replaced the band; it is the view shown again with the band.
TEST_F(TabBand, ASelectionArrivingAfterHidingShowsNoView)
{
    Add(2100);
    View(2101);
    band_->AddButton(2101, true);  // its selection is posted
    band_->hide();
    PostedSoFar();  // lets the posted selection arrive
    EXPECT_TRUE(VisibleViews().empty());

    band_->show();
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return VisibleViews() == std::vector<int>{2101}; }));
    band_->hide();
    band_->show();  // posts the remembered view's selection
    band_->hide();
    PostedSoFar();
    EXPECT_TRUE(VisibleViews().empty());
}

TEST_F(TabBand, MenuCloseAllIsPostedToTheMainWindow)
{
    std::unique_ptr<QMenu> menu(band_->CreateBandMenu());
    ASSERT_EQ(menu->actions().size(), 1);
    QAction* closeAll = menu->actions().front();
    EXPECT_EQ(closeAll->text(), QString::fromUtf8("关闭全部页面(&C)"));
    closeAll->trigger();
    const auto posted = PostedSoFar();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].msg, WM_COMMAND);
    EXPECT_EQ(posted[0].wParam, 20400u);
}

}  // namespace
