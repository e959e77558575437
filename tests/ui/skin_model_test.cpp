// Reading skin files: element kinds, attribute defaults, fonts, controllers,
// list items and files that cannot be read.
#include "common/app_folder.h"
#include "skin_test_files.h"
#include "ui/toolkit/list_item.h"
#include "ui/toolkit/panel_item_top.h"
#include "ui/toolkit/skin_values.h"

#include <gtest/gtest.h>

namespace {

using namespace ui;

class SkinModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        FCFontCache::Instance().ResetDefaultFont();
        SetAppFolderForTesting("/prog/");
    }
    void TearDown() override
    {
        FCFontCache::Instance().ResetDefaultFont();
        SetAppFolderForTesting("");
    }
    void Read(const char* xml)
    {
        ASSERT_TRUE(document_.load_string(xml));
        top_.ReadTop(document_.document_element());
    }
    FCPanelItemBase* Child(std::size_t index) const { return top_.GetChildren().PCL_GetObject(index); }

    pugi::xml_document document_;
    FCPanelItemTop top_;
};

TEST_F(SkinModel, ElementKindsBecomeTheirItemsAndUnknownNamesAreIgnored)
{
    Read("<skin width='300' height='200'>"
         "  <panel x='1'><button x='5'/><string_item text='in panel'/></panel>"
         "  <button x='2' width='10'/>"
         "  <win32_ctrl ctrl_name='uis_button' ctrl_id='20000'/>"
         "  <string_item text='hello'/>"
         "  <mainframe x='44' width='9'><panel/></mainframe>"
         "  <!-- a comment --> text between"
         "</skin>");
    ASSERT_EQ(top_.GetChildren().PCL_GetObjectCount(), 4u);
    auto* panel = dynamic_cast<FCPanelItemPanel*>(Child(0));
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->GetChildren().PCL_GetObjectCount(), 1u);
    EXPECT_NE(dynamic_cast<FCPanelItemText*>(panel->GetChildren().PCL_GetObject(0)), nullptr);
    EXPECT_EQ(panel->GetChildren().PCL_GetObject(0)->GetParent(), panel);

    auto* ctrl = dynamic_cast<FCPanelItemWIN32Ctrl*>(Child(1));
    ASSERT_NE(ctrl, nullptr);
    EXPECT_EQ(ctrl->ctrlName, "uis_button");
    EXPECT_EQ(ctrl->ctrlId, 20000);
    EXPECT_STREQ(ctrl->GetElement().name(), "win32_ctrl");
    EXPECT_EQ(top_.FindCtrl(20000), ctrl);

    EXPECT_EQ(dynamic_cast<FCPanelItemText*>(Child(2))->text.text, "hello");

    // A nested frame is added as it is: neither its attributes nor children.
    auto* frame = dynamic_cast<FCPanelItemTop*>(Child(3));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetRect(), (FCRect{}));
    EXPECT_EQ(frame->GetChildren().PCL_GetObjectCount(), 0u);
}

TEST_F(SkinModel, CommonAttributesHaveTheirDefaults)
{
    Read("<skin><panel/><panel x='3' y='4' width='5' height='6' item_command_id='20001' position_x_mode='0' "
         "position_y_mode='2' resize_x_mode='0' resize_y_mode='0' color_scheme='0'/>"
         "<panel x='abc' width=' 42 ' height='99999999999' y='-7'/></skin>");
    const FCPanelItemBase* plain = Child(0);
    EXPECT_EQ(plain->GetRect(), (FCRect{}));
    EXPECT_EQ(plain->GetCommandId(), 0);
    EXPECT_EQ(plain->GetLayoutModes().positionX, 1);
    EXPECT_EQ(plain->GetLayoutModes().positionY, 1);
    EXPECT_EQ(plain->GetLayoutModes().resizeX, 1);
    EXPECT_EQ(plain->GetLayoutModes().resizeY, 1);
    EXPECT_EQ(plain->GetColorScheme(), 1);

    const FCPanelItemBase* set = Child(1);
    EXPECT_EQ(set->GetRect(), (FCRect{3, 4, 5, 6}));
    EXPECT_EQ(set->GetCommandId(), 20001);
    EXPECT_EQ(set->GetLayoutModes().positionX, 0);
    EXPECT_EQ(set->GetLayoutModes().positionY, 2);
    EXPECT_EQ(set->GetColorScheme(), 0);
    EXPECT_EQ(top_.FindByCommandId(20001), set);

    // Text that is not a 32-bit decimal integer leaves the default.
    EXPECT_EQ(Child(2)->GetRect(), (FCRect{0, -7, 42, 0}));
}

