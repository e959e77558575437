// Widths and places of the tab buttons and their close boxes.
#include "ui/tab_band/tab_button_layout.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using ui::CTabButtonItem;
using ui::CTabButtonLayout;
using ui::FCRect;

std::vector<std::unique_ptr<CTabButtonItem>> Buttons(int count)
{
    std::vector<std::unique_ptr<CTabButtonItem>> buttons;
    for (int i = 0; i < count; ++i)
        buttons.push_back(std::make_unique<CTabButtonItem>(2100 + i, true));
    return buttons;
}

TEST(TabButtonLayout, WidthsStayBetweenTheNarrowestAndTheWidest)
{
    EXPECT_EQ(CTabButtonLayout::ButtonWidth(3, 612, 60, 150), 150);
    EXPECT_EQ(CTabButtonLayout::ButtonWidth(5, 612, 60, 150), 120);
    EXPECT_EQ(CTabButtonLayout::ButtonWidth(12, 612, 60, 150), 60);
    EXPECT_EQ(CTabButtonLayout::ButtonWidth(0, 612, 60, 150), 0);
    EXPECT_EQ(CTabButtonLayout::ButtonWidth(2, 5, 60, 150), 60);  // band narrower than its margin

    auto buttons = Buttons(12);
    CTabButtonLayout::Layout(buttons, 612, 30, 60, 150);
    EXPECT_EQ(buttons[0]->GetRect(), (FCRect{12, 0, 60, 30}));
    EXPECT_EQ(buttons[1]->GetRect(), (FCRect{72, 0, 60, 30}));
    EXPECT_EQ(buttons[11]->GetRect().Right(), 12 + 12 * 60);  // past the band's edge
}

TEST(TabButtonLayout, CloseBoxSitsNearTheTopRightOfClosableButtons)
{
    auto buttons = Buttons(1);
    buttons.push_back(std::make_unique<CTabButtonItem>(2200, false));
    CTabButtonLayout::Layout(buttons, 612, 30, 60, 150);
    EXPECT_EQ(buttons[0]->GetCloseBoxRect(), (FCRect{12 + 150 - 16, 8, 13, 13}));
    EXPECT_EQ(buttons[1]->GetCloseBoxRect(), (FCRect{}));
}

TEST(TabButtonLayout, HugeWidthsOfADamagedSkinDoNotWrapAround)
{
    auto buttons = Buttons(12);
    CTabButtonLayout::Layout(buttons, 612, 30, INT_MAX, INT_MAX);
    for (std::size_t i = 1; i < buttons.size(); ++i) {
        EXPECT_GE(buttons[i]->GetRect().x, buttons[i - 1]->GetRect().x) << i;
        EXPECT_GE(buttons[i]->GetRect().Right(), buttons[i]->GetRect().x) << i;
    }
}

}  // namespace
