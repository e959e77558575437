// The layout rules: how items move and stretch when the window changes size.
#include "ui/toolkit/panel_item_top.h"

#include <gtest/gtest.h>

namespace {

using ui::FCPanelItemTop;
using ui::FCRect;
using ui::FCSize;

// One panel of width 100 at x 300 in a 400-wide window, with the given mode.
int PanelXAfterGrowth(const char* mode)
{
    std::string xml = std::string("<skin width='400' height='300'><panel x='300' y='10' width='100' height='50' "
                                  "position_x_mode='") + mode + "'/></skin>";
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(xml.c_str()));
    FCPanelItemTop top;
    top.ReadTop(document.document_element());
    top.SetWindowSize({600, 300});
    return top.GetChildren().PCL_GetObject(0)->GetRect().x;
}

TEST(SkinLayout, PositionModesFollowTheRightEdgeTheCentreOrTheLeftEdge)
{
    EXPECT_EQ(PanelXAfterGrowth("0"), 500);
    EXPECT_EQ(PanelXAfterGrowth("2"), 250);
    EXPECT_EQ(PanelXAfterGrowth("1"), 300);
    EXPECT_EQ(PanelXAfterGrowth("7"), 300);  // unknown modes keep the left distance
}

TEST(SkinLayout, ResizeModeZeroStretchesWithTheParent)
{
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(
        "<skin width='400' height='300'>"
        "<panel x='10' y='10' width='380' height='100' resize_x_mode='0'/>"
        "<panel x='10' y='120' width='380' height='100' resize_y_mode='0' position_y_mode='0'/>"
        "</skin>"));
    FCPanelItemTop top;
    top.ReadTop(document.document_element());
    top.SetWindowSize({600, 400});
    EXPECT_EQ(top.GetChildren().PCL_GetObject(0)->GetRect(), (FCRect{10, 10, 580, 100}));
    // Stretched by 100 and moved by 100: position uses the old y plus the change.
    EXPECT_EQ(top.GetChildren().PCL_GetObject(1)->GetRect(), (FCRect{10, 220, 380, 200}));
}

TEST(SkinLayout, CentredItemUsesItsNewSizeAndRoundsTowardZero)
{
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(
        "<skin width='400' height='300'>"
        "<panel x='0' y='0' width='101' height='10' position_x_mode='2'/>"
        "<panel x='0' y='0' width='500' height='10' position_x_mode='2'/>"
        "<panel x='0' y='0' width='100' height='10' position_x_mode='2' resize_x_mode='0'/>"
        "</skin>"));
    FCPanelItemTop top;
    top.ReadTop(document.document_element());
    top.SetWindowSize({600, 300});
    EXPECT_EQ(top.GetChildren().PCL_GetObject(0)->GetRect().x, 249);  // (600 - 101) / 2
    EXPECT_EQ(top.GetChildren().PCL_GetObject(1)->GetRect().x, 50);
    EXPECT_EQ(top.GetChildren().PCL_GetObject(2)->GetRect().x, 150);  // new width 300
    top.SetWindowSize({301, 300});
    EXPECT_EQ(top.GetChildren().PCL_GetObject(1)->GetRect().x, -99);  // (301 - 500) / 2 toward zero
}

TEST(SkinLayout, NestedPanelsFollowTheirOwnParentAndAbsolutePositionsAddUp)
{
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(
        "<skin width='400' height='300'>"
        "<panel x='20' y='30' width='360' height='240' resize_x_mode='0' resize_y_mode='0'>"
        "  <panel x='300' y='200' width='50' height='30' position_x_mode='0' position_y_mode='0'/>"
        "  <panel x='5' y='5' width='50' height='30'/>"
        "</panel></skin>"));
    FCPanelItemTop top;
    top.ReadTop(document.document_element());
    top.SetWindowSize({500, 350});
    const auto* outer = top.GetChildren().PCL_GetObject(0);
    EXPECT_EQ(outer->GetRect(), (FCRect{20, 30, 460, 290}));
    EXPECT_EQ(outer->GetChildren().PCL_GetObject(0)->GetAbsoluteRect(), (FCRect{420, 280, 50, 30}));
    EXPECT_EQ(outer->GetChildren().PCL_GetObject(1)->GetAbsoluteRect(), (FCRect{25, 35, 50, 30}));
}

TEST(SkinLayout, ShrinkingBelowZeroAndGrowingBackRestoresTheDesign)
{
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(
        "<skin width='400' height='300'>"
        "<panel x='10' y='10' width='100' height='100' resize_x_mode='0'>"
        "  <panel x='60' y='0' width='30' height='10' position_x_mode='0'/>"
        "</panel></skin>"));
    FCPanelItemTop top;
    top.ReadTop(document.document_element());
    top.SetWindowSize({200, 300});  // the panel would be -100 wide
    top.SetWindowSize({50, 300});
    top.SetWindowSize({400, 300});
    const auto* panel = top.GetChildren().PCL_GetObject(0);
    EXPECT_EQ(panel->GetRect(), (FCRect{10, 10, 100, 100}));
    EXPECT_EQ(panel->GetChildren().PCL_GetObject(0)->GetRect(), (FCRect{60, 0, 30, 10}));
}

TEST(SkinLayout, TopItemFillsTheWindowWhateverTheFileSays)
{
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string("<skin x='10' y='20' width='400' height='300' position_x_mode='0' "
                                     "resize_x_mode='1' resize_y_mode='1'/>"));
    FCPanelItemTop top;
    top.ReadTop(document.document_element());
    EXPECT_EQ(top.GetRect(), (FCRect{0, 0, 400, 300}));
    top.SetWindowSize({640, 480});
    EXPECT_EQ(top.GetRect(), (FCRect{0, 0, 640, 480}));
    EXPECT_EQ(top.GetLayoutModes().positionX, 1);
    EXPECT_EQ(top.GetLayoutModes().resizeX, 0);
    EXPECT_EQ(top.GetLayoutModes().resizeY, 0);
}

// A damaged skin with values at the ends of the integer range must not make
// the layout wrap around (nor overflow, which sanitizer builds abort on).
TEST(SkinLayout, ExtremeValuesOfADamagedSkinDoNotWrapAround)
{
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(
        "<skin width='400' height='300'>"
        "<panel x='2147483647' y='-2147483648' width='2147483647' height='2147483647' position_x_mode='0' "
        "resize_x_mode='0' position_y_mode='0'>"
        "  <panel x='2147483647' y='2147483647' width='2147483647' height='10' position_x_mode='0'/>"
        "</panel></skin>"));
    FCPanelItemTop top;
    top.ReadTop(document.document_element());
    top.SetWindowSize({600, 200});
    const auto* outer = top.GetChildren().PCL_GetObject(0);
    const auto* inner = outer->GetChildren().PCL_GetObject(0);
    EXPECT_GT(outer->GetRect().x, 0);
    EXPECT_GT(outer->GetRect().width, 0);
    EXPECT_LT(outer->GetRect().y, 0);
    EXPECT_GT(inner->GetRect().x, 0);
    EXPECT_GE(inner->GetAbsoluteRect().x, outer->GetRect().x);
    EXPECT_GT(inner->GetAbsoluteRect().Right(), inner->GetAbsoluteRect().x);
    EXPECT_GT(inner->GetAbsoluteRect().y, outer->GetRect().y);
    EXPECT_FALSE(inner->GetAbsoluteRect().Contains(100, 100));
}

}  // namespace