TEST_F(SkinModel, WindowSizesHaveTheirDefaults)
{
    Read("<skin/>");
    EXPECT_EQ(top_.GetMinSize(), (FCSize{-1, -1}));
    EXPECT_EQ(top_.GetInitSize(), (FCSize{100, 100}));
    Read("<skin app_min_size_x='640' app_min_size_y='480' init_wnd_x='900' init_wnd_y='600'/>");
    EXPECT_EQ(top_.GetMinSize(), (FCSize{640, 480}));
    EXPECT_EQ(top_.GetInitSize(), (FCSize{900, 600}));
}

TEST_F(SkinModel, FillBorderAndTextAreRead)
{
    Read("<skin>"
         "<panel/>"
         "<panel filltype='1'/>"
         "<panel filltype='1' fillvalue='255' border='1' color_lt='16777215' color_rb='10395294'/>"
         "<panel filltype='2' fillvalue='skin/main/bk.png'/>"
         "<panel filltype='2'/>"
         "<string_item text='时间' txt_h_align='1' txt_cr_normal='65280' txt_cr_hover='1' txt_cr_click='2'/>"
         "</skin>");
    auto fill = [this](std::size_t i) { return dynamic_cast<FCPanelItemPanel*>(Child(i))->fill; };
    EXPECT_EQ(fill(0).fillType, FCController_Fill::kNone);
    EXPECT_EQ(fill(1).fillType, FCController_Fill::kColour);
    EXPECT_EQ(fill(1).colour, 0xFFFFFFu);
    EXPECT_EQ(fill(2).colour, 255u);
    EXPECT_EQ(fill(3).imagePath, "/prog/skin/main/bk.png");
    EXPECT_EQ(fill(4).imagePath, "");
    const auto& border = dynamic_cast<FCPanelItemPanel*>(Child(2))->border;
    EXPECT_EQ(border.border, 1);
    EXPECT_EQ(border.colourLeftTop, 0xFFFFFFu);
    EXPECT_EQ(border.colourRightBottom, 0x9E9E9Eu);
    const auto& text = dynamic_cast<FCPanelItemText*>(Child(5))->text;
    EXPECT_EQ(text.text, "时间");
    EXPECT_EQ(text.hAlign, 1);
    EXPECT_EQ(text.colourNormal, 0x00FF00u);
    EXPECT_EQ(text.colourHover, 1u);
    EXPECT_EQ(text.colourClick, 2u);
}

TEST_F(SkinModel, DefaultFontIsReplacedOnlyAboveSevenPoints)
{
    const FCFontHandle builtIn = FCFontCache::Instance().GetDefaultFont();
    Read("<skin default_font_name='Noto Sans CJK SC' default_font_size='70'/>");
    EXPECT_EQ(FCFontCache::Instance().GetDefaultFont(), builtIn);
    Read("<skin default_font_name='' default_font_size='120'/>");
    EXPECT_EQ(FCFontCache::Instance().GetDefaultFont(), builtIn);
    Read("<skin default_font_name='Sans' default_font_size='71'/>");
    const FCFontHandle font = FCFontCache::Instance().GetDefaultFont();
    EXPECT_EQ(font->face, "Sans");
    EXPECT_EQ(font->sizeTenths, 71);
    EXPECT_EQ(font->weight, kFontWeightRegular);
}

TEST_F(SkinModel, TextItemsShareCachedFontsInTheDefaultFace)
{
    Read("<skin default_font_name='Sans' default_font_size='90'>"
         "<string_item font_size='120' font_bold='1'/>"
         "<string_item font_name='Serif' font_size='120'/>"
         "<string_item font_size='120' font_bold='5'/>"
         "<string_item font_name='Serif' font_size='0' font_bold='1'/>"
         "</skin>");
    auto font = [this](std::size_t i) { return dynamic_cast<FCPanelItemText*>(Child(i))->GetFont(); };
    EXPECT_EQ(font(0)->face, "Sans");
    EXPECT_EQ(font(0)->weight, kFontWeightBold);
    EXPECT_EQ(font(1)->face, "Serif");
    EXPECT_EQ(font(1)->weight, kFontWeightRegular);
    EXPECT_EQ(font(0), font(2));  // one cached font for the same face, size and weight
    EXPECT_EQ(font(3), FCFontCache::Instance().GetDefaultFont());
}

