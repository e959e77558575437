#pragma once
// The items of a skin: a tree whose nodes know their place relative to the
// parent, how they follow the parent's changes of size, and their command.
#include "common/composite.h"
#include "ui/toolkit/controllers.h"
#include "ui/toolkit/font_cache.h"
#include "ui/toolkit/geometry.h"

#include <pugixml.hpp>

#include <functional>
#include <string>

namespace ui {

class FCPanelItemBase {
public:
    FCPanelItemBase() = default;
    FCPanelItemBase(const FCPanelItemBase&) = delete;
    FCPanelItemBase& operator=(const FCPanelItemBase&) = delete;
    virtual ~FCPanelItemBase() = default;

    FCPanelItemBase* GetParent() const { return parent_; }
    const PCL_Interface_Composite<FCPanelItemBase>& GetChildren() const { return children_; }
    // Takes ownership, sets the child's parent and appends it once.
    void AddChild(FCPanelItemBase* child);
    void DeleteAllChildren() { children_.PCL_DeleteAllObjects(); }
    // Removes and deletes one child; false when it is not a child.
    bool DeleteChild(FCPanelItemBase* child) { return children_.PCL_DeleteObject(child); }

    // Position relative to the parent, and size.
    const FCRect& GetRect() const { return rect_; }
    void SetRect(const FCRect& rect) { rect_ = rect; }
    FCRect GetAbsoluteRect() const;

    int GetCommandId() const { return commandId_; }
    const FCLayoutModes& GetLayoutModes() const { return modes_; }
    void SetLayoutModes(const FCLayoutModes& modes) { modes_ = modes; }
    int GetColorScheme() const { return colorScheme_; }

    // Hidden items (and everything below them) are neither drawn nor hit;
    // the owner window hides items when it rearranges its panels.
    bool IsVisible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool IsShownInWindow() const;

    // The item's font: its own, or the toolkit's default font.
    virtual FCFontHandle GetFont() const;

    // Moves and sizes the item for its parent's change of size, then lays its
    // children out for its own change.
    void LayoutForParent(FCSize oldParent, FCSize newParent);
    void LayoutChildren(FCSize oldSize, FCSize newSize);

    // Depth-first, parents before children, in document order.
    void Visit(const std::function<void(FCPanelItemBase&)>& visitor);
    FCPanelItemBase* FindByCommandId(int commandId);

    // The item attributes every element kind shares.
    void ReadCommonAttributes(const pugi::xml_node& element);

private:
    FCPanelItemBase* parent_ = nullptr;
    PCL_Interface_Composite<FCPanelItemBase> children_;
    FCRect rect_;
    int commandId_ = 0;
    FCLayoutModes modes_;
    int colorScheme_ = 1;
    bool visible_ = true;
};

// A container with a fill (and an optional frame) behind its children.
class FCPanelItemPanel : public FCPanelItemBase {
public:
    FCController_Fill fill;
    FCController_Border border;
};

// A single line of text.
class FCPanelItemText : public FCPanelItemBase {
public:
    FCController_3StateText text;
    FCFontHandle ownFont;  // null: the default font
    FCFontHandle GetFont() const override;
};

// The place of a real child window, created by the control factory.
class FCPanelItemWIN32Ctrl : public FCPanelItemBase {
public:
    std::string ctrlName;
    int ctrlId = 0;
    // A copy of the element, kept for the factory, which reads the control's
    // own attributes and child items from it.
    const pugi::xml_node GetElement() const { return element_.document_element(); }
    void KeepElement(const pugi::xml_node& element);

private:
    pugi::xml_document element_;
};

// The own font of an item: null when "font_size" is 0, else that size
// (tenths of a point) in "font_name" or the default font's face, bold when
// "font_bold" is not 0.
FCFontHandle ReadOwnFont(const pugi::xml_node& element);

}  // namespace ui
