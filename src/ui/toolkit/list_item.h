#pragma once
// The items inside list windows such as the generic button: each is a small
// clickable part with its own geometry, font, tooltip and controllers.
#include "ui/toolkit/controllers.h"
#include "ui/toolkit/font_cache.h"
#include "ui/toolkit/geometry.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <vector>

namespace ui {

class FCListItem {
public:
    virtual ~FCListItem() = default;

    // Place in the list window; a zero width or height fills the window.
    FCRect rect;
    FCLayoutModes modes;
    FCFontHandle ownFont;  // null: the window's font
    std::string tooltip;
    int colorScheme = 1;

    // What every list item reads before the controllers of its kind.
    void ReadCommonListAttributes(const pugi::xml_node& element);
    virtual void Read(const pugi::xml_node& element) = 0;
};

class FCListItem_Button_ImageText : public FCListItem {
public:
    FCController_3StateBK background;
    FCController_Border border;
    FCController_3StateText text;
    FCController_Image image;
    void Read(const pugi::xml_node& element) override;
};

class FCListItem_Button_3Image : public FCListItem {
public:
    FCController_3StateBK background;
    FCController_3StateText text;
    void Read(const pugi::xml_node& element) override;
};

class FCListItem_Button_IconText : public FCListItem {
public:
    FCController_3StateText text;
    FCController_Image image;
    void Read(const pugi::xml_node& element) override;
};

class FCListItem_Button_Hyperlink : public FCListItem {
public:
    FCController_3StateText text;
    FCController_Image image;
    std::string hyperlink;
    void Read(const pugi::xml_node& element) override;
};

class FCListItem_Button_Check : public FCListItem {
public:
    FCController_3StateBK background;
    FCController_3StateText text;
    FCController_Image image;
    void Read(const pugi::xml_node& element) override;
};

class FCListItem_ImagePlayer : public FCListItem {
public:
    struct Frame {
        std::string imagePath;
        int delayMs = 0;
    };
    std::vector<Frame> frames;
    void Read(const pugi::xml_node& element) override;
};

// Creates the list item for an element name, or null for a name that is not
// a list item.
class FCListItem_Factory {
public:
    static std::unique_ptr<FCListItem> Create(const pugi::xml_node& element);
    // Every list item among the element's children, in document order.
    static std::vector<std::unique_ptr<FCListItem>> CreateChildren(const pugi::xml_node& parent);
};

}  // namespace ui