TEST_F(SkinModel, ListItemsOfAButtonAreReadByElementName)
{
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(
        "<win32_ctrl ctrl_name='uis_button'>"
        "<but_img_text tooltip='播放' three_state_bk='a.png' three_state_bk_switch='b.png' border='2' text='t' "
        "image='i.png' font_size='100'/>"
        "<button_3image three_state_bk_switch='b.png' color_scheme='0'/>"
        "<button_icontext image='i.png'/>"
        "<button_hyperlink hyperlink='http://127.0.0.1/'/>"
        "<button_check three_state_bk='c.png'/>"
        "<image_player><image FramePath='f1.png' DelayTime='80'/><frame/><image FramePath='f2.png'/></image_player>"
        "<button/>"
        "</win32_ctrl>"));
    const auto items = FCListItem_Factory::CreateChildren(document.document_element());
    ASSERT_EQ(items.size(), 6u);
    auto* imageText = dynamic_cast<FCListItem_Button_ImageText*>(items[0].get());
    ASSERT_NE(imageText, nullptr);
    EXPECT_EQ(imageText->tooltip, "播放");
    EXPECT_EQ(imageText->background.imagePath, "/prog/a.png");
    EXPECT_EQ(imageText->background.switchImagePath, "/prog/b.png");
    EXPECT_EQ(imageText->border.border, 2);
    EXPECT_EQ(imageText->image.imagePath, "/prog/i.png");
    EXPECT_EQ(imageText->ownFont->sizeTenths, 100);
    EXPECT_EQ(imageText->colorScheme, 1);

    // The switched image counts only with a three-state background.
    auto* threeImage = dynamic_cast<FCListItem_Button_3Image*>(items[1].get());
    ASSERT_NE(threeImage, nullptr);
    EXPECT_EQ(threeImage->background.switchImagePath, "");
    EXPECT_EQ(threeImage->colorScheme, 0);
    EXPECT_EQ(threeImage->ownFont, nullptr);

    EXPECT_NE(dynamic_cast<FCListItem_Button_IconText*>(items[2].get()), nullptr);
    EXPECT_EQ(dynamic_cast<FCListItem_Button_Hyperlink*>(items[3].get())->hyperlink, "http://127.0.0.1/");
    EXPECT_NE(dynamic_cast<FCListItem_Button_Check*>(items[4].get()), nullptr);
    auto* player = dynamic_cast<FCListItem_ImagePlayer*>(items[5].get());
    ASSERT_NE(player, nullptr);
    ASSERT_EQ(player->frames.size(), 2u);
    EXPECT_EQ(player->frames[0].imagePath, "/prog/f1.png");
    EXPECT_EQ(player->frames[0].delayMs, 80);
    EXPECT_EQ(player->frames[1].imagePath, "/prog/f2.png");
}

TEST_F(SkinModel, DeeplyNestedPanelsStopAtALimitInsteadOfExhaustingTheStack)
{
    std::string xml = "<skin width='100' height='100'>";
    for (int i = 0; i < 100000; ++i)
        xml += "<panel width='100' resize_x_mode='0'>";
    for (int i = 0; i < 100000; ++i)
        xml += "</panel>";
    xml += "</skin>";
    Read(xml.c_str());
    int depth = 0;
    for (const FCPanelItemBase* item = &top_; item->GetChildren().PCL_GetObjectCount() > 0; ++depth)
        item = item->GetChildren().PCL_GetObject(0);
    EXPECT_EQ(depth, 65);
    top_.SetWindowSize({300, 100});
}

TEST_F(SkinModel, FilesThatCannotBeReadGiveAnEmptyTreeAndAReason)
{
    ui_test::SkinFolder folder;
    const std::string broken = folder.Write("broken.xml", "<skin width='10'><panel></skin>");
    const std::string good = folder.Write("good.xml", "<skin width='10' height='20'><panel/></skin>");

    FCSkinLoadResult result = top_.LoadSkin(good);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(top_.GetChildren().PCL_GetObjectCount(), 1u);

    result = top_.LoadSkin(folder.Path("missing.xml"));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("missing.xml"), std::string::npos);
    EXPECT_EQ(top_.GetChildren().PCL_GetObjectCount(), 0u);

    result = top_.LoadSkin(broken);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("not well formed"), std::string::npos);
    EXPECT_EQ(top_.GetChildren().PCL_GetObjectCount(), 0u);
    EXPECT_EQ(top_.GetRect(), (FCRect{}));

    SetAppFolderForTesting(folder.Folder());
    EXPECT_TRUE(top_.LoadSkin("good.xml").ok);  // relative to the program folder
    EXPECT_EQ(top_.GetRect().height, 20);

    result = top_.LoadSkin(folder.Write("empty.xml", ""));
    EXPECT_FALSE(result.ok);
    top_.SetWindowSize({300, 200});  // an empty tree lays out without harm
}

}  // namespace
