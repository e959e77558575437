#include "ui/toolkit/controllers.h"

#include "ui/toolkit/skin_values.h"

namespace ui {

void FCController_Fill::Read(const pugi::xml_node& element)
{
    fillType = ReadSkinInt(element, "filltype", kNone);
    if (fillType == kColour)
        colour = ReadSkinColour(element, "fillvalue", kColourWhite);
    else if (fillType == kImage)
        imagePath = ReadSkinImagePath(element, "fillvalue");
}

void FCController_3StateBK::Read(const pugi::xml_node& element)
{
    imagePath = ReadSkinImagePath(element, "three_state_bk");
    if (!imagePath.empty())
        switchImagePath = ReadSkinImagePath(element, "three_state_bk_switch");
}

void FCController_Border::Read(const pugi::xml_node& element)
{
    border = ReadSkinInt(element, "border", 0);
    colourLeftTop = ReadSkinColour(element, "color_lt", 0);
    colourRightBottom = ReadSkinColour(element, "color_rb", 0);
}

void FCController_3StateText::Read(const pugi::xml_node& element)
{
    text = ReadSkinLabel(element, "text");
    hAlign = ReadSkinInt(element, "txt_h_align", kAlignLeft);
    colourNormal = ReadSkinColour(element, "txt_cr_normal", 0);
    colourHover = ReadSkinColour(element, "txt_cr_hover", 0);
    colourClick = ReadSkinColour(element, "txt_cr_click", 0);
}

void FCController_Image::Read(const pugi::xml_node& element)
{
    imagePath = ReadSkinImagePath(element, "image");
}

}  // namespace ui
