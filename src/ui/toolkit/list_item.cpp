#include "ui/toolkit/list_item.h"

#include "ui/toolkit/panel_item.h"
#include "ui/toolkit/skin_values.h"

#include <cstring>

namespace ui {

void FCListItem::ReadCommonListAttributes(const pugi::xml_node& element)
{
    rect = ReadSkinRect(element);
    modes = {ReadSkinInt(element, "position_x_mode", 1), ReadSkinInt(element, "position_y_mode", 1),
             ReadSkinInt(element, "resize_x_mode", 1), ReadSkinInt(element, "resize_y_mode", 1)};
    ownFont = ReadOwnFont(element);
    tooltip = ReadSkinLabel(element, "tooltip");
    colorScheme = ReadSkinInt(element, "color_scheme", 1);
}

void FCListItem_Button_ImageText::Read(const pugi::xml_node& element)
{
    background.Read(element);
    border.Read(element);
    text.Read(element);
    image.Read(element);
}

void FCListItem_Button_3Image::Read(const pugi::xml_node& element)
{
    background.Read(element);
    text.Read(element);
}

void FCListItem_Button_IconText::Read(const pugi::xml_node& element)
{
    text.Read(element);
    image.Read(element);
}

void FCListItem_Button_Hyperlink::Read(const pugi::xml_node& element)
{
    text.Read(element);
    image.Read(element);
    hyperlink = ReadSkinText(element, "hyperlink");
}

void FCListItem_Button_Check::Read(const pugi::xml_node& element)
{
    background.Read(element);
    text.Read(element);
    image.Read(element);
}

void FCListItem_ImagePlayer::Read(const pugi::xml_node& element)
{
    for (const pugi::xml_node& child : element.children("image"))
        frames.push_back({ReadSkinImagePath(child, "FramePath"), ReadSkinInt(child, "DelayTime", 0)});
}

std::unique_ptr<FCListItem> FCListItem_Factory::Create(const pugi::xml_node& element)
{
    const char* name = element.name();
    std::unique_ptr<FCListItem> item;
    if (std::strcmp(name, "but_img_text") == 0)
        item = std::make_unique<FCListItem_Button_ImageText>();
    else if (std::strcmp(name, "button_3image") == 0)
        item = std::make_unique<FCListItem_Button_3Image>();
    else if (std::strcmp(name, "button_icontext") == 0)
        item = std::make_unique<FCListItem_Button_IconText>();
    else if (std::strcmp(name, "button_hyperlink") == 0)
        item = std::make_unique<FCListItem_Button_Hyperlink>();
    else if (std::strcmp(name, "button_check") == 0)
        item = std::make_unique<FCListItem_Button_Check>();
    else if (std::strcmp(name, "image_player") == 0)
        item = std::make_unique<FCListItem_ImagePlayer>();
    else
        return nullptr;
    item->ReadCommonListAttributes(element);
    item->Read(element);
    return item;
}

std::vector<std::unique_ptr<FCListItem>> FCListItem_Factory::CreateChildren(const pugi::xml_node& parent)
{
    std::vector<std::unique_ptr<FCListItem>> items;
    for (const pugi::xml_node& child : parent.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (auto item = FCListItem_Factory::Create(child))
            items.push_back(std::move(item));
    }
    return items;
}

}  // namespace ui
